#include "editor/pick_lists.h"

#include "dbase/codepage.h"
#include "dbase/fileio.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/save_file.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <functional>

static void initListResources()
{
    Q_INIT_RESOURCE(numarok);
}

namespace picklists
{

namespace
{
const char *const kDefaultNames[3] = {"COUNTRY.LST", "TOPIC.LST", "CONDTION.LST"};
}

QStringList readListFile(const QString &path)
{
    QStringList entries;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return entries;
    const QByteArray bytes = f.readAll();
    // Any line end; each line up to 255 characters, the rest of a longer one skipped.
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const QByteArray line = bytes.mid(start, std::min<qsizetype>(end - start, 255));
        if (!line.trimmed().isEmpty())
            entries << QString::fromStdString(dbase::cp1252ToUtf8(line.toStdString()));
        start = end;
        if (start < bytes.size() && bytes[start] == '\r') ++start;
        if (start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return entries;
}

bool writeListFile(const QString &path, const QStringList &entries)
{
    QByteArray out;
    for (const QString &e : entries)
        out += QByteArray::fromStdString(dbase::utf8ToCp1252(platform::oneLine(e).toStdString())) +
               "\r\n";
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    dbase::keepModeOf(path.toStdString(), f.handle()); // a shared collection stays shared
    if (f.write(out) != out.size()) return false;
    return platform::commitWhole(f);
}

bool addEntry(QStringList &entries, const QString &text)
{
    const QString t = platform::oneLine(text).trimmed();
    if (t.isEmpty() || entries.contains(t, Qt::CaseSensitive)) return false;
    entries << t;
    return true;
}

QString perDatabaseFile(const QString &basePath, Kind kind)
{
    return basePath + QStringLiteral(".%1").arg(kind + 1, 3, 10, QLatin1Char('0'));
}

QString defaultFile(Kind kind)
{
    return paths::programFile(QLatin1String(kDefaultNames[kind]));
}

QString miscFile()
{
    return paths::programFile(QStringLiteral("MISC.LST"));
}

QString notWritten(const QString &path)
{
    return QStringLiteral("The Data List file \"") + path +
           QStringLiteral("\" could not be written.");
}

void installDefaults()
{
    initListResources();
    const QStringList names{QStringLiteral("COUNTRY.LST"), QStringLiteral("TOPIC.LST"),
                            QStringLiteral("CONDTION.LST"), QStringLiteral("MISC.LST")};
    for (const QString &n : names) {
        if (QFile::exists(paths::programFile(n)))
            return; // the directory has its lists already: nothing is written over them
    }
    for (const QString &n : names) {
        const QString to = paths::programFile(n);
        if (QFile::copy(QStringLiteral(":/lists/") + n, to))
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
    }
}

QStringList splitMiscellaneous(const QString &text)
{
    QStringList tokens;
    QString rest = text.left(255);
    while (!rest.isEmpty()) {
        const int comma = rest.indexOf(QLatin1Char(','));
        if (comma < 0) {
            tokens << rest;
            break;
        }
        tokens << rest.left(comma);
        rest = rest.mid(comma + 1).trimmed();
    }
    return tokens;
}

QString joinMiscellaneous(const QStringList &chosen)
{
    QString out;
    for (const QString &c : chosen)
        out += c + QStringLiteral(", ");
    out.truncate(255);
    if (out.endsWith(QLatin1String(", "))) out.chop(2);
    return out;
}

} // namespace picklists

void PickLists::setGridCombos(QComboBox *country, QComboBox *topic, QComboBox *condition)
{
    bind(m_grid, country, topic, condition);
}

void PickLists::setEditorCombos(QComboBox *country, QComboBox *topic, QComboBox *condition)
{
    bind(m_editor, country, topic, condition);
}

void PickLists::bind(QComboBox *(&boxes)[3], QComboBox *country, QComboBox *topic,
                     QComboBox *condition)
{
    boxes[picklists::Country] = country;
    boxes[picklists::Topic] = topic;
    boxes[picklists::Condition] = condition;
    for (int k = 0; k < 3; ++k)
        sync(picklists::Kind(k));
}

void PickLists::sync(picklists::Kind kind)
{
    for (QComboBox *c : {m_grid[kind], m_editor[kind]}) {
        if (!c) continue;
        const QString typed = c->currentText();
        c->clear();
        c->addItems(m_lists[kind]);
        if (c->isEditable()) c->setEditText(typed);
    }
}

void PickLists::setList(picklists::Kind kind, const QStringList &entries)
{
    m_lists[kind] = entries;
    sync(kind);
}

void PickLists::addToList(picklists::Kind kind, const QString &text)
{
    if (picklists::addEntry(m_lists[kind], text))
        sync(kind); // the boxes show the lists as they are
}

void PickLists::LoadList(const QString &file, picklists::Kind kind)
{
    setList(kind, picklists::readListFile(file));
}

bool PickLists::SaveList(const QString &file, picklists::Kind kind) const
{
    return picklists::writeListFile(file, m_lists[kind]);
}

namespace
{
bool saveEach(const PickLists &lists, const std::function<QString(picklists::Kind)> &fileOf,
              QWidget *tellOver)
{
    QString failed;
    for (int k = 0; k < 3; ++k) {
        const QString file = fileOf(picklists::Kind(k));
        if (!lists.SaveList(file, picklists::Kind(k)) && failed.isEmpty()) failed = file;
    }
    if (!failed.isEmpty() && tellOver) Prompts::error(tellOver, picklists::notWritten(failed));
    return failed.isEmpty();
}
} // namespace

void PickLists::LoadAllList(const QString &basePath)
{
    if (!QFile::exists(picklists::perDatabaseFile(basePath, picklists::Country))) {
        LoadDefaultList();
        return;
    }
    for (int k = 0; k < 3; ++k)
        LoadList(picklists::perDatabaseFile(basePath, picklists::Kind(k)), picklists::Kind(k));
}

void PickLists::LoadDefaultList()
{
    for (int k = 0; k < 3; ++k)
        LoadList(picklists::defaultFile(picklists::Kind(k)), picklists::Kind(k));
}

bool PickLists::SaveAllLists(const QString &basePath, QWidget *tellOver) const
{
    return saveEach(
        *this, [&](picklists::Kind k) { return picklists::perDatabaseFile(basePath, k); },
        tellOver);
}

bool PickLists::SaveDefaultLists(QWidget *tellOver) const
{
    return saveEach(*this, picklists::defaultFile, tellOver);
}
