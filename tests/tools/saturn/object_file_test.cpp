// The object file keeps every part of a module through a write and a read, and the
// reader turns each kind of damage into a message instead of a module.
#include "ObjectFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace saturn;

namespace {

ObjectModule SampleModule()
{
    ObjectModule module;
    module.sourceName = "dir\\odd \"name\".a";
    module.code.assign(130, 7);
    module.code[0] = 15;
    module.symbols = {{"START", 0, true, true}, {"%1+", -5, false, false}};
    module.relocations = {
        {3, 5, true, FieldCheck::SignedNonZero, RelocationBase::Symbol, "SAVPTR", -2},
        {10, 5, false, FieldCheck::Fits, RelocationBase::Module, "", 129},
        {20, 4, true, FieldCheck::Signed, RelocationBase::Address, "", 0x1234}};
    module.files = {"main.s", "tab\there.a"};
    module.lines = {{0, 0, 4}, {3, 1, 9}, {10, 0, 5}};
    return module;
}

TEST(ObjectFile, WriteAndReadKeepEveryPart)
{
    const std::string path = testing::TempDir() + "/sample.o";
    std::string error;
    ASSERT_TRUE(WriteObjectFile(SampleModule(), path, error)) << error;
    ObjectModule back;
    ASSERT_TRUE(ReadObjectFile(path, back, error)) << error;
    EXPECT_EQ(FormatObject(back), FormatObject(SampleModule()));
    EXPECT_EQ(back.sourceName, SampleModule().sourceName);
    EXPECT_EQ(back.files[1], "tab\there.a");
    EXPECT_EQ(back.LineAt(2)->line, 4u);
    EXPECT_EQ(back.LineAt(200)->line, 5u);
    EXPECT_EQ(back.FindSymbol("%1+")->value, -5);

    // CR LF line ends read the same.
    std::string text = FormatObject(SampleModule()), crlf;
    for (const char c : text) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    ASSERT_TRUE(ParseObject(crlf, back, error)) << error;
    EXPECT_EQ(FormatObject(back), text);
}

TEST(ObjectFile, RefusesAnInvalidModuleAndLeavesNoFile)
{
    ObjectModule module = SampleModule();
    module.relocations[0].offset = 127; // 5 nibbles past 130
    const std::string path = testing::TempDir() + "/refused.o";
    std::filesystem::remove(path);
    std::string error;
    EXPECT_FALSE(WriteObjectFile(module, path, error));
    EXPECT_NE(error.find("outside the code"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ObjectFile, ReaderRejectsDamage)
{
    const std::string good = FormatObject(SampleModule());
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct
    {
        std::string text;
        const char* message;
    } cases[] = {
        {"", "not a Saturn object file"},
        {good.substr(0, good.size() - 4), "missing END"},
        {good + "X\n", "text after END"},
        {replaced("CODE 130", "CODE 131"), "wrong length"},
        {replaced("CODE 130", "CODE 99999999"), "address space"},
        {replaced("F777", "G777"), "not a hex digit"},
        {replaced("SYMBOL %1+ L", "SYMBOL START L"), "defined twice"},
        {replaced("START G R 0", "START G R 131"), "outside the code"},
        {replaced("RELOC 3 5", "RELOC 3 9"), "1 to 8"},
        {replaced("RELOC 10 5", "RELOC 126 5"), "outside the code"},
        {replaced("REL NONZERO", "REL MAYBE"), "check and addend"},
        {replaced("LINE 3 1", "LINE 3 2"), "not listed"},
        {replaced("LINE 10 0", "LINE 1 0"), "code order"},
        {replaced("SOURCE \"", "SOURCE \"\\q"), "SOURCE"},
        {replaced("-2 SYMBOL SAVPTR", "-2 SYMBOL SAV PTR"), "after the relocation"},
        {replaced("129 MODULE", "129 SYMBOL"), "empty symbol name"},
        {replaced("129 MODULE", "129 LOCAL"), "MODULE, ADDRESS or SYMBOL"},
        {replaced("-5\n", "99999999999999999999\n"), "SYMBOL"},
    };
    for (const auto& c : cases) {
        ObjectModule module;
        std::string error;
        EXPECT_FALSE(ParseObject(c.text, module, error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.message << " / " << error;
    }
}

} // namespace
