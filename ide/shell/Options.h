// The program options: one ordered table of text-valued settings, each with its label,
// its name in the settings file, its default and its kind. Every part of the program
// reads options from here by name; the Program Settings dialog shows and edits the rows
// in table order.
//
// Values live in the INI file $XDG_CONFIG_HOME/Velmora/Velmora.conf (else
// ~/.config/Velmora/Velmora.conf), one key per option in the group "Options". They are
// read once at start-up and written only by SaveOption and SaveAllOptions.
#pragma once

#include <QList>
#include <QString>

// How the settings dialog edits a value, and whether it is stored.
enum class OptionKind
{
    Number = 0,  // edited as text; readers convert it with GetOptionInt
    YesNo = 1,   // toggled between "Yes" and "No"
    Text = 2,    // edited as text
    Section = 3, // a header row: a label only, never stored
};

struct ProgramOption
{
    QString label;        // shown in the dialog's "Name" column
    QString registryName; // key in the settings file; empty for section rows
    QString defaultValue; // used when the settings file holds no value
    QString value;        // current value
    OptionKind kind = OptionKind::Text;
};

class COptionTable
{
public:
    // Appends a row with an empty value.
    void AddOption(const QString& label, const QString& registryName, const QString& defaultValue,
                   OptionKind kind);
    // Appends the program's 28 rows in display order. Four defaults are paths built
    // from programDir, the folder of the running program.
    void AddProgramOptions(const QString& programDir);
    // Fills every value from the settings file; a missing key gives the default, a key
    // with an empty value gives an empty value. When the settings file can't be read or
    // written, every value stays empty.
    void LoadOptions();

    // The value of the first row with that name; empty, 0 or false for an unknown name.
    QString GetOption(const QString& registryName) const;
    // The value read as C's atoi does: leading blanks, a sign, decimal digits up to the
    // first other character; 0 when there are no digits.
    int GetOptionInt(const QString& registryName) const;
    // True exactly when the value is "Yes".
    bool GetOptionBool(const QString& registryName) const;
    // Changes the value in memory only; an unknown name is ignored.
    void SetOption(const QString& registryName, const QString& value);
    // Writes one option to the settings file; unknown names and sections are ignored.
    void SaveOption(const QString& registryName);
    // Writes every stored option; false when the settings file can't be written.
    bool SaveAllOptions();

    // The rows in display order.
    const QList<ProgramOption>& GetOptions() const { return m_options; }
    // The index of the first row with that name, or -1.
    int FindOption(const QString& registryName) const;

    // The settings file of the current user.
    static QString SettingsFilePath();
    // Where projects go by default: programDir/Projects, or, when the program's folder
    // can't be written (an installed copy), "Velmora Projects" in the home folder.
    static QString DefaultProjectDir(const QString& programDir);

private:
    QList<ProgramOption> m_options;
};

// C's atoi over text; values beyond the range of int are clamped to it.
int AtoiValue(const QString& text);
