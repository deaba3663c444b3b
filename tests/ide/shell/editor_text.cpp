// The editor's text rules without a window: line ends on loading, the size limit,
// bytes through the Latin-1 display, caret columns with tabs, and the Enter indent.
#include "SourceText.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace SourceText;

TEST(EditorText, LoadingEndsEveryLineWithCrLf)
{
    EXPECT_EQ(FromFileBytes("a\nb"), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(FromFileBytes("a\nb\n"), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(FromFileBytes("a\r\nb\r\n"), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(FromFileBytes("a\r\nb"), QByteArray("a\r\nb\r\n"));
    EXPECT_EQ(FromFileBytes(""), QByteArray(""));
    EXPECT_EQ(FromFileBytes("\n\n"), QByteArray("\r\n\r\n"));
    // A carriage return without a line feed stays part of its line.
    EXPECT_EQ(FromFileBytes("a\rb\n"), QByteArray("a\rb\r\n"));
}

TEST(EditorText, TextOfTheLimitOrMoreIsTooLarge)
{
    // The limit lies far above the 65000 characters of old (files of several megabytes
    // open); kMaxChars - 3 characters plus CR LF is the largest text that loads.
    EXPECT_GE(kMaxChars, 4 * 1024 * 1024);
    const QByteArray fits(kMaxChars - 3, 'x');
    ASSERT_TRUE(FromFileBytes(fits).has_value());
    EXPECT_EQ(FromFileBytes(fits)->size(), kMaxChars - 1);
    EXPECT_FALSE(FromFileBytes(fits + 'x').has_value());
    EXPECT_TRUE(FromFileBytes(fits + "\n").has_value()) << "the final line end is not doubled";
    EXPECT_FALSE(FromFileBytes(fits + "\n\n").has_value()) << "an empty line adds CR LF";
    // Bare line feeds grow by one byte each on loading.
    QByteArray lines;
    while (lines.size() < kMaxChars)
        lines += "ab\n";
    EXPECT_FALSE(FromFileBytes(lines.left(kMaxChars - 2)).has_value());
    EXPECT_FALSE(FromFileBytes(QByteArray(kMaxChars + 1, '\n')).has_value());
    EXPECT_TRUE(FromFileBytes(QByteArray(kMaxChars / 2 - 1, '\n')).has_value());
    EXPECT_FALSE(FromFileBytes(QByteArray(kMaxChars / 2, '\n')).has_value());
    // Typing and pasting count the same way: one widget character per line end more.
    EXPECT_TRUE(FitsInEditor(kMaxChars - 12, 10));
    EXPECT_FALSE(FitsInEditor(kMaxChars - 11, 10));
}

TEST(EditorText, ObjectsAndBinaryDataAreNoSourceText)
{
    const std::pair<const char*, QByteArray> cases[] = {
        {"a.gx", "text"},
        {"B.LIB", "text"},
        {"c.dir", "text"},
        {"d.s", "HPHP48-R"},
        {"e.s", QByteArray("x\0", 2)},
    };
    for (const auto& [name, head] : cases)
        EXPECT_TRUE(IsBinaryFile(name, head)) << name;
    EXPECT_FALSE(IsBinaryFile("gx.s", "* HPHP48 in a comment\n\xAB\xFF"));
}

TEST(EditorText, EveryByteSurvivesTheDisplay)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            all.append(static_cast<char>(b));
    }
    all += "\r\n";
    QString shown = ToDisplay(all);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(FromDisplay(shown), all);
    // The widget may hand back paragraph separators; they are line ends as well.
    EXPECT_EQ(FromDisplay(u"a\u2029b\u2028c"), QByteArray("a\r\nb\r\nc"));
    EXPECT_EQ(FromDisplay(u"\u20ac"), QByteArray("?"));
}

TEST(EditorText, ALoneCarriageReturnIsShownAsASymbolAndStaysOneByte)
{
    // The widget would take a bare CR for a line end; it is shown as the CR symbol.
    EXPECT_EQ(ToDisplay("a\rb\r\n"), QStringView(u"a\u240db\r\n").toString());
    EXPECT_EQ(ToDisplay("\r\r\n\r"), QStringView(u"\u240d\r\n\u240d").toString());
    EXPECT_EQ(FromDisplay(u"a\u240db\n"), QByteArray("a\rb\r\n"));
    // Copied and pasted back within the editor, the symbol stays the byte it stands for.
    EXPECT_EQ(ToEditable(u"a\u240db"), QStringView(u"a\u240db").toString());
}

TEST(EditorText, TypedOrPastedTextIsReducedToLatin1)
{
    EXPECT_EQ(ToEditable(u"caf\u00e9 \u20ac\u2029x"), QString::fromUtf16(u"caf\u00e9 ?\nx"));
}

TEST(EditorText, TabsStopAtOddColumns)
{
    EXPECT_EQ(CaretColumn(u""), 1);
    EXPECT_EQ(CaretColumn(u"\t"), 3);
    EXPECT_EQ(CaretColumn(u"x\t"), 3);
    EXPECT_EQ(CaretColumn(u"\t\t"), 5);
    EXPECT_EQ(CaretColumn(u"xy\t"), 5);
    EXPECT_EQ(CaretColumn(u"abc"), 4);
    EXPECT_EQ(LineColText(12, 3), QStringLiteral("Ln: 12 Col: 3"));
}

namespace {
int Indent(const QStringList& lines, int noted)
{
    return IndentAfterEnter([&](int l) { return lines.value(l); }, noted);
}
} // namespace

TEST(EditorText, EnterCopiesTheTabsOfTheNearestIndentedLine)
{
    EXPECT_EQ(Indent({"\t\tcode"}, 0), 2);
    EXPECT_EQ(Indent({"\tx", "plain"}, 1), 0) << "a line without a tab stops the search";
    EXPECT_EQ(Indent({"\t\tx", "", ""}, 2), 2) << "empty lines are passed over";
    EXPECT_EQ(Indent({"\tx", "\t\t"}, 1), 1) << "lines of tabs only are passed over";
    EXPECT_EQ(Indent({"  x"}, 0), 0) << "blanks are not copied";
    EXPECT_EQ(Indent({"\tx", "", "", "", "", ""}, 5), 1) << "six lines are looked at";
    EXPECT_EQ(Indent({"\tx", "", "", "", "", "", ""}, 6), 0) << "but not a seventh";
    EXPECT_EQ(Indent({""}, 0), 0);
    // Only the first 1024 characters count: a line of more tabs is tabs only.
    EXPECT_EQ(Indent({QString(1024, '\t') + "x"}, 0), 0);
}
