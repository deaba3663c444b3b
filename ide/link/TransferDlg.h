// "Transfer in Progress": shows the file being sent, the worker's status line and a
// progress bar, with a Cancel button. It starts the transfer worker when it is first
// shown and closes itself when the worker has finished.
#pragma once

#include "TransferWorker.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class CQueuedTransferSink;
class QLabel;
class QProgressBar;

class CTransferDlg : public QDialog, public ITransferSink
{
    Q_OBJECT
public:
    explicit CTransferDlg(QWidget* pParent = nullptr);
    ~CTransferDlg() override;

    // Set by the caller before the dialog runs.
    QString m_strFilePath;
    std::string m_strAnnouncedName; // calculator characters; empty: the file's own name
    int m_nPort = 2;
    int m_nBaudRate = 9600;
    SerialTimeouts m_timeouts;
    // The rest of the job (protocol, Kermit settings, an emulator's terminal); the
    // members above take precedence over the same fields in it.
    TransferJob m_job;
    // Receives the calculator's reply to a server command.
    std::function<void(const QString&)> m_onReply;

    // How the transfer ended; Failed until it has.
    TransferResult Result() const { return m_result; }

    // Cancel (also what the worker's end leads to): asks the worker to stop, waits up to
    // ten seconds for it to release the port, and closes.
    void reject() override;

protected:
    void showEvent(QShowEvent* pEvent) override;

private:
    void OnStatus(const QString& strStatus) override;
    void OnProgress(int nPercent) override;
    void OnMessage(const QString& strText, const QString& strCaption, unsigned nType) override;
    void OnFinished(TransferResult result) override;
    void OnReply(const QString& strReply) override;

    QLabel* m_pPath;
    QLabel* m_pStatus;
    QProgressBar* m_pProgress;
    std::shared_ptr<CQueuedTransferSink> m_pSink;
    std::shared_ptr<CTransferWorker> m_pWorker;
    TransferResult m_result = TransferResult::Failed;
    int m_nBoxesOpen = 0;
    bool m_bClosePending = false;
};

// Sends strFilePath to the calculator behind a modal progress dialog, announcing
// name (bytes whose escapes are translated to calculator characters; empty: the file's
// own name) on port at nBaudRate, with protocol. Returns how the transfer ended.
TransferResult TransferFile(QWidget* pParent, const QString& strFilePath, const QByteArray& name,
                            const SerialPortChoice& port, int nBaudRate,
                            TransferProtocol protocol = TransferProtocol::XModem);

// Simulate with an emulator that shows the calculator's serial port as a pseudo-terminal
// (PtyEmulator.h): finds or starts strEmuLocation, then sends strFilePath behind a
// modeless progress dialog that asks the user to start the calculator's server. The
// calculator's reply (its stack) goes to onReply. False when nothing was started (a
// message said why).
class IPrompt;
bool SimulateOverKermit(QWidget* pParent, const QString& strFilePath, const QString& strEmuLocation,
                        int nBaudRate, IPrompt& prompt,
                        std::function<void(const QString&)> onReply);
