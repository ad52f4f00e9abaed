#include "platform/ini_file.h"

#include "dbase/codepage.h"
#include "dbase/fileio.h"
#include "platform/save_file.h"

#include <QFile>
#include <QSaveFile>

namespace
{

QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) return QString();
    const int close = t.indexOf(QLatin1Char(']'));
    return close < 0 ? QString() : t.mid(1, close - 1).trimmed();
}

bool isSection(const QString &line)
{
    const QString t = line.trimmed();
    return t.startsWith(QLatin1Char('[')) && t.contains(QLatin1Char(']'));
}

} // namespace

QString platform::oneLine(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool inBreak = false;
    for (const QChar c : text) {
        const bool lineBreak = c == QLatin1Char('\r') || c == QLatin1Char('\n');
        if (!lineBreak)
            out += c;
        else if (!inBreak)
            out += QLatin1Char(' ');
        inBreak = lineBreak;
    }
    return out;
}

IniFile::IniFile(const QString &path) : m_path(path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return;
    m_exists = true;
    const QByteArray bytes = f.readAll();
    const QString text = QString::fromStdString(dbase::cp1252ToUtf8(bytes.toStdString()));
    // Any line end: CR LF, LF or a lone CR.
    QString line;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            m_lines << line;
            line.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.isEmpty()) m_lines << line;
}

int IniFile::findSection(const QString &section) const
{
    for (int i = 0; i < m_lines.size(); ++i)
        if (isSection(m_lines[i]) &&
            sectionName(m_lines[i]).compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int IniFile::findKey(int sectionLine, const QString &key) const
{
    for (int i = sectionLine + 1; i < m_lines.size() && !isSection(m_lines[i]); ++i) {
        const QString &l = m_lines[i];
        const int eq = l.indexOf(QLatin1Char('='));
        if (eq < 0 || l.trimmed().startsWith(QLatin1Char(';'))) continue;
        if (l.left(eq).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const
{
    int end = sectionLine + 1;
    int lastEntry = sectionLine;
    for (; end < m_lines.size() && !isSection(m_lines[end]); ++end)
        if (!m_lines[end].trimmed().isEmpty()) lastEntry = end;
    return lastEntry + 1;
}

QString IniFile::value(const QString &section, const QString &key, const QString &defaultValue,
                       int maxLength) const
{
    QString v = defaultValue;
    const int s = findSection(section);
    const int k = s < 0 ? -1 : findKey(s, key);
    if (k >= 0) {
        const QString &l = m_lines[k];
        v = l.mid(l.indexOf(QLatin1Char('=')) + 1).trimmed();
        if (v.isNull()) v = QLatin1String(""); // present but empty is not missing
        // A value in matching quotes loses them.
        if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
            v.back() == v.front())
            v = v.mid(1, v.size() - 2);
    }
    if (maxLength > 0 && v.size() > maxLength) v.truncate(maxLength);
    return v;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    const int s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

int IniFile::intValue(const QString &section, const QString &key, int defaultValue) const
{
    bool ok = false;
    const int v = value(section, key, QString()).toInt(&ok);
    return ok ? v : defaultValue;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &text)
{
    const QString value = platform::oneLine(text);
    const QString entry = key + QLatin1Char('=') + value;
    int s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty()) m_lines << QString();
        m_lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        const QString &old = m_lines[k];
        m_lines[k] = old.left(old.indexOf(QLatin1Char('='))) + QLatin1Char('=') + value;
        return;
    }
    m_lines.insert(sectionEnd(s), entry);
}

bool IniFile::save()
{
    QByteArray out;
    for (const QString &l : m_lines)
        out += QByteArray::fromStdString(dbase::utf8ToCp1252(l.toStdString())) + "\r\n";
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    dbase::keepModeOf(m_path.toStdString(), f.handle()); // a shared collection stays shared
    if (f.write(out) != out.size()) {
        f.cancelWriting();
        return false;
    }
    if (!platform::commitWhole(f)) return false;
    m_exists = true;
    return true;
}

QString IniFile::readString(const QString &path, const QString &section, const QString &key,
                            const QString &defaultValue, int maxLength)
{
    return IniFile(path).value(section, key, defaultValue, maxLength);
}

bool IniFile::writeString(const QString &path, const QString &section, const QString &key,
                          const QString &value)
{
    IniFile ini(path);
    ini.setValue(section, key, value);
    return ini.save();
}
