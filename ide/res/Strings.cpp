#include "Strings.h"

namespace {

struct StringEntry
{
    unsigned id;
    const char* text; // UTF-8
};

// One row per text, in any order; ids are unique.
const StringEntry kStringTable[] = {
    {IDS_ONE_PROJECT_ONLY, "Only one project can be open at a time!"},
    {IDS_OPEN_ERROR, "Open Error"},
    {IDS_FUTURE_VERSION, "This project was created by a future version of this program and "
                         "cannot be opened."},
    {IDS_OPEN_PROJECT, "Open Project"},
    {IDS_DEFAULT_CONFIG, "DEFAULT"},
    {IDS_NEW_CONFIG, "(new)"},
    {IDS_ADD_FILES_FILTER, "All source file (*.h *.s)"},
    {IDS_REMOVE_ONE_ENTRY, "Remove this file from the project?\nThe file itself stays on disk."},
    {IDS_REMOVE_ENTRIES,
     "Remove these %1 files from the project?\nThe files themselves stay on disk."},
    {IDS_CONFIG_EXISTS, "This configuration name already exists."},
    {IDS_DELETE_CONFIG, "Are you sure you want to delete the configuration \"%1\"?"},
    {IDS_DELETE_DEFAULT_CONFIG, "Can't delete the default configuration."},
    {IDS_NAME_ALL_CONFIGS, "Please name all configurations"},
    {IDS_ROMID_NOT_NUMBER, "The ROMID \"%1\" is not a number. Please enter a whole number."},
    {IDS_OPEN_FAILED, "Cannot open the file \"%1\".\n%2"},
    {IDS_SAVE_FAILED, "Cannot save the file \"%1\".\n%2"},
    {IDS_EMU_NOT_BUILT, "The destination project file must be built first."},
    {IDS_EMU_EXEC_ERROR, "Error while trying to execute EMU48 (%1).  Please ensure path and file "
                         "settings are correct."},
    {IDS_EMU_NOT_RUNNING,
     "EMU48 is not currently running.  Press the OK button after the program "
     "has succesfully loaded and started the emulator (give it a second or two "
     "to stabilize).  Press cancel to abort."},
    {IDS_EMU_INCOMPATIBLE, "An incompatible version of EMU48 is running.  Please obtain the "
                           "Velmora compatible version."},
    {IDS_EMU_HANDOVER_FAILED, "Couldn't pass the file to EMU48 (%1)."},
    {IDS_EMU_NO_ANSWER, "EMU48 did not answer.  The file may not have been loaded."},
    {IDS_EMU_START_TIMEOUT, "EMU48 did not start within 10 seconds."},
    {IDS_EMU_START_SERVER, "Start the server on the calculator: press the I/O key, then Start "
                           "Server (HP48 G/GX), or type SERVER (HP48 S/SX)"},
    {IDS_EMU_NO_PTY, "%1 shows no serial port: none of its files is a pseudo-terminal "
                     "(/dev/pts/N), or more than one is."},
    {IDS_EMU_WAITING, "Waiting for %1 to start..."},
    {IDS_APP_TITLE, "Velmora Development Environment"},
    {IDS_IDLE_MESSAGE, "Ready"},
    {IDS_TOOLS_MISSING,
     "The following program files were not found under the configured HP-Tools location "
     "\"%1\":\n%2\n\nSome parts of this program may not work if these files are not "
     "installed corrently.  Please check the program options and your HP-Tools installation."},
    {IDS_GNU_DETECTED, "GNU-tools has been detected, but Velmora is currently set to use "
                       "HP-tools.  Do you want to change the setting automatically?  (pick "
                       "Yes if you are unsure)"},
    {IDS_HP_DETECTED, "HP-tools has been detected, but Velmora is currently set to use "
                      "GNU-tools.  Do you want to change the setting automatically?  (pick "
                      "Yes if you are unsure)"},
    {IDS_SOURCE_TEMPLATE, "\nNewSource\nVelmora\nVelmora Source Files (*.s)\n.s\n"
                          "Velmora.Document\nVelmora Document"},
    {IDS_PROJECT_TEMPLATE, "\nNewProject\nVelmora\nVelmora Project Files (*.hpr)\n.hpr\n"
                           "VelmoraProject.Document\nVelmora Project"},
    {IDS_ASK_TO_SAVE, "Save changes to %1?"},
    {IDS_SAVE_AS_CAPTION, "Save As"},
    {IDS_OPEN_CAPTION, "Open"},
    {IDS_ALL_FILES_FILTER, "All Files (*)"},
    {IDS_CANNOT_OPEN_KIND, "Cannot open the file \"%1\".\nThis version of Velmora does not "
                           "open files of this kind."},
    {IDS_DEFAULT_DIR_MISSING, "Default project directory doesn't exist: "},
    {IDS_DEFAULT_DIR_ERROR, "Error %1 occurred while changing to default project directory: %2"},
    {IDS_ERROR_CAPTION, "Error"},
    {IDS_CONFIRM_CAPTION, "Confirm"},
    {IDS_RESTORE_DEFAULT, "Restore the setting \"%1\" to its default value of \"%2\"?"},
    {IDS_LINE_COL_SIZER, "Ln: xxxxx Col: xxxxx"},
    {IDS_ABOUT_VERSION, "Velmora Version 1.21"},
    {IDS_ABOUT_MEMORY, "%1 KB"},
    {IDS_ABOUT_DISK, "%1 KB Free on %2"},
    {IDS_ABOUT_UNAVAILABLE, "Unavailable"},
    {IDS_TIP_HEADING, "Did you know..."},
    {IDS_HELP_MISSING, "The user guide could not be found."},
    {IDS_BUILD_PROGRESS, "Build Progress"},
    {IDS_COMPILING_SOURCE_FILE, "Compiling source file (%1)..."},
    {IDS_CREATING_DIRECTORY, "Creating directory..."},
    {IDS_CREATING_LIBRARY, "Creating library..."},
    {IDS_SAVE_PROJECT_BEFORE_ADDING, "Save the project document before adding source files to it."},
    {IDS_COMPILING_CURRENT_FILE, "Compiling current source file..."},
    {IDS_OBJECT_OUT_OF_DATE, "The object is older than its sources. Build it first?"},
    {IDS_OBJECT_NOT_BUILT, "The object has not been built yet. Build it now?"},
    {IDS_ALREADY_IN_PROJECT, "The file \"%1\" is already in the project."},
    {IDS_ROMID_OUT_OF_RANGE, "The ROMID %1 is out of range. A library number has three "
                             "hexadecimal digits: please enter a number from 0 to %2."},
};

} // namespace

QString LoadString(unsigned id)
{
    for (const StringEntry& entry : kStringTable) {
        if (entry.id == id) {
            return QString::fromUtf8(entry.text);
        }
    }
    return QString();
}
