// The object walk written the plain recursive way, on top of CNibbleFile's word reads
// and relative seeks only. Tests and the fuzz target compare the library's walk, which
// needs no call stack for nesting, against it. Nesting deeper than nMaxDepth stops the
// reference (TooDeep) so that the reference itself cannot overflow the stack.
#pragma once

#include "NibbleFile.h"

#include <cstdint>

namespace nibbletest {

struct TooDeep
{
};

class ReferenceWalk
{
public:
    ReferenceWalk(CNibbleFile& file, int nMaxDepth) : m_file(file), m_nMaxDepth(nMaxDepth) {}

    std::uint32_t Skip() { return Skip(0); }

private:
    std::uint32_t Word(std::uint32_t nWidth)
    {
        std::uint32_t nValue = 0;
        m_file.ReadNibbleWord(&nValue, nWidth);
        return nValue;
    }
    void Forward(std::uint32_t nDistance) { m_file.SeekRel(nDistance, 1); }
    void Check(std::uint32_t nStart, std::uint32_t nCount)
    {
        if (nStart + nCount != m_file.FilePos()) {
            throw CNibbleFileException(CNibbleFileException::invalidObject);
        }
    }

    std::uint32_t Skip(int nDepth)
    {
        if (nDepth > m_nMaxDepth) {
            throw TooDeep();
        }
        const std::uint32_t nStart = m_file.FilePos();
        const std::uint32_t nProlog = Word(5);
        switch (nProlog) {
        case 0x02911:
            return Fixed(10);
        case 0x02933:
            return Fixed(21);
        case 0x02955:
            return Fixed(26);
        case 0x02977:
            return Fixed(37);
        case 0x0299D:
            return Fixed(47);
        case 0x029BF:
            return Fixed(7);
        case 0x02BAA:
            return Fixed(15);
        case 0x02E92:
            return Fixed(11);
        case 0x029E8:
        case 0x02A0A:
        case 0x02A2C:
        case 0x02A4E:
        case 0x02B1E:
        case 0x02B40:
        case 0x02B62:
        case 0x02B88:
        case 0x02BCC:
        case 0x02BEE:
        case 0x02C10:
        case 0x02DCC: {
            const std::uint32_t nLength = Word(5);
            Forward(nLength - 5);
            return nLength + 5;
        }
        case 0x02A74:
        case 0x02AB8:
        case 0x02ADA:
        case 0x02D9D: {
            std::uint32_t nCount = 10;
            for (;;) {
                const std::uint32_t nSize = Skip(nDepth + 1);
                if (nSize == 0) {
                    break;
                }
                nCount += nSize;
            }
            Check(nStart, nCount);
            return nCount;
        }
        case 0x02A96: {
            Word(3);
            const std::uint32_t nOffset = Word(5);
            if (nOffset == 0) {
                return 13;
            }
            std::uint32_t nCount = 8 + nOffset;
            Forward(nOffset - 5);
            const std::uint32_t nChars = Word(2);
            if (nChars > 0) {
                Forward(2 * nChars + 2);
                nCount += 2 * nChars + 4;
            } else {
                nCount += 2;
            }
            nCount += Skip(nDepth + 1);
            Check(nStart, nCount);
            return nCount;
        }
        case 0x02AFC: {
            const std::uint32_t nChars = Word(2);
            const std::uint32_t nCount = 2 * nChars + 7;
            Forward(2 * nChars);
            return nCount + Skip(nDepth + 1);
        }
        case 0x02E48:
        case 0x02E6D: {
            const std::uint32_t nChars = Word(2);
            Forward(2 * nChars);
            return 2 * nChars + 7;
        }
        case 0x0312B:
            return 0;
        default:
            return Fixed(5);
        }
    }

    std::uint32_t Fixed(std::uint32_t nSize)
    {
        Forward(nSize - 5);
        return nSize;
    }

    CNibbleFile& m_file;
    int m_nMaxDepth;
};

} // namespace nibbletest
