#include "QueuedTransferSink.h"

#include <QMetaObject>

CQueuedTransferSink::CQueuedTransferSink(QObject* pReceiver, ITransferSink* pTarget)
    : m_pReceiver(pReceiver), m_pTarget(pTarget)
{
}

void CQueuedTransferSink::Detach()
{
    std::lock_guard lock(m_mutex);
    m_pReceiver = nullptr;
    m_pTarget = nullptr;
}

void CQueuedTransferSink::Post(std::function<void(ITransferSink&)> call)
{
    // Posting under the lock: Detach, on the receiver's thread, cannot complete (and so
    // the receiver cannot be destroyed) while an event is being posted to it.
    std::lock_guard lock(m_mutex);
    if (m_pReceiver) {
        QMetaObject::invokeMethod(
            m_pReceiver,
            [self = shared_from_this(), call = std::move(call)] { self->Deliver(call); },
            Qt::QueuedConnection);
    }
}

void CQueuedTransferSink::Deliver(const std::function<void(ITransferSink&)>& call)
{
    ITransferSink* target = nullptr;
    {
        std::lock_guard lock(m_mutex);
        target = m_pTarget;
    }
    // The target runs without the lock held: it may show a box that spins an event
    // loop, while the worker goes on posting.
    if (target) {
        call(*target);
    }
}

void CQueuedTransferSink::OnStatus(const QString& strStatus)
{
    Post([strStatus](ITransferSink& t) { t.OnStatus(strStatus); });
}

void CQueuedTransferSink::OnProgress(int nPercent)
{
    Post([nPercent](ITransferSink& t) { t.OnProgress(nPercent); });
}

void CQueuedTransferSink::OnMessage(const QString& strText, const QString& strCaption,
                                    unsigned nType)
{
    Post([strText, strCaption, nType](ITransferSink& t) {
        t.OnMessage(strText, strCaption, nType);
    });
}

void CQueuedTransferSink::OnFinished(TransferResult result)
{
    Post([result](ITransferSink& t) { t.OnFinished(result); });
}

void CQueuedTransferSink::OnReply(const QString& strReply)
{
    Post([strReply](ITransferSink& t) { t.OnReply(strReply); });
}
