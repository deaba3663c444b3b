// Turns an HP48 directory object into a library object. Every variable of the directory
// becomes a command of the library; six control variables steer the build instead:
//
//   $ROMID    the library number (real, system binary or user binary integer)
//   $TITLE    a string: the title the LIBRARY menu shows
//   $CONFIG   the configuration object, or the global name of a variable that holds it
//   $VISIBLE  a list of global names: the commands that get a name, in this order
//   $HIDDEN   a list of global names: commands without a name, after the visible ones
//   $MESSAGE  a list (or a one-dimensional array) of strings: the message table
//
// Variables named in neither list follow as commands without a name; without a $VISIBLE
// variable, every variable that $HIDDEN does not name gets a name. Global names inside
// programs that call another variable of the directory become XLIB names of the library,
// so the library runs without the directory.
#pragma once

#include "NibbleFile.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A run of nibbles in memory order, one nibble (0 to 15) per element.
using Nibbles = std::vector<std::uint8_t>;

// A fault of the input or of the arguments that stops the build; what() is the message.
class CLibraryError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One variable of the input directory.
struct DirectoryVariable
{
    std::string name;          // the calculator's character codes
    std::uint32_t nFilePos{0}; // first nibble of its object in the input file
    Nibbles object;
};

// The variables of the directory object that the file holds at its start, or behind a
// download header ("HPHP48" and two more bytes), in the order in which they are stored.
// Throws CLibraryError when the file holds no directory, CNibbleFileException when the
// directory is broken.
std::vector<DirectoryVariable> ReadDirectoryVariables(CNibbleFile& file);

struct LibraryResult
{
    Nibbles object; // the library, from its prolog to its CRC
    std::uint32_t nRomId{0};
    std::string title;
    int nCommands{0};
    int nNamed{0};
    std::uint32_t nCrc{0};
};

// Builds the library from the directory in the file. nRomId, when set, replaces $ROMID.
// Throws CLibraryError (or CNibbleFileException for a broken object) on any fault.
LibraryResult BuildLibrary(CNibbleFile& file, std::optional<std::uint32_t> nRomId);

// The library CRC over nibbles [nFirst, nEnd) of the object.
std::uint32_t LibraryCrc(const Nibbles& object, std::size_t nFirst, std::size_t nEnd);

// Library numbers occupy three nibbles.
constexpr std::uint32_t kMaxRomId = 0xFFF;
// Hash-table names are grouped by their length, 1 to 16 characters.
constexpr std::size_t kMaxCommandName = 16;
// The title is counted by a 2-nibble field.
constexpr std::size_t kMaxTitle = 255;
// Command numbers occupy three nibbles.
constexpr std::size_t kMaxCommands = 0x1000;
