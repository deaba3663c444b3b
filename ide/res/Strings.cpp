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
    {IDS_OPEN_FAILED, "Cannot open the file \"%1\".\n%2"},
    {IDS_SAVE_FAILED, "Cannot save the file \"%1\".\n%2"},
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
