// The rules of the source editor that need no window: how file bytes become editor
// text and back, where the caret's column lies with tabs, and how far Enter indents.
//
// The editor holds text as Latin-1 characters, so that every byte 0 to 255 (the
// calculator's own characters among them) survives loading and saving unchanged.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

namespace SourceText {

// Editor text of this many characters or more (after line-end conversion) is too large.
// The editor stays responsive well beyond this (see bench/ide/shell); the limit only
// keeps a file that is not source text from swamping the window.
constexpr qsizetype kMaxChars = 8 * 1024 * 1024;
// Lines longer than this are looked at only in their first part by the indent rule.
constexpr qsizetype kIndentLineLimit = 1024;
// How many lines, the current one included, Enter looks back for an indent.
constexpr int kIndentLookBack = 6;

// Whether a file is a compiled object or other binary data rather than source text: its
// name ends in .gx, .dir or .lib, its bytes begin with the download header "HPHP48",
// or they hold a NUL byte. head is the start of the file (kMaxChars bytes suffice).
// Such files are not opened in the editor, whose saving would change their bytes.
bool IsBinaryFile(const QString& fileName, const QByteArray& head);

// Whether text of shownChars characters in lines lines (as the widget counts them, a
// line break being one character) stays below kMaxChars when it is saved and loaded
// again, every line then ending in CR LF.
bool FitsInEditor(qsizetype shownChars, qsizetype lines);

// File bytes to editor bytes: a line ends at LF or CR LF, and every line, the last
// included, gets CR LF. Nothing when the result would hold kMaxChars or more.
std::optional<QByteArray> FromFileBytes(const QByteArray& file);

// A CR that is not followed by LF, as the widget shows it (the CR symbol).
constexpr char16_t kLoneCr = 0x240D;

// Editor bytes as shown in the widget (Latin-1) and back. The widget separates lines
// with LF (or the paragraph and line separators); the file gets CR LF. A CR without
// LF after it is a character of its line and shown as kLoneCr.
QString ToDisplay(const QByteArray& editorBytes);
QByteArray FromDisplay(QStringView shown);

// Text pasted or typed into the editor, reduced to what a Latin-1 file can hold:
// line and paragraph separators become LF, other characters above 255 but kLoneCr
// become '?'.
QString ToEditable(QStringView text);

// The 1-based column of the caret after lineStart, the line's text before the caret.
// Tab stops are at the odd columns 1, 3, 5, ...
int CaretColumn(QStringView lineStart);

// The status-bar text of the caret position, line counted from 1.
QString LineColText(int line, int column);

// Tabs to type after Enter split line noted (0-based): the leading tabs of the nearest
// line, looking from noted back over kIndentLookBack lines, that holds text after its
// tabs; 0 as soon as a line starts with anything other than a tab.
int IndentAfterEnter(const std::function<QString(int)>& lineText, int noted);

} // namespace SourceText
