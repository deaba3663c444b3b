// Assembles source text held in memory, for tests.
#pragma once

#include "Assembler.h"

#include <string>

inline sasm::AssemblyResult AssembleText(const std::string& text,
                                         std::optional<std::uint32_t> origin = std::nullopt)
{
    sasm::AssemblerOptions options;
    options.origin = origin;
    options.readFile = [text](const std::string& path, std::string& contents, std::string& error) {
        if (path != "test.a") {
            error = "cannot open " + path;
            return false;
        }
        contents = text;
        return true;
    };
    return sasm::Assemble("test.a", options);
}

inline std::string HexNibbles(const std::vector<std::uint8_t>& nibbles)
{
    std::string out;
    for (const std::uint8_t nibble : nibbles) {
        out += "0123456789ABCDEF"[nibble & 15];
    }
    return out;
}

inline std::string Errors(const sasm::AssemblyResult& result)
{
    std::string out;
    for (const auto& error : result.errors) {
        out += sasm::FormatError(error) + "\n";
    }
    return out;
}
