#include "TransferReport.h"

QString TransferEndText(TransferResult result, const QString& name, qint64 bytes)
{
    switch (result) {
    case TransferResult::Completed:
        return QStringLiteral("Transferred %1, %2 bytes").arg(name).arg(bytes);
    case TransferResult::Cancelled:
        return QStringLiteral("Transfer cancelled");
    case TransferResult::CancelledByCalculator:
        return QStringLiteral("Transfer cancelled by the calculator");
    case TransferResult::Failed:
        break;
    }
    return QStringLiteral("Transfer failed");
}
