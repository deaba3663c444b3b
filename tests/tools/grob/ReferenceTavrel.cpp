#include "ReferenceTavrel.h"

#include "NibbleFile.h"

#include <cstring>
#include <ostream>

namespace reference {

Split SplitStream(const std::vector<std::uint8_t>& stream)
{
    const int kEndMark = 0x10;  // equals no nibble
    const int kNoNibble = 0x11; // "previous" before the first nibble
    std::vector<int> input(stream.begin(), stream.end());
    input.push_back(kEndMark);

    Split split;
    split.blocks.push_back(Block{});
    int nPrevious = kNoNibble;
    bool bRunMode = false;
    unsigned nCount = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
        const int v = input[i];
        if (i == 0) {
            split.blocks.back().nibbles.push_back(v);
            nCount = 1;
        } else if (bRunMode) {
            if (v == nPrevious) {
                nCount += 1;
            } else {
                Block& run = split.blocks.back();
                run.nKind = 1;
                run.nValue = nPrevious;
                run.nCount = nCount;
                split.nRuns += 1;
                Block random;
                random.nibbles.push_back(v);
                split.blocks.push_back(random);
                nCount = 1;
                bRunMode = false;
            }
        } else if (v == nPrevious) {
            if (nCount > 1) {
                Block& random = split.blocks.back();
                random.nibbles.pop_back();
                random.nCount = nCount - 1;
                split.nRandom += 1;
                split.blocks.push_back(Block{});
            } else {
                split.blocks.back().nibbles.clear();
            }
            bRunMode = true;
            nCount = 2;
        } else {
            split.blocks.back().nibbles.push_back(v);
            nCount += 1;
        }
        nPrevious = v;
    }

    Block& last = split.blocks.back();
    if (nCount > 1) {
        last.nibbles.pop_back();
        last.nCount = nCount - 1;
        split.nRandom += 1;
    } else {
        split.blocks.pop_back();
    }
    return split;
}

void Optimize(std::vector<Block>& blocks)
{
    bool bMerged = true;
    while (bMerged) {
        bMerged = false;
        for (std::size_t k = 0; k + 1 < blocks.size() && !bMerged; ++k) {
            const unsigned nThreshold = k == 0 ? 3 : 5;
            Block& first = blocks[k];
            Block& second = blocks[k + 1];
            if (first.nKind == 1 && first.nCount < nThreshold && second.nKind == 0) {
                second.nibbles.insert(second.nibbles.begin(), first.nCount, first.nValue);
                second.nCount += first.nCount;
                blocks.erase(blocks.begin() + k);
                bMerged = true;
            } else if (first.nKind == 0 && second.nKind == 1 && second.nCount < nThreshold) {
                first.nibbles.insert(first.nibbles.end(), second.nCount, second.nValue);
                first.nCount += second.nCount;
                blocks.erase(blocks.begin() + k + 1);
                bMerged = true;
            } else if (first.nKind == 0 && second.nKind == 0) {
                first.nibbles.insert(first.nibbles.end(), second.nibbles.begin(),
                                     second.nibbles.end());
                first.nCount += second.nCount;
                blocks.erase(blocks.begin() + k + 1);
                bMerged = true;
            }
        }
    }
}

std::vector<std::uint8_t> CodeStream(const std::vector<std::uint8_t>& stream)
{
    Split split = SplitStream(stream);
    Optimize(split.blocks);
    NibbleSink sink;
    WriteBlocks(split.blocks, sink);
    return sink.nibbles;
}

int Compress(const std::string& strInput, const std::string& strOutput, std::ostream& out)
{
    try {
        CNibbleFile input(strInput, 0);
        CNibbleFile output(strOutput, 0x1002);
        unsigned char header[9] = {};
        input.ReadBytes(header, 8);
        if (std::memcmp(header, "HPHP48", 6) != 0) {
            out << "Warning: No binary download header\n";
            input.Seek(0);
        }
        std::uint32_t nProlog = 0, nLength = 0, nHeight = 0, nWidth = 0;
        input.ReadNibbleWord(&nProlog, 5);
        if (nProlog != 0x02B1E) {
            out << "Error: Can't compress non-GROB objects\n";
            return 1;
        }
        input.ReadNibbleWord(&nLength, 5);
        input.ReadNibbleWord(&nHeight, 5);
        input.ReadNibbleWord(&nWidth, 5);
        out << "GROB: " << nWidth << "x" << nHeight << '\n';
        if (nHeight > 255 || nWidth > 255) {
            out << "Error: Maximum for height and width is 255 pixels\n";
            return 1;
        }
        if (nHeight == 0 || nWidth == 0) {
            out << "Error: Can't compress a GROB with zero dimensions\n";
            return 1;
        }

        unsigned char text[] = "HPHP48-R";
        output.WriteBytes(text, 8);
        output.WriteNibbleWord(0x02A4E, 5);
        output.SetMarker(0xFFFFFFFF);
        output.WriteNibbleWord(0, 5);
        output.WriteNibbleWord(nHeight, 2);
        output.WriteNibbleWord(nWidth, 2);

        const std::uint32_t nData = nLength - 15;
        std::vector<unsigned char> buffer(nData / 2 + 2);
        input.ReadNibbles(buffer.data(), nData);
        std::vector<std::uint8_t> stream;
        for (std::uint32_t i = 0; i < nData; ++i) {
            const unsigned char byte = buffer[i / 2];
            stream.push_back(i % 2 == 0 ? byte >> 4 : byte & 0x0F);
        }

        Split split = SplitStream(stream);
        out << "Read " << split.blocks.size() << " block(s)\n";
        out << "  random: " << split.nRandom << '\n';
        out << "  run:    " << split.nRuns << '\n';
        out << "Optimizing...\n";
        Optimize(split.blocks);
        out << split.blocks.size() << " block(s) remaining\n";
        WriteBlocks(split.blocks, output);

        const int nOut = output.GetMarkerOffset(0xFFFFFFFF);
        const int nIn = static_cast<int>(nLength);
        out << nIn << " -> " << nOut << " (" << (nIn - nOut) * 100 / nIn << "%)\n";
        output.SeekToMarker();
        output.WriteNibbleWord(nOut, 5);
        return 0;
    } catch (const CNibbleFileException& exception) {
        out << "Error: " << exception.GetErrorName() << '\n';
    } catch (const CException& exception) {
        out << "Fatal Error: " << exception.GetErrorMessage() << '\n';
    }
    return 1;
}

} // namespace reference
