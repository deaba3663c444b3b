// Walking over RPL objects by their prologs, and the object CRC.
//
// Composites, directories and tagged objects nest. The walk keeps the objects it is
// inside of on an explicit stack in memory rather than on the call stack, so that no
// input, however deeply nested, can overflow the stack; the sizes, positions and
// failures are those of walking each nested object in turn.
#include "NibbleFile.h"

#include <memory>
#include <vector>

namespace {

enum Prolog : std::uint32_t
{
    prologSystemBinary = 0x02911,
    prologReal = 0x02933,
    prologLongReal = 0x02955,
    prologComplex = 0x02977,
    prologLongComplex = 0x0299D,
    prologCharacter = 0x029BF,
    prologArray = 0x029E8,
    prologLinkedArray = 0x02A0A,
    prologString = 0x02A2C,
    prologBinaryInteger = 0x02A4E,
    prologList = 0x02A74,
    prologDirectory = 0x02A96,
    prologAlgebraic = 0x02AB8,
    prologUnit = 0x02ADA,
    prologTagged = 0x02AFC,
    prologGrob = 0x02B1E,
    prologLibrary = 0x02B40,
    prologBackup = 0x02B62,
    prologLibraryData = 0x02B88,
    prologExtendedPointer = 0x02BAA,
    prologReserved1 = 0x02BCC,
    prologReserved2 = 0x02BEE,
    prologReserved3 = 0x02C10,
    prologProgram = 0x02D9D,
    prologCode = 0x02DCC,
    prologGlobalName = 0x02E48,
    prologLocalName = 0x02E6D,
    prologLibraryCommand = 0x02E92,
    prologEndMarker = 0x0312B,
};

// An object that the walk has entered but not yet left.
struct OpenObject
{
    enum Kind : std::uint8_t
    {
        composite,
        directory,
        tagged
    };
    std::uint32_t nStart; // its first nibble
    std::uint32_t nCount; // its size as counted so far
    Kind kind;
};

// The size of an object whose size the prolog alone fixes, or 0 for any other.
std::uint32_t FixedSize(std::uint32_t nProlog)
{
    switch (nProlog) {
    case prologSystemBinary:
        return 10;
    case prologReal:
        return 21;
    case prologLongReal:
        return 26;
    case prologComplex:
        return 37;
    case prologLongComplex:
        return 47;
    case prologCharacter:
        return 7;
    case prologExtendedPointer:
        return 15;
    case prologLibraryCommand:
        return 11;
    default:
        return 0;
    }
}

bool HasLengthField(std::uint32_t nProlog)
{
    switch (nProlog) {
    case prologArray:
    case prologLinkedArray:
    case prologString:
    case prologBinaryInteger:
    case prologGrob:
    case prologLibrary:
    case prologBackup:
    case prologLibraryData:
    case prologReserved1:
    case prologReserved2:
    case prologReserved3:
    case prologCode:
        return true;
    default:
        return false;
    }
}

bool IsComposite(std::uint32_t nProlog)
{
    return nProlog == prologList || nProlog == prologAlgebraic || nProlog == prologUnit ||
           nProlog == prologProgram;
}

} // namespace

// Sizes add up in 32-bit unsigned arithmetic, so that a crafted size wraps around
// instead of overflowing, and are handed out as signed 32-bit values.
int CNibbleFile::SkipOb()
{
    std::vector<OpenObject> open;
    for (;;) {
        // Step over the object at the position, or enter it when it holds others.
        const std::uint32_t nStart = m_nFilePos;
        std::uint32_t nProlog = 0;
        ReadNibbleWord(&nProlog, 5);
        std::uint32_t nSize = 0;
        if (std::uint32_t nFixed = FixedSize(nProlog)) {
            nSize = nFixed;
            SeekRel(nSize - 5, 1);
        } else if (HasLengthField(nProlog)) {
            std::uint32_t nLength = 0;
            ReadNibbleWord(&nLength, 5);
            SeekRel(nLength - 5, 1);
            nSize = nLength + 5;
        } else if (IsComposite(nProlog)) {
            // The prolog and the end marker.
            open.push_back({nStart, 10, OpenObject::composite});
            continue;
        } else if (nProlog == prologDirectory) {
            // A field that is not looked at, then the offset of the last entry's name,
            // counted from the offset field's start; earlier entries are not visited.
            std::uint32_t nField = 0;
            std::uint32_t nOffset = 0;
            ReadNibbleWord(&nField, 3);
            ReadNibbleWord(&nOffset, 5);
            if (nOffset == 0) {
                nSize = 13;
            } else {
                std::uint32_t nCount = 8 + nOffset;
                SeekRel(nOffset - 5, 1);
                std::uint32_t nChars = 0;
                ReadNibbleWord(&nChars, 2);
                if (nChars > 0) {
                    // The characters and the repeated count behind them.
                    SeekRel(2 * nChars + 2, 1);
                    nCount += 2 * nChars + 4;
                } else {
                    nCount += 2;
                }
                open.push_back({nStart, nCount, OpenObject::directory});
                continue;
            }
        } else if (nProlog == prologTagged) {
            std::uint32_t nChars = 0;
            ReadNibbleWord(&nChars, 2);
            SeekRel(2 * nChars, 1);
            open.push_back({nStart, 2 * nChars + 7, OpenObject::tagged});
            continue;
        } else if (nProlog == prologGlobalName || nProlog == prologLocalName) {
            std::uint32_t nChars = 0;
            ReadNibbleWord(&nChars, 2);
            SeekRel(2 * nChars, 1);
            nSize = 2 * nChars + 7;
        } else if (nProlog == prologEndMarker) {
            nSize = 0;
        } else {
            // Any other value is the address of a built-in object.
            nSize = 5;
            SeekRel(0, 1);
        }

        // Hand the size to the enclosing objects, leaving each one that it completes.
        for (;;) {
            if (open.empty()) {
                return static_cast<std::int32_t>(nSize);
            }
            OpenObject& outer = open.back();
            if (outer.kind == OpenObject::composite && nSize != 0) {
                outer.nCount += nSize;
                break; // on to the next element
            }
            if (outer.kind == OpenObject::tagged) {
                nSize += outer.nCount;
            } else {
                if (outer.kind == OpenObject::directory) {
                    outer.nCount += nSize;
                }
                if (outer.nStart + outer.nCount != m_nFilePos) {
                    throw CNibbleFileException(CNibbleFileException::invalidObject);
                }
                nSize = outer.nCount;
            }
            open.pop_back();
        }
    }
}

// CRC-16/KERMIT fed one nibble at a time in file order.
std::uint32_t CNibbleFile::CRCOb()
{
    SetMarker(0xFFFFFFFF);
    const auto nSize = static_cast<std::uint32_t>(SkipOb());
    SeekToMarker();
    // An object that cannot fit in the file fails the read below in any case; failing
    // here spares the buffer for a size that a broken object made up.
    if (nSize / 2 > GetLength()) {
        throw CNibbleFileException(CNibbleFileException::readPastEnd);
    }
    auto pObject = std::make_unique<unsigned char[]>(nSize / 2 + 1);
    ReadNibbles(pObject.get(), nSize);

    std::uint32_t nCrc = 0;
    for (std::uint32_t i = 0; i < nSize; ++i) {
        const std::uint32_t nNibble = (pObject[i / 2] >> (4 * (i & 1))) & 0x0F;
        nCrc = (nCrc >> 4) ^ (((nCrc ^ nNibble) & 0x0F) * 0x1081);
    }
    return nCrc;
}
