// The line that tells how a transfer to the calculator ended, for the status bar and
// the build messages.
#pragma once

#include "TransferWorker.h"

#include <QString>

// "Transferred NAME, N bytes" for a completed transfer; "Transfer cancelled", "Transfer
// cancelled by the calculator" or "Transfer failed" otherwise. name is what the
// calculator was told (the file's name when nothing else was given), bytes the file's
// size.
QString TransferEndText(TransferResult result, const QString& name, qint64 bytes);
