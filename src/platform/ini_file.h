// INI files with the Windows profile semantics: section and key names match without
// regard to case, a missing file or key gives the caller's default, writing a key keeps
// every other line in its place (new keys go to the end of their section, new sections
// to the end of the file), and the file is replaced through a new file renamed over it.
// Lines are read with any line end and written with CR LF, in Windows-1252.
#pragma once

#include <QString>
#include <QStringList>

namespace platform
{
// The text with each run of line breaks made one blank: a value of an INI file or an entry
// of a list file is one line, and a line break inside it (text pasted into a box) would
// start a line of its own, read back as another key, a section or another entry.
QString oneLine(const QString &text);
} // namespace platform

class IniFile
{
public:
    // Reads the file; a missing or unreadable file gives an empty document.
    explicit IniFile(const QString &path);

    const QString &path() const { return m_path; }
    bool exists() const { return m_exists; }

    // The value with blanks around it removed, cut to maxLength characters (0 = no
    // limit); the default when the section or key is missing.
    QString value(const QString &section, const QString &key, const QString &defaultValue,
                  int maxLength = 0) const;
    int intValue(const QString &section, const QString &key, int defaultValue) const;
    bool contains(const QString &section, const QString &key) const;
    // A line break in the value is written as a blank: every value is one line.
    void setValue(const QString &section, const QString &key, const QString &value);

    // Writes the document; false (and the old file untouched) when that fails.
    bool save();

    // One-key helpers in the manner of the platform's profile functions.
    static QString readString(const QString &path, const QString &section, const QString &key,
                              const QString &defaultValue, int maxLength = 0);
    static bool writeString(const QString &path, const QString &section, const QString &key,
                            const QString &value);

private:
    int findSection(const QString &section) const;          // line of "[section]" or -1
    int findKey(int sectionLine, const QString &key) const; // line of "key=" or -1
    int sectionEnd(int sectionLine) const;                  // line after its last entry

    QString m_path;
    QStringList m_lines;
    bool m_exists = false;
};
