// Branches reach exactly as far as their offset fields allow, and a source with several
// faults gets one error line for each, in the form the build messages window follows.
#include "SasmTestSupport.h"
#include "SourceReference.h"

#include <gtest/gtest.h>

namespace {

std::string Hex5(std::int64_t address)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out = "#";
    for (int shift = 16; shift >= 0; shift -= 4) {
        out += kHex[(address >> shift) & 15];
    }
    return out;
}

TEST(SasmBranches, LastReachableTargetBothWaysAndOnePast)
{
    // Statement at #10000 (after a test where one is needed), base of the offset, width.
    const struct
    {
        const char* before;
        const char* branch;
        std::int64_t base;
        unsigned width;
    } cases[] = {
        {"", "GOC", 0x10001, 2},         {"", "GONC", 0x10001, 2},
        {"", "GOTO", 0x10001, 3},        {"", "GOSUB", 0x10004, 3},
        {"", "GOLONG", 0x10002, 4},      {"", "GOSUBL", 0x10006, 4},
        {"?A=0 A", "GOYES", 0x10003, 2}, {"?ABIT=0 3", "GOYES", 0x10005, 2},
        {"", "REL(3)", 0x10000, 3},
    };
    for (const auto& c : cases) {
        const std::int64_t reach = std::int64_t{1} << (4 * c.width - 1);
        for (const std::int64_t offset : {reach - 1, -reach, reach, -reach - 1}) {
            const std::string text = std::string("        ") + c.before + "\n        " + c.branch +
                                     " " + Hex5(c.base + offset) + "\n";
            const sasm::AssemblyResult result = AssembleText(text, 0x10000);
            const bool inRange = offset >= -reach && offset < reach;
            EXPECT_EQ(result.errors.empty(), inRange) << text << Errors(result);
            if (!inRange) {
                EXPECT_NE(Errors(result).find("out of range"), std::string::npos) << text;
            }
        }
    }
    // Offset 0 of GOC is RTNC, so the address of its own offset field is unreachable.
    EXPECT_NE(Errors(AssembleText("        GOC #10001\n", 0x10000)).find("cannot be encoded"),
              std::string::npos);
}

TEST(SasmErrors, EveryFaultOfAFileIsReportedWithItsLineAndTheMessagesWindowFindsIt)
{
    const std::string text = "* faults\n"
                             "        GOTO    nowhere\n"
                             "        BOGUS\n"
                             "        A=A+B   Q\n"
                             "        LC(2)   300\n"
                             "twice   RTN\n"
                             "twice   RTN\n"
                             "        GOC     far\n"
                             "        BSS     300\n"
                             "far     RTN\n"
                             "*#line 40 \"main.s\"\n"
                             "        CON(5)  undefined\n";
    const sasm::AssemblyResult result = AssembleText(text);
    EXPECT_EQ(Errors(result),
              "*** ERROR in \"test.a\" on line 2: undefined local label nowhere\n"
              "*** ERROR in \"test.a\" on line 3: unknown mnemonic BOGUS\n"
              "*** ERROR in \"test.a\" on line 4: bad field Q\n"
              "*** ERROR in \"test.a\" on line 5: value too wide for its field: #12C in 2 "
              "nibbles\n"
              "*** ERROR in \"test.a\" on line 7: duplicate label twice\n"
              "*** ERROR in \"test.a\" on line 8: branch out of range: offset 302 does not fit "
              "in 2 nibbles\n"
              "*** ERROR in \"main.s\" on line 40: undefined local label undefined\n");
    for (const sasm::Diagnostic& error : result.errors) {
        const auto reference =
            ParseSourceReference(QString::fromStdString(sasm::FormatError(error)));
        ASSERT_TRUE(reference.has_value());
        EXPECT_EQ(reference->fileName.toStdString(), error.file);
        EXPECT_EQ(reference->line, static_cast<int>(error.line));
    }
}

TEST(SasmErrors, DeepNestingGetsAMessageInsteadOfACrash)
{
    // Equates that build on the ones above are fine however many; a chain of forward
    // references and deep parentheses are refused.
    std::string upward = "X0      EQU     1\n";
    std::string forward = "        CON(5)  Y0\n";
    for (int i = 1; i < 5000; ++i) {
        upward.append("X").append(std::to_string(i)).append("      EQU     X");
        upward.append(std::to_string(i - 1)).append("\n");
        forward.append("Y").append(std::to_string(i - 1)).append("      EQU     Y");
        forward.append(std::to_string(i)).append("\n");
    }
    EXPECT_EQ(Errors(AssembleText(upward + "        CON(5)  X4999\n")), "");
    EXPECT_NE(Errors(AssembleText(forward + "Y4999   EQU     1\n")).find("too long"),
              std::string::npos);
    EXPECT_NE(Errors(AssembleText("        CON(5)  " + std::string(100000, '(') + "\n"))
                  .find("nested too deeply"),
              std::string::npos);
}

TEST(SasmErrors, StopsListingAfterAHundred)
{
    std::string text;
    for (int i = 0; i < 150; ++i) {
        text += "        BOGUS\n";
    }
    const sasm::AssemblyResult result = AssembleText(text);
    EXPECT_EQ(result.errors.size(), 100u);
    EXPECT_TRUE(result.moreErrors);
}

} // namespace
