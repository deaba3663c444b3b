#include "CoolMenuRules.h"

#include <algorithm>
#include <iterator>

// ---------------------------------------------------------------- CCommandImageMap

std::optional<QList<int>> CCommandImageMap::AddToolbar(std::span<const int> ids, QSize imageSize)
{
    if (m_imageSize.isEmpty()) {
        m_imageSize = imageSize;
    } else if (imageSize != m_imageSize) {
        return std::nullopt;
    }
    QList<int> added;
    for (int id : ids) {
        if (id != 0 && !m_map.contains(id)) {
            m_map.insert(id, m_nImages++);
            added.append(id);
        }
    }
    return added;
}

void CCommandImageMap::Clear()
{
    m_map.clear();
    m_imageSize = QSize(0, 0);
    m_nImages = 0;
}

// ---------------------------------------------------------------- CAcceleratorTable

void CAcceleratorTable::Add(int command, QKeyCombination key)
{
    m_entries.append(Entry{key, m_last.value(command, -1)});
    m_last.insert(command, int(m_entries.size() - 1));
}

void CAcceleratorTable::Clear()
{
    m_entries.clear();
    m_last.clear();
}

QString CAcceleratorTable::KeyNames(int command) const
{
    QString names;
    for (int i = m_last.value(command, -1); i >= 0; i = m_entries.at(i).previous) {
        names += names.isEmpty() ? QStringLiteral("\t") : QStringLiteral(", ");
        names += AcceleratorName(m_entries.at(i).key);
    }
    return names;
}

QString CAcceleratorTable::WithKeyNames(const QString& text, int command) const
{
    return TextBeforeTab(text) + KeyNames(command);
}

// ---------------------------------------------------------------- key names

QString AcceleratorName(QKeyCombination key)
{
    const Qt::KeyboardModifiers mods = key.keyboardModifiers();
    QString name;
    if (mods & Qt::AltModifier) {
        name += QStringLiteral("Alt+");
    }
    if (mods & Qt::ControlModifier) {
        name += QStringLiteral("Ctrl+");
    }
    if (mods & Qt::ShiftModifier) {
        name += QStringLiteral("Shift+");
    }
    return name + KeyName(key.key());
}

QString KeyName(Qt::Key key)
{
    struct Named
    {
        Qt::Key key;
        const char* name;
    };
    static const Named kNames[] = {
        {Qt::Key_Escape, "Esc"},
        {Qt::Key_Tab, "Tab"},
        {Qt::Key_Backspace, "Backspace"},
        {Qt::Key_Return, "Enter"},
        {Qt::Key_Enter, "Enter"},
        {Qt::Key_Insert, "Insert"},
        {Qt::Key_Delete, "Delete"},
        {Qt::Key_Pause, "Break"},
        {Qt::Key_Print, "Print Screen"},
        {Qt::Key_Home, "Home"},
        {Qt::Key_End, "End"},
        {Qt::Key_Left, "Left"},
        {Qt::Key_Up, "Up"},
        {Qt::Key_Right, "Right"},
        {Qt::Key_Down, "Down"},
        {Qt::Key_PageUp, "Page Up"},
        {Qt::Key_PageDown, "Page Down"},
        {Qt::Key_Space, "Space"},
        {Qt::Key_CapsLock, "Caps Lock"},
        {Qt::Key_NumLock, "Num Lock"},
        {Qt::Key_ScrollLock, "Scroll Lock"},
        {Qt::Key_Menu, "Application"},
    };
    constexpr int kMaxName = 64;
    const auto named = std::find_if(std::begin(kNames), std::end(kNames),
                                    [key](const Named& n) { return n.key == key; });
    if (named != std::end(kNames)) {
        return QString::fromLatin1(named->name).left(kMaxName);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) {
        return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    }
    // A character key: Qt's key code is the character's code point.
    const char32_t code = char32_t(key);
    if (code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
        return QString::fromUcs4(&code, 1);
    }
    return QString();
}

// ---------------------------------------------------------------- menu character

bool HasMenuChar(const QString& text, QChar ch)
{
    const QChar wanted = ch.toLower();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) {
            continue;
        }
        if (text.at(i + 1) == QLatin1Char('&')) {
            ++i; // "&&" is a plain '&'
            continue;
        }
        if (text.at(i + 1).toLower() == wanted) {
            return true;
        }
    }
    return false;
}

MenuCharAction MenuChar(const QStringList& texts, QChar ch, int current)
{
    QList<int> matches;
    for (int i = 0; i < texts.size(); ++i) {
        if (HasMenuChar(texts.at(i), ch)) {
            matches.append(i);
        }
    }
    if (matches.isEmpty()) {
        return {};
    }
    if (matches.size() == 1) {
        return {MenuCharAction::Execute, matches.first()};
    }
    const auto after =
        std::find_if(matches.cbegin(), matches.cend(), [current](int i) { return i > current; });
    return {MenuCharAction::Select, after != matches.cend() ? *after : matches.first()};
}

// ---------------------------------------------------------------- item layout

QString TextBeforeTab(const QString& text)
{
    return text.section(QLatin1Char('\t'), 0, 0);
}

QString TextAfterTab(const QString& text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? QString() : text.mid(tab + 1);
}

MenuItemLayout MenuItemLayout::ForItem(const QRect& item, QSize button)
{
    MenuItemLayout layout;
    layout.m_item = item;
    layout.button =
        QRect(QPoint(item.left(), item.top() + (item.height() - button.height()) / 2), button);
    layout.text = QRect(item.left() + button.width() + 3, item.top(),
                        item.width() - 2 * button.width() - 3, item.height());
    return layout;
}

QRect MenuItemLayout::Background(bool hasButton) const
{
    QRect background = m_item;
    if (hasButton) {
        background.setLeft(button.right() + 2);
    }
    return background;
}

QSize MeasureMenuItem(bool separator, QSize text, QSize button, int menuHeight)
{
    if (separator) {
        return QSize(0, menuHeight / 2);
    }
    return QSize(text.width() + 2 * button.width() + 6, std::max(text.height(), menuHeight));
}
