// Entry tables: the names and addresses of ROM entry points that the loader resolves
// references with, and that the editor offers for completion. Users bring them in
// several shapes; the reader tells them apart from the content alone:
//   our table          NAME  #hhhhh  ; comment          (the bundled ENTRIES.O)
//   SASM equates       =NAME  EQU  #hhhhh  * comment
//   plain equates      NAME  EQU  #hhhhh   or   NAME  equ  $hhhhh
//   tab list           hhhhh<TAB>NAME<TAB>stack diagram ( GX: hhhhh )
//   HP object file     the binary "Saturn3" layout of HP's own ENTRIES.O
// In the text forms, blank lines and lines starting with '*' or ';' are comments, names
// are case-sensitive and any run of non-blank characters, a leading '=' is dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct Entry
{
    std::string name;
    std::uint32_t address;
};

// Reads any supported format. On failure returns false and sets error to one line that
// names the file (and the line, for text tables) in the tools' error form:
//   *** ERROR in "FILE" on line N: text
// out then holds nothing.
bool ReadEntryTable(const std::string& path, std::vector<Entry>& out, std::string& error);

// The same for a table already in memory; fileName only appears in messages.
bool ParseEntryTable(std::string_view content, const std::string& fileName, std::vector<Entry>& out,
                     std::string& error);

// Our table as text: a title comment, then one "NAME #hhhhh" line per entry in the
// given order, lines ended by CR LF. ReadEntryTable reads it back to the same entries.
std::string FormatEntryTable(const std::vector<Entry>& entries, std::string_view title);
