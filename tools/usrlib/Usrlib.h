// usrlib: the library builder of the tool chain. It turns a directory object, as the
// directory tool writes it, into an HP48 library object in a binary download file:
//
//   usrlib [-r NUMBER] IN.dir OUT.lib
//
// -r gives the library number in decimal and takes precedence over the directory's
// $ROMID. The output is written to a temporary file beside OUT and renamed when it is
// complete, so a failed run leaves no output behind.
//
// Everything the program prints goes to the stream that the caller hands in, in lines
// ended by CR LF, as the build messages expect them.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct UsrlibCommandLine
{
    enum Action
    {
        run,
        usage,
        error
    };
    Action action = run;
    std::optional<std::uint32_t> romId;
    std::string inputFile;
    std::string outputFile;
    std::string message; // what is wrong, for Action::error
};

// Reads the arguments (without the program name).
UsrlibCommandLine ParseUsrlibCommandLine(const std::vector<std::string>& args);

// The whole program: returns its exit code, 0 when the library was written (or only the
// usage was asked for), 1 on any error.
int RunUsrlib(const std::vector<std::string>& args, std::ostream& out);
