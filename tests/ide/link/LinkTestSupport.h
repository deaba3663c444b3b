// Shared pieces of the link tests: a sink that records what a transfer reports, a
// transfer run on a thread of its own, and scratch files.
#pragma once

#include "TransferWorker.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <future>
#include <memory>
#include <mutex>
#include <vector>

struct RecordedMessage
{
    QString text;
    QString caption;
    unsigned type = 0;
};

class CRecordingSink : public ITransferSink
{
public:
    void OnStatus(const QString& strStatus) override
    {
        std::lock_guard lock(m_mutex);
        m_statuses.append(strStatus);
    }
    void OnProgress(int nPercent) override
    {
        std::lock_guard lock(m_mutex);
        m_progress.push_back(nPercent);
    }
    void OnMessage(const QString& strText, const QString& strCaption, unsigned nType) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back({strText, strCaption, nType});
    }
    void OnFinished(TransferResult) override
    {
        std::lock_guard lock(m_mutex);
        ++m_nFinished;
    }
    void OnReply(const QString& strReply) override
    {
        std::lock_guard lock(m_mutex);
        m_strReply += strReply;
    }
    QString Reply()
    {
        std::lock_guard lock(m_mutex);
        return m_strReply;
    }
    QStringList Statuses()
    {
        std::lock_guard lock(m_mutex);
        return m_statuses;
    }
    std::vector<int> Progress()
    {
        std::lock_guard lock(m_mutex);
        return m_progress;
    }
    std::vector<RecordedMessage> Messages()
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    int Finished()
    {
        std::lock_guard lock(m_mutex);
        return m_nFinished;
    }

private:
    std::mutex m_mutex;
    QStringList m_statuses;
    std::vector<int> m_progress;
    std::vector<RecordedMessage> m_messages;
    int m_nFinished = 0;
    QString m_strReply;
};

// A transfer running on its own thread while the test plays the calculator.
class CTransferRun
{
public:
    explicit CTransferRun(TransferJob job)
        : m_pSink(std::make_shared<CRecordingSink>()),
          m_pWorker(std::make_shared<CTransferWorker>(std::move(job), m_pSink))
    {
        m_result = std::async(std::launch::async, [w = m_pWorker] { return w->Run(); });
    }
    ~CTransferRun()
    {
        if (m_result.valid()) {
            m_pWorker->Cancel();
            m_result.wait();
        }
    }
    CTransferRun(const CTransferRun&) = delete;
    CTransferRun& operator=(const CTransferRun&) = delete;

    CTransferWorker& Worker() { return *m_pWorker; }
    CRecordingSink& Sink() { return *m_pSink; }
    // The outcome; the worker must end within nSeconds (a few, by default).
    TransferResult Result(int nSeconds = 10)
    {
        if (m_result.wait_for(std::chrono::seconds(nSeconds)) != std::future_status::ready) {
            m_pWorker->Cancel();
        }
        return m_result.get();
    }

private:
    std::shared_ptr<CRecordingSink> m_pSink;
    std::shared_ptr<CTransferWorker> m_pWorker;
    std::future<TransferResult> m_result;
};

// Bytes 0, 1, 2, ... wrapping at 251, so that blocks differ from one another.
inline QByteArray Pattern(int nSize)
{
    QByteArray data(nSize, '\0');
    for (int i = 0; i < nSize; ++i) {
        data[i] = static_cast<char>(i % 251);
    }
    return data;
}

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& data)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(data);
    }
    return path;
}

// The block the calculator must receive for block number n carrying data.
inline QByteArray XmodemBlock(int n, const QByteArray& data)
{
    QByteArray block(Xmodem::BlockSize, '\0');
    block[0] = Xmodem::SOH;
    block[1] = static_cast<char>(n);
    block[2] = static_cast<char>(255 - n);
    unsigned sum = 0;
    for (int i = 0; i < data.size(); ++i) {
        block[3 + i] = data[i];
        sum += static_cast<unsigned char>(data[i]);
    }
    block[131] = static_cast<char>(sum & 0xFF);
    return block;
}
