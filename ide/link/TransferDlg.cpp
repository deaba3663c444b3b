#include "TransferDlg.h"

#include "CalcChars.h"
#include "Prompt.h"
#include "PtyEmulator.h"
#include "QueuedTransferSink.h"
#include "Strings.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

CTransferDlg::CTransferDlg(QWidget* pParent) : QDialog(pParent)
{
    setWindowTitle(QStringLiteral("Transfer in Progress"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Transferring:"), this));
    m_pPath = new QLabel(this);
    m_pPath->setObjectName(QStringLiteral("filePath"));
    layout->addWidget(m_pPath);
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("status"));
    // Long status texts (the request to start the calculator's server) wrap.
    m_pStatus->setWordWrap(true);
    layout->addWidget(m_pStatus);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setObjectName(QStringLiteral("progress"));
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    layout->addWidget(m_pProgress);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::rejected, this, &CTransferDlg::reject);
    layout->addWidget(buttons);
    setMinimumWidth(280);
}

CTransferDlg::~CTransferDlg()
{
    // A worker still running (it did not finish within the wait) keeps its own copies
    // and simply reports to nobody from now on.
    if (m_pSink) {
        m_pSink->Detach();
    }
}

void CTransferDlg::showEvent(QShowEvent* pEvent)
{
    QDialog::showEvent(pEvent);
    if (m_pWorker) {
        return;
    }
    m_pPath->setText(m_strFilePath);
    m_pStatus->clear();
    TransferJob job = m_job;
    job.nPort = m_nPort;
    job.nBaudRate = m_nBaudRate;
    job.strFilePath = m_strFilePath;
    job.strAnnouncedName = m_strAnnouncedName;
    job.timeouts = m_timeouts;
    m_pSink = std::make_shared<CQueuedTransferSink>(this, this);
    m_pWorker = std::make_shared<CTransferWorker>(std::move(job), m_pSink);
    CTransferWorker::Start(m_pWorker);
}

void CTransferDlg::reject()
{
    if (m_pWorker) {
        m_pWorker->Cancel();
        // The worker's own report of its end is still queued: take its result now, so
        // that whoever opened the dialog learns that the user cancelled.
        if (m_pWorker->WaitDone(10000)) {
            m_result = m_pWorker->Result();
        }
    }
    QDialog::reject();
}

void CTransferDlg::OnStatus(const QString& strStatus)
{
    m_pPath->setText(m_strFilePath);
    m_pStatus->setText(strStatus);
}

void CTransferDlg::OnReply(const QString& strReply)
{
    if (m_onReply) {
        m_onReply(strReply);
    }
}

void CTransferDlg::OnProgress(int nPercent)
{
    m_pProgress->setValue(nPercent);
}

void CTransferDlg::OnMessage(const QString& strText, const QString& strCaption, unsigned nType)
{
    // The worker's end may arrive while the box is up; the dialog closes after it.
    ++m_nBoxesOpen;
    Prompt().MessageBox(strText, strCaption, nType);
    --m_nBoxesOpen;
    if (m_nBoxesOpen == 0 && m_bClosePending) {
        m_bClosePending = false;
        reject();
    }
}

void CTransferDlg::OnFinished(TransferResult result)
{
    m_result = result;
    if (m_nBoxesOpen > 0) {
        m_bClosePending = true;
        return;
    }
    reject();
}

TransferResult TransferFile(QWidget* pParent, const QString& strFilePath, const QByteArray& name,
                            const SerialPortChoice& port, int nBaudRate, TransferProtocol protocol)
{
    CTransferDlg dlg(pParent);
    dlg.m_job.protocol = protocol;
    dlg.m_strFilePath = strFilePath;
    dlg.m_strAnnouncedName = TranslateCalcChars(name.toStdString());
    dlg.m_nPort = port.nPort;
    dlg.m_job.devicePath = port.devicePath;
    dlg.m_nBaudRate = nBaudRate;
    dlg.exec();
    return dlg.Result();
}

bool SimulateOverKermit(QWidget* pParent, const QString& strFilePath, const QString& strEmuLocation,
                        int nBaudRate, IPrompt& prompt, std::function<void(const QString&)> onReply)
{
    if (!QFileInfo(strFilePath).isFile()) {
        prompt.MessageBox(LoadString(IDS_EMU_NOT_BUILT), QString(), Mb::Ok | Mb::IconError);
        return false;
    }
    // A started emulator may take some seconds to show its serial port: the window stays
    // alive meanwhile, and the wait can be cancelled.
    QProgressDialog waiting(LoadString(IDS_EMU_WAITING).arg(QFileInfo(strEmuLocation).fileName()),
                            QObject::tr("Cancel"), 0, 0, pParent);
    waiting.setWindowTitle(LoadString(IDS_APP_TITLE));
    waiting.setWindowModality(Qt::WindowModal);
    waiting.setMinimumDuration(0);
    waiting.reset();
    PtyEmulatorOptions options;
    options.keepWaiting = [&waiting] {
        if (!waiting.isVisible())
            waiting.show();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return !waiting.wasCanceled();
    };
    QString message;
    const QByteArray device = ReachPtyEmulator(strEmuLocation, &message, options);
    waiting.hide();
    if (device.isEmpty()) {
        if (!message.isEmpty())
            prompt.MessageBox(message, QString(), Mb::Ok | Mb::IconError);
        return false;
    }
    // Modeless: the user works the emulator's keys while the dialog waits for its server.
    auto* dlg = new CTransferDlg(pParent);
    dlg->m_job = SimulateJob(strFilePath, device, nBaudRate);
    dlg->m_strFilePath = strFilePath;
    dlg->m_strAnnouncedName = dlg->m_job.strAnnouncedName;
    dlg->m_nBaudRate = nBaudRate;
    dlg->m_onReply = std::move(onReply);
    QObject::connect(dlg, &QDialog::finished, dlg, &QObject::deleteLater);
    dlg->setModal(false);
    dlg->show();
    return true;
}
