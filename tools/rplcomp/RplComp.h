// The rplcomp command line: rplcomp [SOURCE [OUTPUT [EXTERNALS]]], where "-" (or a missing
// name) is standard input or output. Error lines go to out, CR LF ended; the result is the
// exit code, 0 when the output was written and 1 when it was not.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunRplcomp(const std::vector<std::string>& args, std::istream& in, std::ostream& out);
