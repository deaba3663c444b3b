// What the three project dialogs (Project Settings, File Properties, Configuration
// List) do, without any widget: the dialogs copy their controls in and out of these
// classes, and tests drive them directly. Nothing reaches the project before OK.
#pragma once

#include "ProjectDocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The project settings: type, library number and the configurations. Each
// configuration is edited in a working copy; every copy is put at the front of the
// working list when it is made, and OK writes the list back front first, so the
// project's configurations come back in reverse order.
class CProjectSettingsModel
{
public:
    // The type box's items, in order.
    enum Type
    {
        TypeDirectory = 0,
        TypeIndividual = 1,
        TypeLibrary = 2
    };

    // Copies the project's settings; the row of "DEFAULT" is selected and loaded.
    explicit CProjectSettingsModel(const CProjectDocument& project);

    // The controls. The dialog writes them before every call and shows them after it.
    int m_nType = TypeDirectory;
    QString m_strRomId;
    QByteArray m_strBaseFilename;
    QByteArray m_strLibraryTitle;
    QString m_strProjectDir; // shown only

    // The configuration list, sorted by name (ignoring case).
    int RowCount() const { return m_rows.size(); }
    QByteArray RowName(int row) const;
    // A row's configuration by an id that stays while rows move, and its row now (-1
    // when it was deleted).
    int RowId(int row) const { return IdAt(row); }
    int RowOf(int id) const { return m_rows.indexOf(id); }
    // The row whose values the two edit boxes hold, or -1.
    int SelectedRow() const;
    // The working copies, front first: what OK makes the project's configurations.
    QList<ProjectConfiguration> WorkingCopies() const;

    // The result's file name after the type: base + ".dir", "*.gx", base + ".lib".
    QString FullFilename() const;
    bool IsBaseFilenameEnabled() const;
    bool IsLibraryTitleEnabled() const { return m_nHeldId >= 0; }
    bool IsRomIdEnabled() const { return m_nType == TypeLibrary; }

    // The selection moved to row (-1: none). The edits go into the row held so far,
    // and the new row's values are loaded into the edit boxes.
    void SelectRow(int row);
    // Whether row may be renamed in place: any but "DEFAULT".
    bool CanRename(int row) const;
    // Ends an in-place rename: the text in upper case without surrounding blanks.
    // An empty name is refused silently, a name that another configuration has is
    // refused with a message. The renamed row stays selected when it was.
    bool Rename(int row, const QByteArray& text);
    // Adds a configuration "(new)" with the values of "DEFAULT", selects and returns
    // its row.
    int AddNew();
    // Deletes row after asking; "DEFAULT" is refused with a message.
    bool DeleteRow(int row);
    // OK: writes everything into project and returns true, or tells what is wrong and
    // returns false with the project unchanged (a ROMID that is not a number, which
    // the box then shows as it was, or a configuration still named "(new)").
    bool Apply(CProjectDocument& project);

private:
    struct Working
    {
        int id;
        ProjectConfiguration config;
    };
    Working* FindWorking(int id);
    const Working* FindWorking(int id) const;
    int IdAt(int row) const { return row >= 0 && row < m_rows.size() ? m_rows.at(row) : -1; }
    // Makes a working copy at the front of the list and a row for it; returns its id.
    int AddWorking(const ProjectConfiguration& config);
    // Puts id's row where its name sorts.
    void SortRow(int id);
    void StoreHeld();

    QList<Working> m_working; // front first
    QList<int> m_rows;        // ids in list order
    int m_nHeldId = -1;
    int m_nNextId = 0;
    QByteArray m_strCurrentName; // the current configuration when the dialog opened
    qint32 m_nOldRomId = 0;
};

// One file entry's properties, copied from the entry before the dialog runs and back
// after OK.
struct CFilePropertiesModel
{
    QByteArray m_strPath;
    QByteArray m_strCompiledName;
    bool m_bVisible = true;
    bool m_bCompile = true;
    // 0 "Exclude from", 1 "Only include in", -1 none chosen.
    int m_nChoice = -1;
    QByteArray m_strConfigText;

    void LoadFrom(const ProjectFileEntry& entry);
    // configMode becomes 1 exactly when "Only include in" is chosen.
    void StoreTo(ProjectFileEntry& entry) const;
};

// The configuration names to pick from, sorted (ignoring case); a name starts
// selected when the text lists it.
class CConfigListModel
{
public:
    CConfigListModel(const QList<ProjectConfiguration>& configs, const QByteArray& text);

    const QList<QByteArray>& Names() const { return m_names; }
    bool IsSelected(int row) const { return m_selected.value(row); }
    void SetSelected(int row, bool selected);
    // The selected names in list order, separated by single blanks.
    QByteArray Text() const;

private:
    QList<QByteArray> m_names;
    QList<bool> m_selected;
};

// The largest library number: three hexadecimal digits.
constexpr qint32 kMaxRomId = 0xFFF;

// The ROMID box's text as a number: optional blanks, an optional sign and decimal
// digits that fit 32 bits; false for anything else.
bool ParseRomId(const QString& text, qint32& value);
