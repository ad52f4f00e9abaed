// Pick lists: the list file format (one entry a line, Windows-1252, CR LF; lines read up
// to 255 characters, blank lines skipped, spaces kept), and the Country, Topic and
// Condition lists of the open database with their two copies in memory: the editor's
// (the one saved) and the main grid's drop-down boxes, kept equal.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

class QComboBox;

namespace picklists
{

enum Kind { Country = 0, Topic = 1, Condition = 2 };

// A missing or unreadable file gives an empty list.
QStringList readListFile(const QString &path);
// Creates the file anew, each entry on one line; false (and nothing written) when that fails.
bool writeListFile(const QString &path, const QStringList &entries);
// Appends the text (on one line) trimmed of spaces when it is not empty and not already there
// (exact, case-sensitive). Returns whether it was added.
bool addEntry(QStringList &entries, const QString &text);

QString perDatabaseFile(const QString &basePath, Kind kind); // base + ".001" .. ".003"
QString defaultFile(Kind kind); // COUNTRY.LST ... in the program directory
QString miscFile();             // MISC.LST in the program directory

// What the user is told when a list file could not be written.
QString notWritten(const QString &path);

// Writes the shipped default lists into the program directory when it has none.
void installDefaults();

// The "Miscellaneous" text split into its entries: everything before the first comma
// (unchanged), then the rest trimmed of spaces, while text remains.
QStringList splitMiscellaneous(const QString &text);
// The chosen entries joined by ", " (at most 255 characters).
QString joinMiscellaneous(const QStringList &chosen);

} // namespace picklists

// The three lists of the open database.
class PickLists
{
public:
    // The grid's drop-down boxes get every change of the editor's lists.
    void setGridCombos(QComboBox *country, QComboBox *topic, QComboBox *condition);
    // The editor's boxes show the lists themselves; their typed text is kept.
    void setEditorCombos(QComboBox *country, QComboBox *topic, QComboBox *condition);

    const QStringList &list(picklists::Kind kind) const { return m_lists[kind]; }
    void setList(picklists::Kind kind, const QStringList &entries); // both copies
    void addToList(picklists::Kind kind, const QString &text);      // both copies

    void LoadList(const QString &file, picklists::Kind kind);
    // False when the file could not be written (it keeps what it held).
    bool SaveList(const QString &file, picklists::Kind kind) const;
    // The database's own files when base + ".001" exists, else the defaults.
    void LoadAllList(const QString &basePath);
    void LoadDefaultList();
    // Each list is written; false when one could not be, and then, given `tellOver`, the
    // user is told which file over that window.
    bool SaveAllLists(const QString &basePath, QWidget *tellOver = nullptr) const;
    bool SaveDefaultLists(QWidget *tellOver = nullptr) const;

private:
    void bind(QComboBox *(&boxes)[3], QComboBox *country, QComboBox *topic, QComboBox *condition);
    void sync(picklists::Kind kind);

    QStringList m_lists[3];
    QComboBox *m_grid[3] = {};
    QComboBox *m_editor[3] = {};
};
