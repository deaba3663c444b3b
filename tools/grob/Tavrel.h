// Tavrel: reads one HP48 graphic object (GROB) from a binary file and writes it as a
// run-length coded binary integer, which the calculator shows as a hex string and
// expands again with #E3063h LIBEVAL.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace grob {

// Runs the tool on its arguments (the program name excluded): exactly the input file and
// the output file. Every message goes to out, one per line. Returns the exit code: 0
// after a compression, 1 for the usage text and for every error.
int RunTavrel(const std::vector<std::string>& arguments, std::ostream& out);

} // namespace grob
