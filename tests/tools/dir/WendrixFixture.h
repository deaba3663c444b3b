// Runs Wendrix in a fresh temporary folder that is the current directory for the test,
// so that transcripts hold short relative names.
#pragma once

#include "../ScratchFolder.h"
#include "Wendrix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

// Bytes written out by hand, e.g. Bytes({0x96, 0x2A}).
inline std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

inline const std::string kHeader = "HPHP48-R";
// The real numbers 1 and 2 (21 nibbles each: prolog 02933, exponent, mantissa, sign).
inline const std::string kReal1 = Bytes({0x33, 0x29, 0, 0, 0, 0, 0, 0, 0, 0x10, 0});
inline const std::string kReal2 = Bytes({0x33, 0x29, 0, 0, 0, 0, 0, 0, 0, 0x20, 0});

// The usage text, as the program prints it.
inline const std::string kUsage =
    "Create directories in HP48 RPL format\n"
    "\n"
    "Wendrix -in \"input-file\" -out \"output-directory\" [-list \"listing-file\"] [-v]\n"
    "\n"
    "  -in input-file\n"
    "              Specifies the index file to create the directory from.\n"
    "  -out output-directory\n"
    "              Specifies the file to output the directory to.\n"
    "  -list listing-file\n"
    "              Specifies the file to list the directory information in.\n"
    "  -v          Enables verbose mode.\n"
    "\n"
    "Quotes are required around any filename that contains spaces.\n";

class WendrixTest : public ScratchFolderTest
{
protected:
    WendrixTest() : ScratchFolderTest("wendrix") {}

    static void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(name, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool Exists(const std::string& name) { return std::filesystem::exists(name); }

    // Runs the tool; the console output lands in m_transcript.
    int Run(const std::vector<std::string>& args)
    {
        std::ostringstream out;
        const int code = RunWendrix(args, out);
        m_transcript = out.str();
        return code;
    }
    // Writes the index and runs "-in index.lst -out out.dir" plus the extra arguments.
    int Build(const std::string& index, const std::vector<std::string>& extra = {})
    {
        Write("index.lst", index);
        std::vector<std::string> args{"-in", "index.lst", "-out", "out.dir"};
        args.insert(args.end(), extra.begin(), extra.end());
        return Run(args);
    }

    std::string m_transcript;
};
