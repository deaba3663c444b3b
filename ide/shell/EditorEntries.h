// The entries table that the editors colour and complete names from: the loader's own
// table in the tool location, read once and shared by every editor, and read again
// only when the file changes.
#pragma once

#include "CompletionWords.h"

#include <QString>
#include <vector>

// The entries of the table at path; empty when there is no such file. A file that is
// there but can't be read gives no entries and a one-line message in error.
const std::vector<EntryName>& SharedEntries(const QString& path, QString& error);
