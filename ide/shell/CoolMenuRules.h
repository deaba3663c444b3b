// The rules of the menus that show toolbar images and key names, kept apart from any
// widget: which image each command gets, the key names after a command's text, the
// menu character, and where the parts of a menu item go.
#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>

// Command id → index of its image in the image list, filled toolbar by toolbar.
class CCommandImageMap
{
public:
    // Adds a toolbar's buttons (0 is a separator) whose images are imageSize. Each id
    // without an image yet gets the next index; an id that has one keeps it and takes no
    // index. Returns those newly mapped ids in order (their images go to the end of the
    // image list), or nothing when imageSize differs from the first toolbar's.
    std::optional<QList<int>> AddToolbar(std::span<const int> ids, QSize imageSize);
    // The command's image index, or -1.
    int ImageIndex(int id) const { return m_map.value(id, -1); }
    int ImageCount() const { return m_nImages; }
    // 0 by 0 until the first toolbar is added.
    QSize ImageSize() const { return m_imageSize; }
    // The square an image sits in: 4 pixels larger each way.
    QSize ButtonSize() const { return m_imageSize + QSize(4, 4); }
    void Clear();

private:
    QHash<int, int> m_map;
    QSize m_imageSize{0, 0};
    int m_nImages = 0;
};

// A copy of the accelerator table: entries in table order, and for each command its
// last entry, each entry chained back to the previous one of the same command.
class CAcceleratorTable
{
public:
    void Add(int command, QKeyCombination key);
    void Clear();
    // The command's key names, from its last entry back to the first: a tab, then the
    // names separated by ", "; empty when the command has no key.
    QString KeyNames(int command) const;
    // text cut at its first tab, then the command's key names.
    QString WithKeyNames(const QString& text, int command) const;

private:
    struct Entry
    {
        QKeyCombination key;
        int previous; // index of the command's previous entry, or -1
    };
    QList<Entry> m_entries;
    QHash<int, int> m_last;
};

// "Alt+", "Ctrl+", "Shift+" for the modifiers held, in that order, then the key's name.
QString AcceleratorName(QKeyCombination key);
// The name of one key: its own name for a named key (at most 64 characters), else the
// character itself.
QString KeyName(Qt::Key key);

// True when text marks ch as its menu character: a '&' (not "&&") followed by ch, in
// any case.
bool HasMenuChar(const QString& text, QChar ch);

// What a menu character does in a popup whose items have the given texts, with the
// item current highlighted (-1 for none).
struct MenuCharAction
{
    enum Kind
    {
        Default, // no item has it: the menu's own handling
        Execute, // exactly one: carry that item out
        Select   // several: highlight the first after the current one, wrapping
    };
    Kind kind = Default;
    int item = -1;
};
MenuCharAction MenuChar(const QStringList& texts, QChar ch, int current);

// The text before the first tab and the text after it.
QString TextBeforeTab(const QString& text);
QString TextAfterTab(const QString& text);

// Where the parts of a menu item go, for the item rectangle and the button size.
struct MenuItemLayout
{
    // The button square at the left, centred vertically.
    QRect button;
    // The text: from the button's width + 3 to a button's width short of the right.
    QRect text;
    // The part filled with the background colour: all of it, or from one pixel right of
    // the button when the item shows one.
    QRect Background(bool hasButton) const;

    static MenuItemLayout ForItem(const QRect& item, QSize button);

private:
    QRect m_item;
};

// The size of a menu item: a separator is 0 wide and half the menu height high; any
// other item is as high as its text or the menu height, whichever is larger, and as
// wide as its text plus two button widths and 6 pixels.
QSize MeasureMenuItem(bool separator, QSize text, QSize button, int menuHeight);
