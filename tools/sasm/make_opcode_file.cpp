// Writes SASM.OPC, the readable listing of the instruction table, at build time, so the
// file in the tool location always matches the table the assembler was built with.
#include "InstructionTable.h"
#include "ToolFiles.h"

#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_opcode_file OUTPUT\n";
        return 1;
    }
    std::string error;
    if (!saturn::WriteFileReplacing(argv[1], saturn::OpcodeListing(), error)) {
        std::cerr << error << '\n';
        return 1;
    }
    return 0;
}
