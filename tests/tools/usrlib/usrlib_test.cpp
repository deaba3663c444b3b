// usrlib against the library layout: the two-command example nibble for nibble, a reader
// written here from the layout (hash, link and number tables, title, configuration, CRC)
// over libraries of several sizes, the calls between commands, and every refused input.
#include "Usrlib.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

// Nibbles as hex digits in memory order.
std::string W(std::uint32_t v, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) {
        s += "0123456789ABCDEF"[(v >> (4 * i)) & 0xF];
    }
    return s;
}
std::string Chars(const std::string& text)
{
    std::string s;
    for (const unsigned char c : text) {
        s += W(c, 2);
    }
    return s;
}
std::string Id(const std::string& name)
{
    return W(0x02E48, 5) + W(name.size(), 2) + Chars(name);
}
std::string Str(const std::string& text)
{
    return W(0x02A2C, 5) + W(5 + 2 * text.size(), 5) + Chars(text);
}
std::string Program(const std::string& body)
{
    return W(0x02D9D, 5) + body + W(0x0312B, 5);
}
std::string List(const std::string& body)
{
    return W(0x02A74, 5) + body + W(0x0312B, 5);
}
std::string Bint(std::uint32_t v)
{
    return W(0x02911, 5) + W(v, 5);
}
std::string Romptr(std::uint32_t lib, std::uint32_t cmd)
{
    return W(0x02E92, 5) + W(lib, 3) + W(cmd, 3);
}

using Entries = std::vector<std::pair<std::string, std::string>>;

// A directory object holding the entries in this order.
std::string Directory(const Entries& entries)
{
    std::string body;
    std::size_t nLastName = 0;
    for (const auto& [name, object] : entries) {
        const std::size_t nHere = 13 + body.size();
        body += W(nLastName ? nHere - nLastName : 0, 5) + W(name.size(), 2) + Chars(name) +
                W(name.size(), 2) + object;
        nLastName = nHere + 5;
    }
    return W(0x02A96, 5) + W(0x7FF, 3) + W(nLastName ? nLastName - 8 : 0, 5) + body;
}

std::string Pack(std::string nibbles)
{
    if (nibbles.size() % 2) {
        nibbles += '0';
    }
    std::string bytes;
    for (std::size_t i = 0; i < nibbles.size(); i += 2) {
        bytes += static_cast<char>(
            std::stoi(nibbles.substr(i + 1, 1) + nibbles.substr(i, 1), nullptr, 16));
    }
    return bytes;
}

// The library as the calculator would find its parts, read from the layout alone.
struct LibraryView
{
    std::string n; // nibbles from the prolog
    std::uint32_t At(std::size_t pos, int width) const
    {
        return static_cast<std::uint32_t>(
            std::stoul(std::string(n.rbegin() + static_cast<long>(n.size() - pos - width),
                                   n.rbegin() + static_cast<long>(n.size() - pos)),
                       nullptr, 16));
    }
    std::size_t Target(std::size_t field) const
    {
        const std::uint32_t v = At(field, 5);
        return v ? (field + v) & 0xFFFFF : 0;
    }
    std::string Title() const { return Bytes(12, At(10, 2)); }
    std::string Bytes(std::size_t pos, std::size_t count) const
    {
        std::string s;
        for (std::size_t i = 0; i < count; ++i) {
            s += static_cast<char>(At(pos + 2 * i, 2));
        }
        return s;
    }
    std::size_t Fields() const { return 12 + 2 * At(10, 2) + (At(10, 2) ? 2 : 0); }
    std::uint32_t Number() const { return At(Fields(), 3); }
    std::size_t Hash() const { return Target(Fields() + 3); }
    std::size_t Messages() const { return Target(Fields() + 8); }
    std::size_t Link() const { return Target(Fields() + 13); }
    std::size_t Config() const { return Target(Fields() + 18); }
    std::size_t Commands() const { return (At(Link() + 5, 5) - 5) / 5; }
    std::size_t CommandAt(std::size_t cmd) const { return Target(Link() + 10 + 5 * cmd); }
    // The command number the hash table gives the name, or -1.
    int Find(const std::string& name) const
    {
        std::size_t rec = Target(Hash() + 10 + 5 * (name.size() - 1));
        for (; rec && rec < Target(Hash() + 90) && At(rec, 2) == name.size();
             rec += 2 + 2 * name.size() + 3) {
            if (Bytes(rec + 2, name.size()) == name) {
                return static_cast<int>(At(rec + 2 + 2 * name.size(), 3));
            }
        }
        return -1;
    }
    // The name the number table gives the command, empty for none.
    std::string NameOf(std::size_t cmd) const
    {
        const std::size_t table = Target(Hash() + 90);
        const std::size_t field = table + 5 * cmd;
        if (field >= Hash() + 5 + At(Hash() + 5, 5) || At(field, 5) == 0) {
            return {};
        }
        const std::size_t rec = field - At(field, 5);
        return At(rec + 2 + 2 * At(rec, 2), 3) == cmd ? Bytes(rec + 2, At(rec, 2)) : "?";
    }
    bool CrcOk() const
    {
        std::uint32_t crc = 0;
        for (std::size_t i = 5; i + 4 < n.size(); ++i) {
            crc = (crc >> 4) ^ (((crc ^ At(i, 1)) & 0xF) * 0x1081);
        }
        return 5 + At(5, 5) == n.size() && crc == At(n.size() - 4, 4);
    }
};

class UsrlibTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "usrlib-test-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    void WriteDir(const Entries& entries, bool header = true)
    {
        std::ofstream(Path("in.dir"), std::ios::binary)
            << (header ? "HPHP48-R" : "") << Pack(Directory(entries));
    }
    int Run(std::vector<std::string> args)
    {
        std::ostringstream out;
        const int code = RunUsrlib(args, out);
        m_transcript = out.str();
        return code;
    }
    int Build(const std::vector<std::string>& options = {})
    {
        std::vector<std::string> args = options;
        args.push_back(Path("in.dir"));
        args.push_back(Path("out.lib"));
        return Run(args);
    }
    std::string Output() const
    {
        std::ifstream in(Path("out.lib"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    LibraryView View() const
    {
        const std::string bytes = Output();
        LibraryView view;
        for (std::size_t i = 8; i < bytes.size(); ++i) {
            view.n += W(static_cast<unsigned char>(bytes[i]), 2);
        }
        view.n.resize(5 + view.At(5, 5));
        return view;
    }

    fs::path m_dir;
    std::string m_transcript;
};

const std::string kT2 = Program(W(0x18A1E, 5) + W(0x04003, 5));
const std::string kR1 = Program(W(0x18A1E, 5) + W(0x2A2C9, 5));
const std::string kDemoBytes =
    "4850485034382d52402ba010000444454d4f04d274070000009005003b0080d204009d2de0a1180340b0120328"
    "4d01d0d9021e8a912c2a2b31d0d9021129204d000977b012034e2af00000aeff4ffcff4e2a6007000000000500"
    "000000000000000000000000000000000000000000000000000000000000000000000017002040250300025231"
    "012001000e00e04603";

std::string Hex(const std::string& bytes)
{
    std::string s;
    for (const unsigned char c : bytes) {
        s += "0123456789abcdef"[c >> 4];
        s += "0123456789abcdef"[c & 15];
    }
    return s;
}

TEST_F(UsrlibTest, WorkedExampleNibbleForNibble)
{
    // $ROMID as a real, a system binary or a user binary, or only -r: the same library.
    const std::string real1234 = W(0x02933, 5) + "300" + "000000004321" + "0";
    struct Case
    {
        std::string romId; // the object, empty for none
        std::vector<std::string> options;
        bool header;
    };
    for (const Case& c : std::vector<Case>{{real1234, {}, true},
                                           {Bint(1234), {}, false},
                                           {W(0x02A4E, 5) + W(8, 5) + "2D4", {}, true},
                                           {Bint(99), {"-r", "1234"}, true},
                                           {"", {"-r1234"}, true}}) {
        Entries entries = {{"R1", kR1},
                           {"$TITLE", Str("DEMO")},
                           {"T2", kT2},
                           {"$VISIBLE", List(Id("T2") + Id("R1"))}};
        if (!c.romId.empty()) {
            entries.push_back({"$ROMID", c.romId});
        }
        WriteDir(entries, c.header);
        const std::vector<std::string>& options = c.options;
        ASSERT_EQ(Build(options), 0) << m_transcript;
        EXPECT_EQ(Hex(Output()), kDemoBytes);
        EXPECT_NE(m_transcript.find("271 nibbles, CRC #346Eh\r\n"), std::string::npos)
            << m_transcript;
    }
}

// Names of 1 and 16 characters and others, all different.
std::string NameFor(int i)
{
    if (i % 2 == 1 && i < 26) {
        return std::string(1, static_cast<char>('A' + i));
    }
    if (i % 3 == 0) {
        return "SIXTEENCHARS" + std::to_string(1000 + i);
    }
    return "C" + std::to_string(i);
}

// Libraries of 1, 2 and 300 commands, names of 1 and 16 characters, some commands
// hidden; each command calls the next one, so the reader also sees the XLIB names.
TEST_F(UsrlibTest, ReaderFindsEveryCommand)
{
    for (const int count : {1, 2, 300}) {
        SCOPED_TRACE(count);
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back(NameFor(i));
        }
        Entries entries = {{"$TITLE", Str("T")}, {"$ROMID", Bint(0x6A0)}};
        std::string visible;
        std::string hidden;
        for (int i = 0; i < count; ++i) {
            const std::string next = names[static_cast<std::size_t>((i + 1) % count)];
            entries.push_back({names[static_cast<std::size_t>(i)], Program(Id(next) + Bint(i))});
            (i % 5 == 4 ? hidden : visible) += Id(names[static_cast<std::size_t>(i)]);
        }
        entries.push_back({"$VISIBLE", List(visible)});
        entries.push_back({"$HIDDEN", List(hidden)});
        WriteDir(entries);
        ASSERT_EQ(Build(), 0) << m_transcript;

        const LibraryView lib = View();
        EXPECT_TRUE(lib.CrcOk());
        EXPECT_EQ(lib.Title(), "T");
        EXPECT_EQ(lib.Number(), 0x6A0u);
        EXPECT_EQ(lib.Messages(), 0u);
        ASSERT_EQ(lib.Commands(), static_cast<std::size_t>(count));
        // Visible ones first, in list order; then the hidden ones.
        std::vector<int> order;
        for (int i = 0; i < count; ++i) {
            if (i % 5 != 4) {
                order.push_back(i);
            }
        }
        for (int i = 4; i < count; i += 5) {
            order.push_back(i);
        }
        std::map<std::string, std::size_t> number;
        for (std::size_t cmd = 0; cmd < order.size(); ++cmd) {
            number[names[static_cast<std::size_t>(order[cmd])]] = cmd;
        }
        for (std::size_t cmd = 0; cmd < order.size(); ++cmd) {
            const int i = order[cmd];
            const std::string& name = names[static_cast<std::size_t>(i)];
            const bool named = i % 5 != 4;
            EXPECT_EQ(lib.Find(name), named ? static_cast<int>(cmd) : -1) << name;
            EXPECT_EQ(lib.NameOf(cmd), named ? name : "") << cmd;
            const std::size_t at = lib.CommandAt(cmd);
            const std::string next = names[static_cast<std::size_t>((i + 1) % count)];
            const std::string body = Program(Romptr(0x6A0, number[next]) + Bint(i));
            EXPECT_EQ(lib.n.substr(at, body.size()), body) << cmd;
            if (named) {
                EXPECT_EQ(lib.n.substr(at - 7, 7), "8" + W(0x6A0, 3) + W(cmd, 3));
            }
        }
        // The standard configuration attaches the library.
        EXPECT_EQ(lib.n.substr(lib.Config(), 25), Program(Bint(0x6A0) + W(0x07709, 5)));
    }
}

// What turns into an XLIB name and what stays a name; $CONFIG naming a command; the
// message table from a list of strings; no $VISIBLE makes every variable visible.
TEST_F(UsrlibTest, CallsConfigAndMessages)
{
    const std::string quote = W(0x06E97, 5);
    const std::string a =
        Program(Id("B") + quote + Id("B") + List(Id("B")) + Program(Id("B")) + Id("ELSEWHERE"));
    WriteDir({{"A", a},
              {"B", Bint(7)},
              {"$CONFIG", Id("B")},
              {"$MESSAGE", List(Str("Bad") + Str("Worse"))},
              {"$HIDDEN", List(Id("B"))}});
    ASSERT_EQ(Build({"-r", "1000"}), 0) << m_transcript;
    const LibraryView lib = View();
    EXPECT_TRUE(lib.CrcOk());
    EXPECT_EQ(lib.Title(), "");
    EXPECT_EQ(lib.Find("A"), 0);
    EXPECT_EQ(lib.Find("B"), -1);
    const std::string xb = Romptr(1000, 1);
    const std::string expected =
        Program(xb + quote + Id("B") + List(Id("B")) + Program(xb) + Id("ELSEWHERE"));
    EXPECT_EQ(lib.n.substr(lib.CommandAt(0), expected.size()), expected);
    EXPECT_EQ(lib.Config(), lib.CommandAt(1));
    const std::string messages = W(0x029E8, 5) + W(20 + 11 + 15, 5) + W(0x02A2C, 5) + W(1, 5) +
                                 W(2, 5) + W(11, 5) + Chars("Bad") + W(15, 5) + Chars("Worse");
    EXPECT_EQ(lib.n.substr(lib.Messages(), messages.size()), messages);
}

// Each refused input: a clear line, exit code 1, and no library file nor leftover.
TEST_F(UsrlibTest, RefusedInputLeavesNothing)
{
    const Entries good = {{"A", Bint(1)}, {"$VISIBLE", List(Id("A"))}};
    struct Case
    {
        const char* what;
        std::string file; // contents of in.dir; empty: no file
        std::vector<std::string> options;
        std::string message;
    };
    const Entries longName = {{"SEVENTEENCHARSXYZ", Bint(2)},
                              {"$VISIBLE", List(Id("SEVENTEENCHARSXYZ"))}};
    Entries longTitle = good;
    longTitle.push_back({"$TITLE", Str(std::string(256, 'x'))});
    Entries twoSame = good;
    twoSame.push_back({"A", Bint(2)});
    std::string broken = Directory(good);
    broken.resize(broken.size() - 3);
    const std::vector<Case> cases = {
        {"not a directory",
         "HPHP48-R" + Pack(Bint(5)),
         {"-r", "5"},
         "does not hold a directory object"},
        {"visible name without variable",
         "HPHP48-R" + Pack(Directory({{"A", Bint(1)}, {"$VISIBLE", List(Id("A") + Id("GONE"))}})),
         {"-r", "5"},
         "$VISIBLE names GONE, but the directory has no variable of that name"},
        {"-r too large",
         "HPHP48-R" + Pack(Directory(good)),
         {"-r", "4096"},
         "Library number 4096 does not fit in three hexadecimal digits (0 to 4095)"},
        {"$ROMID too large",
         "HPHP48-R" + Pack(Directory({{"A", Bint(1)}, {"$ROMID", Bint(5000)}})),
         {},
         "Library number 5000 does not fit"},
        {"no library number", "HPHP48-R" + Pack(Directory(good)), {}, "No library number"},
        {"bad -r",
         "HPHP48-R" + Pack(Directory(good)),
         {"-r", "12x"},
         "Invalid library number (12x)"},
        {"name too long",
         "HPHP48-R" + Pack(Directory(longName)),
         {"-r", "5"},
         "SEVENTEENCHARSXYZ has 17 characters"},
        {"title too long",
         "HPHP48-R" + Pack(Directory(longTitle)),
         {"-r", "5"},
         "$TITLE is 256 characters long"},
        {"two variables of one name",
         "HPHP48-R" + Pack(Directory(twoSame)),
         {"-r", "5"},
         "two variables named A"},
        {"broken directory", "HPHP48-R" + Pack(broken), {"-r", "5"}, "broken directory object"},
        {"$VISIBLE not a list",
         "HPHP48-R" + Pack(Directory({{"A", Bint(1)}, {"$VISIBLE", Bint(1)}})),
         {"-r", "5"},
         "$VISIBLE must hold a list of global names"},
        {"missing input", "", {"-r", "5"}, "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(Path("in.dir"));
        if (!c.file.empty()) {
            std::ofstream(Path("in.dir"), std::ios::binary) << c.file;
        }
        EXPECT_EQ(Build(c.options), 1);
        EXPECT_NE(m_transcript.find("Error: "), std::string::npos) << m_transcript;
        EXPECT_NE(m_transcript.find(c.message), std::string::npos) << m_transcript;
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), c.file.empty() ? 0 : 1);
    }
}

// The HPTools copy runs alone with an empty environment, with the names the packaging
// step gives it: its working directory, a Windows-style path, the fixed output name.
TEST_F(UsrlibTest, ToolCopyAsThePackagingStepRunsIt)
{
    fs::create_directory(Path("Compiled"));
    std::ofstream(Path("Compiled/PROJECT.DIR"), std::ios::binary)
        << "HPHP48-R" << Pack(Directory({{"A", Bint(1)}, {"$VISIBLE", List(Id("A"))}}));
    const std::string command = "cd '" + m_dir.string() + "/Compiled' && env -i '" +
                                USRLIB_TOOL_COPY + "' -r 1000 ..\\\\Compiled\\\\PROJECT.DIR " +
                                "'$$$$!!!!.LIB' > out.txt 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(fs::exists(Path("Compiled/$$$$!!!!.LIB")));
}

} // namespace
