// Walking over objects by their prologs, the object CRC, deep nesting, and the walk
// compared with a plain recursive one on random objects.
#include "NibbleFile.h"
#include "NibbleTestSupport.h"
#include "ReferenceWalk.h"

#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace nibbletest;

namespace {

class ObjectWalkTest : public ::testing::Test
{
protected:
    // A file holding nLead filler nibbles and then the nibbles of ob, positioned on ob.
    CNibbleFile& Open(const Ob& ob, std::uint32_t nLead = 0)
    {
        Nibbles nibbles(nLead, 0x9);
        nibbles.insert(nibbles.end(), ob.n.begin(), ob.n.end());
        m_nibbles = nibbles;
        m_file.reset();
        const std::string strPath = m_dir.File("ob");
        WriteFileBytes(strPath, Pack(nibbles));
        m_file = std::make_unique<CNibbleFile>(strPath, 0);
        m_file->Seek(nLead);
        return *m_file;
    }

    // The size SkipOb reports, checking that it leaves the position that far on.
    int Skip(const Ob& ob, std::uint32_t nLead = 0)
    {
        CNibbleFile& file = Open(ob, nLead);
        const int nSize = file.SkipOb();
        EXPECT_EQ(file.FilePos(), nLead + std::uint32_t(nSize));
        return nSize;
    }

    int ErrorCode(const Ob& ob, bool bCrc = false)
    {
        CNibbleFile& file = Open(ob);
        try {
            bCrc ? file.CRCOb() : file.SkipOb();
        } catch (CNibbleFileException& e) {
            return e.GetErrorCode();
        }
        return -1;
    }

    TempDir m_dir;
    Nibbles m_nibbles;
    std::unique_ptr<CNibbleFile> m_file;
};

TEST_F(ObjectWalkTest, FixedSizes)
{
    const std::pair<std::uint32_t, int> fixed[] = {
        {0x02911, 10}, {0x02933, 21}, {0x02955, 26}, {0x02977, 37},
        {0x0299D, 47}, {0x029BF, 7},  {0x02BAA, 15}, {0x02E92, 11},
    };
    for (auto [nProlog, nSize] : fixed) {
        Ob ob = Prolog(nProlog);
        ob.n.resize(std::size_t(nSize), 0x3);
        EXPECT_EQ(Skip(ob), nSize) << std::hex << nProlog;
        EXPECT_EQ(Skip(ob, 1), nSize) << std::hex << nProlog << " at an odd position";
    }
    // Anything else is a pointer into ROM.
    EXPECT_EQ(Skip(Prolog(0x12345)), 5);
    EXPECT_EQ(Skip(Prolog(0x02A2D)), 5);
}

TEST_F(ObjectWalkTest, LengthFields)
{
    EXPECT_EQ(Skip(Prolog(0x02A2C).Word(0x0000F, 5).Word(0x12345, 5)), 20);
    EXPECT_EQ(Skip(String("HELLO"), 3), 20);
    for (std::uint32_t nProlog : {0x029E8u, 0x02A0Au, 0x02A4Eu, 0x02B1Eu, 0x02B40u, 0x02B62u,
                                  0x02B88u, 0x02BCCu, 0x02BEEu, 0x02C10u, 0x02DCCu}) {
        Ob ob = Prolog(nProlog).Word(9, 5).Word(0xABCD, 4);
        EXPECT_EQ(Skip(ob), 14) << std::hex << nProlog;
    }
}

TEST_F(ObjectWalkTest, Composites)
{
    EXPECT_EQ(Skip(List({})), 10);
    EXPECT_EQ(Skip(List({Real(), Prolog(0x54321)})), 36);
    for (std::uint32_t nProlog : {0x02AB8u, 0x02ADAu, 0x02D9Du}) {
        EXPECT_EQ(Skip(Composite(nProlog, {String("A"), List({Real()})})), 10 + 12 + 31);
    }
}

TEST_F(ObjectWalkTest, Directories)
{
    EXPECT_EQ(Skip(Directory({})), 13);

    // An empty last name: the offset leads to its single count field.
    Ob empty = Directory({{"", Real()}});
    const std::uint32_t nOffset = 5 + 5; // the offset field and the first link
    EXPECT_EQ(Skip(empty), int(8 + nOffset + 2 + 21));

    Ob dir = Directory({{"A", Real()}, {"LONGER", String("XYZ")}, {"B", List({Real(2)})}});
    EXPECT_EQ(Skip(dir), int(dir.Size()));
    Ob nested = Directory({{"SUB", dir}, {"T", Tagged("TAG", dir)}});
    EXPECT_EQ(Skip(nested, 1), int(nested.Size()));
}

TEST_F(ObjectWalkTest, TaggedObjectsAndNames)
{
    EXPECT_EQ(Skip(Tagged("ABC", Real())), 7 + 6 + 21);
    EXPECT_EQ(Skip(Tagged("", Tagged("X", Prolog(0x11111)))), 7 + 9 + 5);
    EXPECT_EQ(Skip(Name(0x02E48, "NAME")), 15);
    EXPECT_EQ(Skip(Name(0x02E6D, "")), 7);
}

TEST_F(ObjectWalkTest, EndMarker)
{
    CNibbleFile& file = Open(Prolog(0x0312B));
    EXPECT_EQ(file.SkipOb(), 0);
    EXPECT_EQ(file.FilePos(), 5u);
    file.Seek(0);
    EXPECT_EQ(file.CRCOb(), 0u);
    EXPECT_EQ(file.FilePos(), 0u);
}

TEST_F(ObjectWalkTest, SizesThatRunPastTheEnd)
{
    // The walk does not read a string's characters, the CRC does.
    Ob shortString = Prolog(0x02A2C).Word(0x00100, 5);
    EXPECT_EQ(Skip(shortString), 0x105);
    EXPECT_EQ(ErrorCode(shortString, true), 0);
    EXPECT_EQ(m_file->FilePos(), 0u);

    EXPECT_EQ(ErrorCode(Ob().Word(0x2933, 4)), 0);    // a cut-off prolog
    EXPECT_EQ(ErrorCode(List({Real(), Real()})), -1); // a whole list is fine
    Ob cutList = List({Real(), Real()});
    cutList.n.resize(cutList.Size() - 5);
    EXPECT_EQ(ErrorCode(cutList), 0); // no end marker
    EXPECT_EQ(ErrorCode(Prolog(0x02AFC).Word(3, 2)), 0);
}

TEST_F(ObjectWalkTest, EndMarkersInTheWrongPlaceAreInvalid)
{
    // A tagged end marker counts 0 for 5 nibbles walked: the list's size check fails.
    EXPECT_EQ(ErrorCode(List({Tagged("T", Prolog(0x0312B))})), 1);
    EXPECT_EQ(ErrorCode(Directory({{"A", Prolog(0x0312B)}})), 1);
    // The failure of an inner object passes the outer ones unchanged.
    Ob deep = List({Real(), Directory({{"X", List({Tagged("T", Prolog(0x0312B))})}})});
    EXPECT_EQ(ErrorCode(List({deep})), 1);
    // On its own, a tagged end marker is not checked: 9 counted, 14 walked.
    CNibbleFile& file = Open(Tagged("T", Prolog(0x0312B)));
    EXPECT_EQ(file.SkipOb(), 9);
    EXPECT_EQ(file.FilePos(), 14u);
}

TEST_F(ObjectWalkTest, DirectoryOffsetLeadsStraightToTheLastEntry)
{
    Ob dir = Directory({{"A", Real()}, {"B", Real()}});
    EXPECT_EQ(Skip(dir), int(dir.Size()));
    // Pointed at the first entry's name instead, the directory ends behind that entry.
    Ob offset = Ob().Word(10, 5);
    std::copy(offset.n.begin(), offset.n.end(), dir.n.begin() + 8);
    EXPECT_EQ(Skip(dir), 8 + 10 + 6 + 21);
}

TEST_F(ObjectWalkTest, CrcCheckValue)
{
    // The independent CRC used below gives the check value of CRC-16/KERMIT.
    const std::string strDigits = "123456789";
    EXPECT_EQ(KermitCrc(Bytes(strDigits.begin(), strDigits.end())), 0x2189);
    EXPECT_EQ(KermitCrc({}), 0);
}

TEST_F(ObjectWalkTest, CrcOfObjects)
{
    const Ob objects[] = {Real(), String("123456789"), List({Real(), String("AB")}),
                          Directory({{"A", Real()}, {"B", Tagged("X", Real(3))}}),
                          Name(0x02E48, "ODD")};
    for (const Ob& ob : objects) {
        for (std::uint32_t nLead : {0u, 1u, 16u}) {
            CNibbleFile& file = Open(Ob(ob).Word(0xF, 1), nLead);
            file.SetMarker(3);
            const std::uint32_t nCrc = file.CRCOb();
            const Nibbles body(m_nibbles.begin() + nLead,
                               m_nibbles.begin() + nLead + std::ptrdiff_t(ob.Size()));
            // Nibble by nibble equals byte by byte over the packed nibbles when the
            // count is even; an odd count is padded by a nibble that is fed separately.
            std::uint16_t nExpected = KermitCrc(
                Pack(Nibbles(body.begin(), body.end() - std::ptrdiff_t(body.size() & 1))));
            if (body.size() & 1) {
                nExpected =
                    std::uint16_t((nExpected >> 4) ^ (((nExpected ^ body.back()) & 0xF) * 0x1081));
            }
            EXPECT_EQ(nCrc, nExpected) << "lead " << nLead;
            EXPECT_EQ(file.GetMarker(), nLead);
            EXPECT_EQ(file.FilePos(), nLead + ob.Size());
            EXPECT_EQ(file.GetPosition(), (nLead + ob.Size()) / 2);
        }
    }
}

TEST_F(ObjectWalkTest, DeepNestingDoesNotExhaustTheStack)
{
    // Far deeper than a recursive walk survives with an ordinary stack.
    const std::size_t nDepth = 200000;
    Ob lists;
    for (std::size_t i = 0; i < nDepth; ++i) {
        lists.Word(0x02A74, 5);
    }
    lists.Add(Real());
    for (std::size_t i = 0; i < nDepth; ++i) {
        lists.Word(0x0312B, 5);
    }
    EXPECT_EQ(Skip(lists), int(10 * nDepth + 21));

    Ob tags;
    for (std::size_t i = 0; i < nDepth; ++i) {
        tags.Word(0x02AFC, 5).Word(0, 2);
    }
    tags.Add(Real());
    EXPECT_EQ(Skip(tags), int(7 * nDepth + 21));

    // Unclosed nesting runs into the end of the file.
    Ob open;
    for (std::size_t i = 0; i < nDepth; ++i) {
        open.Word(i % 2 ? 0x02A74 : 0x02AFC, 5);
        if (i % 2 == 0) {
            open.Word(0, 2);
        }
    }
    EXPECT_EQ(ErrorCode(open), 0);
}

TEST_F(ObjectWalkTest, DeepDirectoriesMatchTheirSize)
{
    // A directory whose only entry is the next directory, 100000 times over.
    const Ob level = Directory({{"D", Ob()}});
    Ob dirs;
    for (int i = 0; i < 100000; ++i) {
        dirs.Add(level);
    }
    dirs.Add(Real());
    EXPECT_EQ(Skip(dirs), int(dirs.Size()));
}

// Random objects, valid or with a nibble flipped, walked by the library and by the
// recursive reference: sizes, positions and failures must agree.
class RandomObjects
{
public:
    explicit RandomObjects(std::uint32_t nSeed) : m_random(nSeed) {}

    Ob Make(int nDepth)
    {
        const std::uint32_t nKind = Pick(nDepth > 4 ? 4 : 9);
        switch (nKind) {
        case 0:
            return Real(Pick(0xFFFF));
        case 1:
            return String(std::string(Pick(6), 'S'));
        case 2:
            return Prolog(0x10000 + Pick(0xFFFF)); // a ROM pointer
        case 3:
            return Name(Pick(1) ? 0x02E48 : 0x02E6D, std::string(Pick(3), 'N'));
        case 4:
            return Prolog(0x029BF).Word(0x41, 2);
        case 5:
        case 6: {
            std::vector<Ob> elements(Pick(4));
            for (Ob& e : elements) {
                e = Make(nDepth + 1);
            }
            const std::uint32_t prologs[] = {0x02A74, 0x02AB8, 0x02ADA, 0x02D9D};
            return Composite(prologs[Pick(3)], elements);
        }
        case 7:
            return Tagged(std::string(Pick(3), 'T'), Make(nDepth + 1));
        default: {
            std::vector<std::pair<std::string, Ob>> entries(Pick(3));
            for (auto& [strName, object] : entries) {
                strName = std::string(Pick(2), 'V');
                object = Make(nDepth + 1);
            }
            return Directory(entries);
        }
        }
    }

    std::uint32_t Pick(std::uint32_t nMax)
    {
        return std::uniform_int_distribution<std::uint32_t>(0, nMax)(m_random);
    }

private:
    std::mt19937 m_random;
};

TEST_F(ObjectWalkTest, AgreesWithARecursiveWalk)
{
    RandomObjects random(2024);
    int nValid = 0;
    int nFailed = 0;
    for (int nCase = 0; nCase < 3000; ++nCase) {
        Ob ob = random.Make(0);
        const bool bIntact = nCase % 3 == 0;
        if (!bIntact) {
            // Damage one nibble, and maybe cut the end off.
            ob.n[random.Pick(std::uint32_t(ob.Size() - 1))] = std::uint8_t(random.Pick(15));
            if (random.Pick(3) == 0) {
                ob.n.resize(random.Pick(std::uint32_t(ob.Size())));
            }
        }
        const std::uint32_t nLead = random.Pick(1);

        CNibbleFile& file = Open(ob, nLead);
        std::string strExpected;
        try {
            ReferenceWalk reference(file, 1000);
            strExpected = "size " + std::to_string(std::int32_t(reference.Skip()));
        } catch (CNibbleFileException& e) {
            strExpected = "code " + std::to_string(e.GetErrorCode());
        }
        strExpected += " at " + std::to_string(file.FilePos());

        file.Seek(nLead);
        std::string strActual;
        try {
            strActual = "size " + std::to_string(file.SkipOb());
        } catch (CNibbleFileException& e) {
            strActual = "code " + std::to_string(e.GetErrorCode());
        }
        strActual += " at " + std::to_string(file.FilePos());
        ASSERT_EQ(strActual, strExpected) << "case " << nCase;
        if (bIntact) {
            ASSERT_EQ(strActual, "size " + std::to_string(ob.Size()) + " at " +
                                     std::to_string(nLead + ob.Size()));
        }
        (strActual.rfind("size", 0) == 0 ? nValid : nFailed)++;
    }
    // Both outcomes occur often enough to mean something.
    EXPECT_GT(nValid, 1000);
    EXPECT_GT(nFailed, 300);
}

} // namespace
