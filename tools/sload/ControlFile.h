// The loader's control file: one command per line, named by its first two letters in
// any case (OUTPUT, OUT and OU are the same command). Blank lines and lines whose first
// non-blank character is '*' are comments. A file name may be quoted ("My Prog.o");
// without a closing quote it runs to the end of the line. Text after an operand is a
// comment.
//   TI text       listing title             OU file   download file to write
//   LL file       load listing to write     SU XR     no cross reference in the listing
//   SE file       entry table to search     RE file   object module to load
//   AB hhhhh      load at this address      ST hhhhh  the same
//   LI file       read another control file EN        end of the commands
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A file named in a control file, and where: messages about the file point there.
struct ControlOperand
{
    std::string path;    // as written, quotes removed
    std::string file;    // the control file that names it
    std::size_t line{0}; // its line there
};

struct LoadControl
{
    std::string title;
    std::optional<ControlOperand> output;
    std::optional<ControlOperand> listing;
    bool crossReference = true;
    std::vector<ControlOperand> tables;  // in search order
    std::vector<ControlOperand> modules; // in load order
    // Set by AB or ST: the load then sits at this address instead of being relocatable.
    std::optional<std::uint32_t> origin;
};

// Reads the control file at path (read as given, else with '\' as separator). Every
// fault is appended to errors as a complete message line; the commands that could be
// read are in control either way.
void ReadControlFile(const std::string& path, LoadControl& control,
                     std::vector<std::string>& errors);

// The same for text already in memory; fileName only appears in messages.
void ParseControlFile(const std::string& text, const std::string& fileName, LoadControl& control,
                      std::vector<std::string>& errors);
