// sasm: assembles one Saturn source file into an object module for the loader, or with
// -H into raw code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace sasm {

// Runs the tool on its arguments (the program name excluded). Every message goes to out,
// one CR LF line each. Returns the exit code: 0 after a clean assembly, 1 for errors in
// the source, the usage text and every other failure.
int RunSasm(const std::vector<std::string>& arguments, std::ostream& out);

} // namespace sasm
