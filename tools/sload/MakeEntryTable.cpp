// make_entry_table: writes the bundled ENTRIES.O from the checked list of ROM entry
// points, keeping only names and addresses. Reading the list with the loader's own
// reader means a malformed row stops the build instead of reaching users.
#include "EntryTable.h"

#include <cstdio>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_entry_table LIST OUTPUT\n";
        return 1;
    }
    std::vector<Entry> entries;
    std::string error;
    if (!ReadEntryTable(argv[1], entries, error)) {
        std::cerr << error << '\n';
        return 1;
    }
    const std::string temp = std::string(argv[2]) + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << FormatEntryTable(entries, "HP 48 G/GX ROM entry points");
        if (!out.flush()) {
            std::cerr << "cannot write " << temp << '\n';
            std::remove(temp.c_str());
            return 1;
        }
    }
    if (std::rename(temp.c_str(), argv[2]) != 0) {
        std::cerr << "cannot write " << argv[2] << '\n';
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
}
