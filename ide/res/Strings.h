// The string table: every text that Velmora shows from its resources, by numeric id.
// Add a text by giving it a named id here and a row in the table in Strings.cpp.
#pragma once

#include <QString>

// Project documents.
constexpr unsigned IDS_ONE_PROJECT_ONLY = 2001;
constexpr unsigned IDS_OPEN_ERROR = 2002;
constexpr unsigned IDS_FUTURE_VERSION = 2003;
constexpr unsigned IDS_OPEN_PROJECT = 2004;
constexpr unsigned IDS_DEFAULT_CONFIG = 2005;
constexpr unsigned IDS_NEW_CONFIG = 2006;
// Opening and saving any document (%1 is the file, %2 the reason).
constexpr unsigned IDS_OPEN_FAILED = 2010;
constexpr unsigned IDS_SAVE_FAILED = 2011;

// The text with that id; an empty text for an id that is not in the table.
QString LoadString(unsigned id);
