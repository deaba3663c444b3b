// Every reference vector assembles, at #10000, to exactly its nibbles; a form the
// assembler does not choose disassembles to a source that keeps its nibbles.
#include "Disassembler.h"
#include "SasmTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

struct Vector
{
    std::string source; // statements separated by " / "
    std::string nibbles;
    bool decodeOnly = false;
};

std::vector<Vector> ReadVectors()
{
    std::ifstream in(SASM_TEST_DATA "/vectors.txt");
    std::vector<Vector> vectors;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        Vector vector;
        const std::size_t tab = line.find('\t');
        vector.source = line.substr(0, tab);
        vector.nibbles = line.substr(tab + 1);
        vector.decodeOnly = vector.source[0] == '!';
        if (vector.decodeOnly) {
            vector.source.erase(0, 1);
        }
        vectors.push_back(vector);
    }
    return vectors;
}

std::string AsSource(std::string statements)
{
    std::string text = "        ";
    for (std::size_t at; (at = statements.find(" / ")) != std::string::npos;) {
        statements.replace(at, 3, "\n        ");
    }
    return text + statements + "\n";
}

TEST(SasmVectors, EveryVectorAssemblesToItsNibbles)
{
    const std::vector<Vector> vectors = ReadVectors();
    ASSERT_EQ(vectors.size(), 234u);
    for (const Vector& vector : vectors) {
        if (vector.decodeOnly) {
            sasm::DisassemblyInput input;
            std::string error;
            ASSERT_TRUE(sasm::ReadDisassemblyInput(vector.nibbles, input, error));
            const std::string source = sasm::Disassemble(input);
            EXPECT_NE(source.find(vector.source), std::string::npos) << source;
            EXPECT_EQ(HexNibbles(AssembleText(source).module.code), vector.nibbles) << source;
            continue;
        }
        const sasm::AssemblyResult result = AssembleText(AsSource(vector.source), 0x10000);
        EXPECT_EQ(Errors(result), "") << vector.source;
        EXPECT_EQ(HexNibbles(result.module.code), vector.nibbles) << vector.source;
    }
}

} // namespace
