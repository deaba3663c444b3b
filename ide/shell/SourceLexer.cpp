#include "SourceLexer.h"

#include "SourceText.h"

#include <QLatin1StringView>
#include <initializer_list>

namespace SourceLexer {

namespace {

using namespace Qt::StringLiterals;

bool IsBlank(QChar c)
{
    // A CR without LF is shown as its own symbol; the tools see a blank there.
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\r' || u == '\f' || u == '\v' || u == SourceText::kLoneCr;
}

int SkipBlanks(QStringView s, int i)
{
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return i;
}

int WordEnd(QStringView s, int i)
{
    while (i < s.size() && !IsBlank(s[i]))
        ++i;
    return i;
}

bool OneOf(QStringView word, std::initializer_list<QLatin1StringView> words)
{
    for (QLatin1StringView w : words) {
        if (word == w)
            return true;
    }
    return false;
}

bool IsDecimal(QStringView word)
{
    if (word.isEmpty())
        return false;
    for (QChar c : word) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

bool IsHexDigits(QStringView word)
{
    if (word.isEmpty())
        return false;
    for (QChar c : word) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f')))
            return false;
    }
    return true;
}

// Index of the quote that closes a string whose text starts at from, or -1 when the
// line ends first. A backslash takes the next character with it.
int StringEnd(QStringView s, int from)
{
    for (int i = from; i < s.size(); ++i) {
        if (s[i] == u'\\')
            ++i;
        else if (s[i] == u'"')
            return i;
    }
    return -1;
}

// How many operands follow an RPL literal prefix on its line.
int LiteralOperands(QStringView word)
{
    if (OneOf(word, {"#"_L1, "%"_L1, "%%"_L1, "CHR"_L1, "ID"_L1, "LAM"_L1, "TAG"_L1, "PTR"_L1}))
        return 1;
    if (OneOf(word, {"C%"_L1, "C%%"_L1, "HXS"_L1, "GROB"_L1, "ROMPTR"_L1, "ACPTR"_L1}))
        return 2;
    return 0;
}

bool IsRplStructure(QStringView word)
{
    return OneOf(word, {"::"_L1,       ";"_L1,        "{"_L1,     "}"_L1,       "NULLNAME"_L1,
                        "xNAME"_L1,    "NAME"_L1,     "LABEL"_L1, "DEFINE"_L1,  "INCLUDE"_L1,
                        "ASSEMBLE"_L1, "RPL"_L1,      "CODE"_L1,  "ENDCODE"_L1, "SYMBOL"_L1,
                        "UNIT"_L1,     "EXTERNAL"_L1, "LOCAL"_L1, "xROMID"_L1,  "xTITLE"_L1,
                        "xCONFIG"_L1,  "xMESSAGE"_L1, "TITLE"_L1, "STITLE"_L1,  "EJECT"_L1});
}

// Structure words whose next word is a name this file defines.
bool DefinesName(QStringView word)
{
    return OneOf(word, {"DEFINE"_L1, "NULLNAME"_L1, "xNAME"_L1, "NAME"_L1, "LABEL"_L1});
}

bool IsDirective(QStringView op)
{
    return op.startsWith("CON("_L1) || op.startsWith("REL("_L1) ||
           OneOf(op, {"NIBASC"_L1, "NIBHEX"_L1, "EQU"_L1, "TITLE"_L1, "STITLE"_L1, "EJECT"_L1,
                      "INCLUDE"_L1, "IF"_L1, "ELSE"_L1, "ENDIF"_L1, "NIBFS"_L1, "ABASE"_L1,
                      "BSS"_L1, "ALLOC"_L1, "RDSYMB"_L1, "END"_L1, "LIST"_L1, "UNLIST"_L1});
}

bool IsAsciiOp(QStringView op)
{
    return OneOf(op, {"NIBASC"_L1, "LCASC"_L1, "LAASC"_L1});
}

bool IsHexOp(QStringView op)
{
    return OneOf(op, {"NIBHEX"_L1, "LCHEX"_L1, "LAHEX"_L1, "D0=HEX"_L1, "D1=HEX"_L1});
}

// Statements that take no modifier: what follows them on the line is a comment.
bool TakesNoModifier(QStringView op)
{
    if (OneOf(op, {"RTNSXM"_L1,  "RTN"_L1,    "RTNSC"_L1,  "RTNCC"_L1,  "SETHEX"_L1, "SETDEC"_L1,
                   "RSTK=C"_L1,  "C=RSTK"_L1, "CLRST"_L1,  "C=ST"_L1,   "ST=C"_L1,   "CSTEX"_L1,
                   "P=P+1"_L1,   "P=P-1"_L1,  "RTI"_L1,    "OUT=CS"_L1, "OUT=C"_L1,  "A=IN"_L1,
                   "C=IN"_L1,    "UNCNFG"_L1, "CONFIG"_L1, "C=ID"_L1,   "SHUTDN"_L1, "C+P+1"_L1,
                   "C=C+P+1"_L1, "RESET"_L1,  "BUSCC"_L1,  "SREQ?"_L1,  "INTON"_L1,  "INTOFF"_L1,
                   "RSI"_L1,     "BUSCB"_L1,  "BUSCD"_L1,  "PC=(A)"_L1, "PC=(C)"_L1, "A=PC"_L1,
                   "C=PC"_L1,    "PC=A"_L1,   "PC=C"_L1,   "APCEX"_L1,  "CPCEX"_L1,  "XM=0"_L1,
                   "SB=0"_L1,    "SR=0"_L1,   "MP=0"_L1,   "CLRHST"_L1, "?XM=0"_L1,  "?SB=0"_L1,
                   "?SR=0"_L1,   "?MP=0"_L1,  "RTNYES"_L1, "EJECT"_L1,  "ELSE"_L1,   "ENDIF"_L1,
                   "END"_L1,     "LIST"_L1,   "UNLIST"_L1}))
        return true;
    // The pointer and scratch-register moves: AD0EX, CD1XS, D0=A, D1=CS, A=R3, R0=C, AR2EX.
    const auto ac = [](QChar c) { return c == u'A' || c == u'C'; };
    const auto d01 = [](QChar c) { return c == u'0' || c == u'1'; };
    const auto r04 = [](QChar c) { return c >= u'0' && c <= u'4'; };
    const qsizetype n = op.size();
    if (n == 5 && ac(op[0]) && op[1] == u'D' && d01(op[2]) &&
        (op.sliced(3) == "EX"_L1 || op.sliced(3) == "XS"_L1))
        return true;
    if ((n == 4 || (n == 5 && op[4] == u'S')) && op[0] == u'D' && d01(op[1]) && op[2] == u'=' &&
        ac(op[3]))
        return true;
    if (n == 4 && ac(op[0]) && op[1] == u'=' && op[2] == u'R' && r04(op[3]))
        return true;
    if (n == 4 && op[0] == u'R' && r04(op[1]) && op[2] == u'=' && ac(op[3]))
        return true;
    return n == 5 && ac(op[0]) && op[1] == u'R' && r04(op[2]) && op.sliced(3) == "EX"_L1;
}

bool IsField(QStringView word)
{
    return OneOf(word, {"A"_L1, "B"_L1, "X"_L1, "XS"_L1, "P"_L1, "WP"_L1, "M"_L1, "S"_L1, "W"_L1});
}

bool IsEntry(QStringView word, const QSet<QString>* entries)
{
    return entries && !entries->isEmpty() && entries->contains(word.toString());
}

void Add(std::vector<Token>& out, int start, int end, Kind kind)
{
    if (end > start)
        out.push_back({start, end - start, kind});
}

State LexAsm(QStringView line, int from, State state, bool statementOnly,
             const QSet<QString>* entries, std::vector<Token>& out);

State LexRpl(QStringView line, int from, State state, const QSet<QString>* entries,
             std::vector<Token>& out)
{
    const int n = int(line.size());
    int i = from;
    if (state == kRplComment) {
        const int close = int(line.indexOf(u')', i));
        if (close < 0) {
            Add(out, i, n, Kind::Comment);
            return kRplComment;
        }
        Add(out, i, close + 1, Kind::Comment);
        i = close + 1;
    } else if (state == kRplString) {
        const int close = StringEnd(line, i);
        if (close < 0) {
            Add(out, i, n, Kind::String);
            return kRplString;
        }
        Add(out, i, close + 1, Kind::String);
        i = close + 1;
    } else if (i == 0 && n > 0 && line[0] == u'*') {
        Add(out, 0, n, Kind::Comment);
        return kRpl;
    }

    int literalOperands = 0;
    bool nameFollows = false;
    while ((i = SkipBlanks(line, i)) < n) {
        const int end = WordEnd(line, i);
        const QStringView word = line.sliced(i, end - i);
        if (word[0] == u'"') {
            const int close = StringEnd(line, i + 1);
            if (close < 0) {
                Add(out, i, n, Kind::String);
                return kRplString;
            }
            Add(out, i, close + 1, Kind::String);
            i = close + 1;
            literalOperands = 0;
            continue;
        }
        if (word == u'(') {
            const int close = int(line.indexOf(u')', i + 1));
            if (close < 0) {
                Add(out, i, n, Kind::Comment);
                return kRplComment;
            }
            Add(out, i, close + 1, Kind::Comment);
            i = close + 1;
            continue;
        }
        if (literalOperands > 0) {
            --literalOperands;
            Add(out, i, end, Kind::Number);
        } else if (nameFollows) {
            nameFollows = false;
            Add(out, i, end, Kind::Label);
        } else if (word == u'$') {
            Add(out, i, end, Kind::String);
        } else if (const int operands = LiteralOperands(word); operands > 0) {
            literalOperands = operands;
            Add(out, i, end, Kind::Number);
        } else if (IsRplStructure(word)) {
            Add(out, i, end, Kind::Structure);
            nameFollows = DefinesName(word);
            if (word == "ASSEMBLE"_L1)
                return LexAsm(line, end, kAsmAssemble, true, entries, out);
            if (word == "CODE"_L1)
                return LexAsm(line, end, kAsmCode, true, entries, out);
        } else if (IsDecimal(word)) {
            Add(out, i, end, Kind::Number);
        } else if (IsEntry(word, entries)) {
            Add(out, i, end, Kind::Entry);
        }
        i = end;
    }
    return kRpl;
}

// One assembly statement: label (column 1), opcode, modifier, then comment. With
// statementOnly the text starts after CODE or ASSEMBLE: it has no label field.
State LexAsm(QStringView line, int from, State state, bool statementOnly,
             const QSet<QString>* entries, std::vector<Token>& out)
{
    const int n = int(line.size());
    int i = from;
    if (!statementOnly) {
        if (n > 0 && line[0] == u'*') {
            Add(out, 0, n, Kind::Comment);
            return state;
        }
        const int first = SkipBlanks(line, 0);
        const int firstEnd = WordEnd(line, first);
        const QStringView word = line.sliced(first, firstEnd - first);
        if ((state == kAsmAssemble && word == "RPL"_L1) ||
            (state == kAsmCode && word == "ENDCODE"_L1)) {
            Add(out, first, firstEnd, Kind::Structure);
            return LexRpl(line, firstEnd, kRpl, entries, out);
        }
        if (first == 0 && n > 0) {
            Add(out, 0, firstEnd, Kind::Label);
            i = firstEnd;
        }
    }
    i = SkipBlanks(line, i);
    if (i >= n)
        return state;
    const int opEnd = WordEnd(line, i);
    const QStringView op = line.sliced(i, opEnd - i);
    Add(out, i, opEnd, IsDirective(op) ? Kind::Directive : Kind::Mnemonic);
    int rest = SkipBlanks(line, opEnd);
    if (rest < n && !TakesNoModifier(op)) {
        int end = WordEnd(line, rest);
        if (IsAsciiOp(op)) {
            // The modifier's first character delimits the text, blanks included.
            const int close = int(line.indexOf(line[rest], rest + 1));
            end = close < 0 ? n : close + 1;
            Add(out, rest, end, Kind::String);
        } else {
            const QStringView modifier = line.sliced(rest, end - rest);
            if (IsField(modifier))
                Add(out, rest, end, Kind::Field);
            else if (IsDecimal(modifier) || (IsHexOp(op) && IsHexDigits(modifier)) ||
                     (modifier[0] == u'#' && IsHexDigits(modifier.sliced(1))))
                Add(out, rest, end, Kind::Number);
            else if (modifier[0] == u'=' && IsEntry(modifier.sliced(1), entries))
                Add(out, rest, end, Kind::Entry);
        }
        rest = SkipBlanks(line, end);
    }
    Add(out, rest, n, Kind::Comment);
    return state;
}

} // namespace

Language LanguageOfFile(QStringView fileName)
{
    return fileName.endsWith(".a"_L1, Qt::CaseInsensitive) ||
                   fileName.endsWith(".asm"_L1, Qt::CaseInsensitive)
               ? Language::Assembly
               : Language::Rpl;
}

State InitialState(Language language)
{
    return language == Language::Assembly ? kAsmFile : kRpl;
}

State LexLine(QStringView line, State state, const QSet<QString>* entries, std::vector<Token>& out)
{
    switch (state) {
    case kAsmAssemble:
    case kAsmCode:
    case kAsmFile:
        return LexAsm(line, 0, state, false, entries, out);
    case kRplComment:
    case kRplString:
    case kRpl:
        break;
    }
    return LexRpl(line, 0, state, entries, out);
}

} // namespace SourceLexer
