// A System RPL source of a given number of lines, as a real program is written: the
// download-header lines, then programs calling ROM entries (all of them in the bundled
// entry table, so the source also loads), with literals of every common kind, loops and
// a code object. The tool-chain benchmarks compile, assemble and load it.
#pragma once

#include <string>

inline std::string GeneratedRplSource(int lines)
{
    static const char* const kBody[] = {
        "  CK2 SWAP OVER ROT DROP           ( shuffle the stack )",
        "  % 1.5 % -12.5 %+ %2 %*            ( reals )",
        "  # 1C 28 #+ #1+ DROP               ( system binaries )",
        "  $ \"Hello, world\" DROP NULL$ DROP",
        "  C% 1 -2 DROP %% 3.25 DROP",
        "  CHR A DROP ID Name DROP LAM x DROP",
        "  HXS 5 12345 DROP ROMPTR 4D2 1 DROP",
        "  { % 1 % 2 ONE } DROP",
        "  BEGIN DUP #0= WHILE DROP ONE REPEAT",
        "  DUP %0= IT DROP COERCE UNCOERCE",
    };
    std::string source = "ASSEMBLE\n  NIBASC /HPHP48-R/\nRPL\n* generated benchmark source\n";
    int written = 4;
    int program = 0;
    source += "::\n  CK0\n";
    written += 2;
    while (written < lines - 6) {
        if (program % 25 == 24) {
            source += "  CODE\n    GOSBVL =SAVPTR\n    GOVLNG =GETPTRLOOP\n  ENDCODE DROP\n";
            written += 4;
        }
        source += "  ::\n";
        for (int i = 0; i < 8 && written < lines - 6; ++i) {
            source += std::string(kBody[(program + i) % std::size(kBody)]) + "\n";
            ++written;
        }
        source += "  ; DROP\n";
        written += 2;
        ++program;
    }
    source += "  ONE TWO THREE\n  DROP DROP DROP\n;\n";
    written += 3;
    while (written++ < lines) {
        source += "* end\n";
    }
    return source;
}
