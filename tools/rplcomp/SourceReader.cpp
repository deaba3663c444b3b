// Tokens, comments, DEFINE and INCLUDE of RPL sources.
#include "SourceReader.h"

#include <algorithm>

namespace {

// INCLUDE nesting deeper than this is taken for a runaway and refused.
constexpr std::size_t kMaxIncludeDepth = 32;
// DEFINE replacements per compilation; names that keep multiplying stop here.
constexpr std::size_t kMaxExpansions = 200'000;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

bool IsSeparator(char c)
{
    return IsBlank(c) || c == '\n';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsSeparator(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSeparator(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view FirstWord(std::string_view text)
{
    text = Trim(text);
    std::size_t end = 0;
    while (end < text.size() && !IsSeparator(text[end])) {
        ++end;
    }
    return text.substr(0, end);
}

} // namespace

struct SourceReader::MacroUse
{
    std::string name;
    std::shared_ptr<const MacroUse> outer;
};

void Diagnostics::Add(Origin at, const std::string& text)
{
    if (Full()) {
        return;
    }
    const std::string& file = at.file >= 0 && static_cast<std::size_t>(at.file) < m_fileNames.size()
                                  ? m_fileNames[static_cast<std::size_t>(at.file)]
                                  : m_fileNames.front();
    m_lines.push_back("*** ERROR in \"" + file + "\" on line " + std::to_string(at.line) + ": " +
                      text);
}

SourceReader::SourceReader(const std::string& fileName, std::string text, IncludeReader include,
                           std::vector<std::string>& fileNames, Diagnostics& diagnostics)
    : m_include(std::move(include)), m_fileNames(fileNames), m_diagnostics(diagnostics)
{
    m_fileNames.push_back(fileName);
    Source main;
    main.text = std::move(text);
    main.file = static_cast<int>(m_fileNames.size()) - 1;
    m_stack.push_back(std::move(main));
}

void SourceReader::Unget(Token token)
{
    m_ungot.push_back(std::move(token));
}

Token SourceReader::Next()
{
    if (!m_ungot.empty()) {
        Token token = std::move(m_ungot.back());
        m_ungot.pop_back();
        return token;
    }
    while (!m_stack.empty() && !m_diagnostics.Full()) {
        Source& s = m_stack.back();
        const std::string& text = s.text;
        if (s.pos >= text.size()) {
            // The main file stays on the stack, so its name and last line remain known.
            if (m_stack.size() == 1) {
                break;
            }
            m_stack.pop_back();
            continue;
        }
        const char c = text[s.pos];
        if (c == '\n') {
            if (!s.IsMacro()) {
                ++s.line;
            }
            ++s.pos;
            continue;
        }
        if (IsBlank(c)) {
            ++s.pos;
            continue;
        }
        const Origin at{s.file, s.line};
        if (c == '*' && !s.IsMacro() && (s.pos == 0 || text[s.pos - 1] == '\n')) {
            const std::size_t eol = text.find('\n', s.pos);
            s.pos = eol == std::string::npos ? text.size() : eol;
            continue;
        }
        if (c == '"') {
            // A quoted token runs to the closing quote on the same line; a backslash keeps
            // the character after it from closing the text.
            std::size_t end = s.pos + 1;
            while (end < text.size() && text[end] != '\n' && text[end] != '"') {
                end += text[end] == '\\' && end + 1 < text.size() && text[end + 1] != '\n' ? 2 : 1;
            }
            Token token{text.substr(s.pos + 1, end - s.pos - 1), at, true};
            if (end >= text.size() || text[end] != '"') {
                m_diagnostics.Add(at, "the text in quotes is not closed on its line");
                s.pos = end;
            } else {
                s.pos = end + 1;
            }
            if (!token.text.empty() && token.text.back() == '\r') {
                token.text.pop_back();
            }
            return token;
        }
        std::size_t end = s.pos;
        while (end < text.size() && !IsSeparator(text[end])) {
            ++end;
        }
        Token token{text.substr(s.pos, end - s.pos), at};
        s.pos = end;
        if (token.text == "(") {
            const std::size_t close = text.find(')', s.pos);
            const std::size_t stop = close == std::string::npos ? text.size() : close + 1;
            if (!s.IsMacro()) {
                s.line +=
                    static_cast<int>(std::count(text.begin() + static_cast<long>(s.pos),
                                                text.begin() + static_cast<long>(stop), '\n'));
            }
            s.pos = stop;
            if (close == std::string::npos) {
                m_diagnostics.Add(at, "the comment \"(\" is not closed by \")\"");
            }
            continue;
        }
        if (token.text == "DEFINE") {
            Define(at);
            continue;
        }
        if (token.text == "INCLUDE") {
            Include(at);
            continue;
        }
        if (Expand(token)) {
            continue;
        }
        return token;
    }
    const Source& main = m_stack.front();
    Token end;
    end.at = {main.file, main.line};
    end.end = true;
    return end;
}

std::string SourceReader::RestOfLine()
{
    Source& s = m_stack.back();
    const std::size_t eol = std::min(s.text.find('\n', s.pos), s.text.size());
    std::string rest(Trim(std::string_view(s.text).substr(s.pos, eol - s.pos)));
    s.pos = eol;
    return rest;
}

void SourceReader::Define(Origin at)
{
    std::string rest = RestOfLine();
    const std::string name(FirstWord(rest));
    if (name.empty()) {
        m_diagnostics.Add(at, "DEFINE needs a name");
        return;
    }
    m_defines[name] = std::string(Trim(std::string_view(rest).substr(name.size())));
}

bool SourceReader::Expand(const Token& token)
{
    const auto found = m_defines.find(token.text);
    if (found == m_defines.end()) {
        return false;
    }
    const Source& s = m_stack.back();
    for (const MacroUse* use = s.macros.get(); use != nullptr; use = use->outer.get()) {
        if (use->name == token.text) {
            m_diagnostics.Add(token.at, "DEFINE recursion: \"" + token.text +
                                            "\" is used in its own replacement");
            return true;
        }
    }
    if (++m_expansions > kMaxExpansions) {
        if (m_expansions == kMaxExpansions + 1) {
            m_diagnostics.Add(token.at, "DEFINE replacements exceed " +
                                            std::to_string(kMaxExpansions) +
                                            " (names that multiply without end?)");
        }
        return true;
    }
    Source macro;
    macro.text = found->second;
    macro.file = token.at.file;
    macro.line = token.at.line;
    macro.macros = std::make_shared<const MacroUse>(MacroUse{token.text, s.macros});
    m_stack.push_back(std::move(macro));
    return true;
}

void SourceReader::Include(Origin at)
{
    std::string name = RestOfLine();
    if (!name.empty() && name.front() == '"') {
        const std::size_t close = name.find('"', 1);
        name = name.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
        name = std::string(FirstWord(name));
    }
    if (name.empty()) {
        m_diagnostics.Add(at, "INCLUDE needs a file name");
        return;
    }
    std::size_t files = 0;
    for (const Source& s : m_stack) {
        files += s.IsMacro() ? 0 : 1;
    }
    if (files > kMaxIncludeDepth) {
        m_diagnostics.Add(at, "INCLUDE \"" + name + "\" nests deeper than " +
                                  std::to_string(kMaxIncludeDepth) + " files");
        return;
    }
    std::string path;
    std::string text;
    std::string reason;
    const std::string& includer = m_fileNames[static_cast<std::size_t>(at.file)];
    if (!m_include || !m_include(includer, name, path, text, reason)) {
        m_diagnostics.Add(at, "cannot open INCLUDE file \"" + name + "\"" +
                                  (reason.empty() ? "" : ": " + reason));
        return;
    }
    for (const Source& s : m_stack) {
        if (!s.IsMacro() && m_fileNames[static_cast<std::size_t>(s.file)] == path) {
            m_diagnostics.Add(at, "INCLUDE \"" + name + "\" includes a file that is being read");
            return;
        }
    }
    Source file;
    file.text = std::move(text);
    file.file = static_cast<int>(m_fileNames.size());
    m_fileNames.push_back(path);
    m_stack.push_back(std::move(file));
}

bool SourceReader::ReadLines(std::string_view terminator,
                             std::vector<std::pair<std::string, Origin>>& lines)
{
    Source& s = m_stack.back();
    bool first = true;
    while (s.pos < s.text.size() || first) {
        const std::size_t eol = std::min(s.text.find('\n', s.pos), s.text.size());
        std::string_view line = std::string_view(s.text).substr(s.pos, eol - s.pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::string_view word = FirstWord(line);
        if (word == terminator) {
            // Reading goes on right after the terminator, on the same line.
            s.pos = static_cast<std::size_t>(word.data() - s.text.data()) + word.size();
            return true;
        }
        if (!first || !Trim(line).empty()) {
            lines.emplace_back(std::string(line), Origin{s.file, s.line});
        }
        first = false;
        s.pos = eol;
        if (s.pos < s.text.size()) {
            ++s.pos;
            if (!s.IsMacro()) {
                ++s.line;
            }
        }
    }
    return false;
}
