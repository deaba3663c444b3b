#include "Sdis.h"

#include "Disassembler.h"
#include "ToolFiles.h"

#include <ostream>

namespace sasm {

int RunSdis(const std::vector<std::string>& arguments, std::ostream& out)
{
    std::string input;
    std::string output;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "-o" && i + 1 < arguments.size() && output.empty()) {
            output = saturn::ResolveToolPath(arguments[++i]);
        } else if (!arguments[i].empty() && arguments[i][0] != '-' && input.empty()) {
            input = saturn::ResolveToolPath(arguments[i]);
        } else {
            input.clear();
            break;
        }
    }
    if (input.empty()) {
        out << "Usage: sdis [-o OUTFILE] INPUT\r\n"
               "Disassembles Saturn code into source that sasm assembles back to the same\r\n"
               "nibbles. INPUT is an object module (.o), a download file (HPHP48- header)\r\n"
               "or hex text. Without -o the source goes to standard output.\r\n";
        return 1;
    }
    std::string bytes;
    std::string error;
    DisassemblyInput code;
    if (!saturn::ReadWholeFile(input, bytes, error) || !ReadDisassemblyInput(bytes, code, error)) {
        out << "Error: " << error << "\r\n";
        return 1;
    }
    const std::string source = Disassemble(code);
    if (output.empty()) {
        out << source;
        return 0;
    }
    if (!saturn::WriteFileReplacing(output, source, error)) {
        out << "Error: " << error << "\r\n";
        return 1;
    }
    return 0;
}

} // namespace sasm
