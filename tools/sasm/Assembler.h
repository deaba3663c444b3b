// The Saturn assembler: two passes over a source file and the files it includes. The
// first pass reads every line, fixes each statement's size and the labels' addresses;
// the second evaluates the operands and emits the code, the relocations for what only
// the loader can complete, and the map from code to source lines.
#pragma once

#include "ObjectFile.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sasm {

constexpr std::size_t kMaxErrors = 100;

struct Diagnostic
{
    std::string file; // the origin file as the source names it
    std::uint32_t line = 0;
    std::string text;
};

// Reads a whole source file; false with a message when it cannot.
using FileReader =
    std::function<bool(const std::string& path, std::string& text, std::string& error)>;

struct AssemblerOptions
{
    std::vector<std::pair<std::string, std::int64_t>> defines; // -D sym=val
    // No loader follows (-H): every value must be known, nothing may be relocated.
    bool raw = false;
    // A fixed load address: labels and (*) become plain numbers and no relocation is
    // needed for them.
    std::optional<std::uint32_t> origin;
    bool listing = false;
    FileReader readFile; // empty: read from disk
};

struct AssemblyResult
{
    saturn::ObjectModule module;    // complete only when `errors` is empty
    std::vector<Diagnostic> errors; // in source order, at most kMaxErrors
    bool moreErrors = false;        // errors beyond the first kMaxErrors were dropped
    std::string listing;            // when asked for: address, nibbles, source line
};

AssemblyResult Assemble(const std::string& sourcePath, const AssemblerOptions& options);

// The error line the IDE's build messages turn into a jump to the source.
std::string FormatError(const Diagnostic& diagnostic);

} // namespace sasm
