// The relocatable object module that the assembler writes and the loader reads: code
// nibbles, symbols, relocations, a map from code to source lines and the module's source
// name. The file form is a line-oriented text (see FormatObject); ReadObjectFile checks
// every field, so a loader never sees an inconsistent module.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace saturn {

// Largest module: the Saturn address space, 2^20 nibbles.
constexpr std::uint32_t kMaxCodeNibbles = 0x100000;
// Widest field a relocation may patch (32 bits).
constexpr unsigned kMaxRelocationWidth = 8;

struct ObjectSymbol
{
    std::string name;         // without the '=' that marks a global in source
    std::int64_t value = 0;   // a nibble offset into the code when relocatable
    bool global = false;      // exported to other modules
    bool relocatable = false; // moves with the module (a label), else an absolute value
};

// How the loader checks the final field value before storing its low nibbles.
enum class FieldCheck : std::uint8_t
{
    Truncate,      // keep the low nibbles, never an error (e.g. D0=(2) of an address)
    Fits,          // signed or unsigned in the width (CON fields)
    Signed,        // two's complement in the width (relative branches, REL)
    SignedNonZero, // as Signed, and 0 is reserved (GOC/GONC/GOYES: 0 means a return)
};

// What a relocation's target S is.
enum class RelocationBase : std::uint8_t
{
    Module,  // the load address of this module (a label of this module: A is its offset)
    Symbol,  // the address of `symbol`, a global of another module or of the entry table
    Address, // 0, so the addend is an absolute address (a branch to a fixed ROM address)
};

// A field whose value the loader completes. With S the target (see RelocationBase), A the
// addend and P the load address of the field itself:
//   absolute: field = S + A
//   relative: field = S + A - P
// So a branch whose offset counts from past the field carries that distance in A.
struct Relocation
{
    std::uint32_t offset = 0; // nibble offset of the field in the code
    std::uint8_t width = 0;   // 1..kMaxRelocationWidth nibbles
    bool relative = false;
    FieldCheck check = FieldCheck::Truncate;
    RelocationBase base = RelocationBase::Module;
    std::string symbol; // only for RelocationBase::Symbol
    std::int64_t addend = 0;
};

// Code from `offset` on (up to the next entry) came from `line` of files[file].
struct LineMapEntry
{
    std::uint32_t offset = 0;
    std::uint32_t file = 0;
    std::uint32_t line = 0;
};

struct ObjectModule
{
    std::string sourceName;         // the file given to the assembler
    std::vector<std::uint8_t> code; // one nibble (0..15) per element
    std::vector<ObjectSymbol> symbols;
    std::vector<Relocation> relocations;
    std::vector<std::string> files;  // file names used by the line map
    std::vector<LineMapEntry> lines; // ascending offsets

    // The source line that produced the nibble at `offset`, or null when none did.
    const LineMapEntry* LineAt(std::uint32_t offset) const;
    const ObjectSymbol* FindSymbol(std::string_view name) const;
};

// Whether a symbol name can be stored: 1 to 255 characters, none of them a blank or a
// control character.
bool IsValidSymbolName(std::string_view name);

// Checks the module's consistency; returns an empty string when it is sound, else the
// first fault found.
std::string ValidateObject(const ObjectModule& module);

// The file form of a module (only for a module that ValidateObject accepts).
std::string FormatObject(const ObjectModule& module);
// Parses and validates the file form. On failure returns false with a message and
// leaves `module` unspecified.
bool ParseObject(std::string_view text, ObjectModule& module, std::string& error);

// Writes through a temporary file renamed into place, so a failed write never leaves a
// file that looks complete. Refuses a module that ValidateObject rejects.
bool WriteObjectFile(const ObjectModule& module, const std::string& path, std::string& error);
bool ReadObjectFile(const std::string& path, ObjectModule& module, std::string& error);

} // namespace saturn
