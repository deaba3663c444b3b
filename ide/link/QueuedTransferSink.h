// Carries a transfer worker's reports over to the thread of a receiving object (the
// progress dialog's), through that object's event queue, as copies. The worker never
// waits for the receiver, and a receiver that has gone away simply gets nothing more.
#pragma once

#include "TransferWorker.h"

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>

class CQueuedTransferSink : public ITransferSink,
                            public std::enable_shared_from_this<CQueuedTransferSink>
{
public:
    // Each report is delivered to pTarget on pReceiver's thread.
    CQueuedTransferSink(QObject* pReceiver, ITransferSink* pTarget);

    // Stops all deliveries, including those already queued. Call on the receiver's
    // thread before the receiver or the target is destroyed.
    void Detach();

    void OnStatus(const QString& strStatus) override;
    void OnProgress(int nPercent) override;
    void OnMessage(const QString& strText, const QString& strCaption, unsigned nType) override;
    void OnFinished(TransferResult result) override;
    void OnReply(const QString& strReply) override;

private:
    void Post(std::function<void(ITransferSink&)> call);
    void Deliver(const std::function<void(ITransferSink&)>& call);

    std::mutex m_mutex;
    QObject* m_pReceiver;
    ITransferSink* m_pTarget;
};
