// sdis: disassembles Saturn code (an object module, a download file or hex text) into
// source that sasm assembles back to the same nibbles.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace sasm {

// Runs the tool on its arguments (the program name excluded): the input file and
// optionally -o OUTFILE; without -o the source goes to out. Returns the exit code.
int RunSdis(const std::vector<std::string>& arguments, std::ostream& out);

} // namespace sasm
