// The RPL compiler proper: System RPL source text in, SASM source text out. Every object
// of the source becomes the SASM statements that lay out its nibbles; names that the
// source does not define become =NAME references that the loader resolves. The output
// carries "*#line N "FILE"" comments, so that the assembler and the loader can name the
// source file and line of each statement.
#pragma once

#include "SourceReader.h"

#include <string>
#include <vector>

struct CompileResult
{
    std::string assembly;               // the SASM source, lines ended by CR LF
    std::vector<std::string> errors;    // error lines, without line ends; empty on success
    std::vector<std::string> externals; // =NAME references not defined here, sorted
};

CompileResult CompileRpl(const std::string& fileName, const std::string& text,
                         const IncludeReader& include);
