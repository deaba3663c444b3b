// Wendrix gathers compiled calculator objects, each in its own file, into one HP48
// directory object written as a binary download file. An index file names the objects,
// one per line as "object-file ; variable-name", in the order of the variables.
//
// Everything the program prints goes to the stream that the caller hands in, so that
// tests see the exact console transcript.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct WendrixSettings
{
    std::string inputFile;
    std::string outputFile;
    std::string listingFile;
    bool verbose = false;
};

// What the command line asks for.
struct WendrixCommandLine
{
    enum Action
    {
        run,
        usage,
        error
    };
    Action action = run;
    WendrixSettings settings;
    std::string message; // what is wrong, for Action::error
};

// Reads the arguments (without the program name) from left to right.
WendrixCommandLine ParseWendrixCommandLine(const std::vector<std::string>& args);

// One line of the index file: the object file and the variable name as written, each
// without the white space around it. Empty for a line without a semicolon.
struct IndexEntry
{
    std::string path;
    std::string name;
};
std::optional<IndexEntry> SplitIndexLine(const std::string& line);

// The whole program: returns its exit code, 0 when the directory was written and
// verified (or only the usage was shown), 1 when a file or object error ended the run.
int RunWendrix(const std::vector<std::string>& args, std::ostream& out);
