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
// The project window and the project dialogs.
constexpr unsigned IDS_ADD_FILES_FILTER = 2020;
constexpr unsigned IDS_REMOVE_ONE_ENTRY = 2021;
constexpr unsigned IDS_REMOVE_ENTRIES = 2022;
constexpr unsigned IDS_CONFIG_EXISTS = 2023;
constexpr unsigned IDS_DELETE_CONFIG = 2024;
constexpr unsigned IDS_DELETE_DEFAULT_CONFIG = 2025;
constexpr unsigned IDS_NAME_ALL_CONFIGS = 2026;
constexpr unsigned IDS_ROMID_NOT_NUMBER = 2027;
// Opening and saving any document (%1 is the file, %2 the reason).
constexpr unsigned IDS_OPEN_FAILED = 2010;
constexpr unsigned IDS_SAVE_FAILED = 2011;
// The emulator link (%1 is a system error code, formatted "error #%08x").
constexpr unsigned IDS_EMU_NOT_BUILT = 2300;
constexpr unsigned IDS_EMU_EXEC_ERROR = 2301;
constexpr unsigned IDS_EMU_NOT_RUNNING = 2302;
constexpr unsigned IDS_EMU_INCOMPATIBLE = 2303;
constexpr unsigned IDS_EMU_HANDOVER_FAILED = 2304;
constexpr unsigned IDS_EMU_NO_ANSWER = 2305;
constexpr unsigned IDS_EMU_START_TIMEOUT = 2306;
constexpr unsigned IDS_EMU_START_SERVER = 2307;
constexpr unsigned IDS_EMU_NO_PTY = 2308;
constexpr unsigned IDS_EMU_WAITING = 2309;

// The application shell: start-up, documents, settings, tips and about box.
constexpr unsigned IDS_APP_TITLE = 57344;
constexpr unsigned IDS_IDLE_MESSAGE = 57345;
constexpr unsigned IDS_TOOLS_MISSING = 57354;
constexpr unsigned IDS_GNU_DETECTED = 57378;
constexpr unsigned IDS_HP_DETECTED = 57379;
constexpr unsigned IDS_SOURCE_TEMPLATE = 3001;
constexpr unsigned IDS_PROJECT_TEMPLATE = 3002;
constexpr unsigned IDS_ASK_TO_SAVE = 3003;
constexpr unsigned IDS_SAVE_AS_CAPTION = 3004;
constexpr unsigned IDS_OPEN_CAPTION = 3005;
constexpr unsigned IDS_ALL_FILES_FILTER = 3006;
constexpr unsigned IDS_CANNOT_OPEN_KIND = 3007;
constexpr unsigned IDS_DEFAULT_DIR_MISSING = 3008;
constexpr unsigned IDS_DEFAULT_DIR_ERROR = 3009;
constexpr unsigned IDS_ERROR_CAPTION = 3010;
constexpr unsigned IDS_CONFIRM_CAPTION = 3011;
constexpr unsigned IDS_RESTORE_DEFAULT = 3012;
constexpr unsigned IDS_LINE_COL_SIZER = 3013;
constexpr unsigned IDS_ABOUT_VERSION = 3014;
constexpr unsigned IDS_ABOUT_MEMORY = 3015;
constexpr unsigned IDS_ABOUT_DISK = 3016;
constexpr unsigned IDS_ABOUT_UNAVAILABLE = 3017;
constexpr unsigned IDS_TIP_HEADING = 3018;
constexpr unsigned IDS_HELP_MISSING = 3019;

// The build (%1 is an entry's path).
constexpr unsigned IDS_BUILD_PROGRESS = 2101;
constexpr unsigned IDS_COMPILING_SOURCE_FILE = 2102;
constexpr unsigned IDS_CREATING_DIRECTORY = 2103;
constexpr unsigned IDS_CREATING_LIBRARY = 2104;
constexpr unsigned IDS_SAVE_PROJECT_BEFORE_ADDING = 57355;
constexpr unsigned IDS_COMPILING_CURRENT_FILE = 57377;

// Questions and notes of the build and the editor around the user's own files.
constexpr unsigned IDS_OBJECT_OUT_OF_DATE = 3101;
constexpr unsigned IDS_ALREADY_IN_PROJECT = 3102;
constexpr unsigned IDS_ROMID_OUT_OF_RANGE = 3103;
constexpr unsigned IDS_OBJECT_NOT_BUILT = 3104;

// The text with that id; an empty text for an id that is not in the table.
QString LoadString(unsigned id);
