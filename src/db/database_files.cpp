#include "db/database_files.h"

#include "db/coin_schema.h"
#include "dbase/mdx.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace dbfiles
{

QString companion(const QString &path, const QString &upperExtension)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const int dot = name.indexOf(QLatin1Char('.'));
    const QString table = dot < 0 ? name : name.left(dot);
    const QString ext = dot < 0 ? QString() : name.mid(name.lastIndexOf(QLatin1Char('.')) + 1);
    const bool lower = !ext.isEmpty() && ext.at(0).isLower();
    QString dir = info.absolutePath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + table + QLatin1Char('.') + (lower ? upperExtension.toLower() : upperExtension);
}

DatabasePaths databasePaths(const QString &path)
{
    const QFileInfo info(path);
    DatabasePaths p;
    p.directory = info.absolutePath();
    if (!p.directory.endsWith(QLatin1Char('/'))) p.directory += QLatin1Char('/');
    const QString name = info.fileName();
    p.tableName = name.left(name.indexOf(QLatin1Char('.')) < 0 ? name.size()
                                                               : name.indexOf(QLatin1Char('.')));
    p.basePath = p.directory + p.tableName;
    p.indexFile = companion(path, QStringLiteral("MDX"));
    p.settingsFile = companion(path, QStringLiteral("INI"));
    return p;
}

void locate(dbase::Table &table, const QString &path)
{
    const DatabasePaths p = databasePaths(path);
    table.close();
    table.setDatabaseName(p.directory.toStdString());
    // The engine finds NAME.DBF or NAME.dbf; keep the chosen spelling of the extension.
    const QString name = QFileInfo(path).fileName();
    const QString ext = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1);
    const bool dbf = name.contains(QLatin1Char('.')) &&
                     ext.compare(QLatin1String("DBF"), Qt::CaseInsensitive) == 0 &&
                     name.indexOf(QLatin1Char('.')) == name.lastIndexOf(QLatin1Char('.'));
    table.setTableName((dbf ? p.tableName + QLatin1Char('.') + ext : p.tableName).toStdString());
}

bool RemoveMDXByte(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) return false;
    if (f.size() < 29 || !f.seek(28)) return false;
    return f.write("\0", 1) == 1;
}

namespace
{
// Byte 28 says "a production index belongs to this table" (0x01) in a dBase table; other
// programs' tables use the byte for their own flags.
bool hasIndexFlag(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(29);
    if (head.size() < 29) return false;
    const auto version = static_cast<unsigned char>(head.at(0));
    const bool foxPro =
        version == 0x30 || version == 0x31 || version == 0x32 || version == 0xF5 || version == 0xFB;
    return !foxPro && head.at(28) == 1;
}
} // namespace

bool hasFieldList(dbase::Table &check, const QString &path, const QStringList &names,
                  int firstCompared)
{
    const DatabasePaths p = databasePaths(path);
    locate(check, path);
    // The fields are all the check needs: a damaged index file must not make a sound
    // table look foreign (opening the database rebuilds the index), and a missing one must
    // not stop the check either.
    check.setIgnoreIndexFile(true);
    check.setReadOnly(true);
    check.setExclusive(false);
    check.open(); // a file that is no dBase table is refused here, before anything is written
    bool valid = check.fieldCount() == names.size();
    for (int i = firstCompared; valid && i < names.size(); ++i)
        valid = QString::fromStdString(check.field(i).name).toUpper().left(10) ==
                names[i].toUpper().left(10);
    check.close();
    // Only a table of the expected shape is changed, so that the engine opens it without
    // the missing index file.
    if (valid && !QFile::exists(p.indexFile) && hasIndexFlag(path)) RemoveMDXByte(path);
    return valid;
}

bool hasCoinFields(dbase::Table &check, const QString &path)
{
    QStringList names;
    for (const coin::Field &f : coin::kFields)
        names << QString::fromLatin1(f.name);
    return hasFieldList(check, path, names);
}

bool inUse(dbase::Table &check, const QString &path)
{
    locate(check, path);
    check.setIgnoreIndexFile(true); // whether another user holds the table, not its index
    check.setExclusive(true);
    try {
        check.open();
        check.close();
    } catch (const dbase::Error &) {
        check.setExclusive(false);
        return true;
    }
    check.setExclusive(false);
    return false;
}

bool createCoinTable(dbase::Table &create, const QString &path)
{
    create.close();
    const QFileInfo info(path);
    create.setDatabaseName(info.absolutePath().toStdString());
    create.setTableName(info.fileName().toStdString());
    create.createTable(coin::tableDefinition());
    return QFile::exists(path);
}

QString buildSortString(const int levels[4])
{
    int n = 0;
    for (int i = 0; i < 4; ++i)
        if (levels[i] >= 1) ++n;
    if (n == 0) return QString();
    const int w = 80 / n;
    QString expr;
    for (int i = 0; i < 4; ++i) {
        const int k = levels[i];
        if (k < 1 || k > coin::kFieldCount) continue;
        const coin::Field &f = coin::field(k);
        const QString name = QString::fromLatin1(f.name);
        switch (f.kind) {
        case coin::Kind::Text:
            expr += QStringLiteral("Upper(Left(%1,%2))+").arg(name).arg(w);
            break;
        case coin::Kind::Integer:
            expr += QStringLiteral("STR(%1,12,0)+").arg(name);
            break;
        case coin::Kind::Float:
            expr += QStringLiteral("STR(%1,12,2)+").arg(name);
            break;
        case coin::Kind::Date:
            expr += QStringLiteral("DTOS(%1)+").arg(name);
            break;
        }
    }
    expr.chop(1);
    return expr;
}

bool hasIndexTag(dbase::Table &table, const QString &tag)
{
    for (const auto &t : table.indexTagNames())
        if (QString::fromStdString(t).compare(tag, Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool indexMatchesSortString(const QString &indexFile, const QString &sortExpression)
{
    dbase::MdxFile mdx;
    mdx.open(indexFile.toStdString(), false);
    const int t = mdx.findTag(kIndexTag.toStdString());
    if (t < 0) return false;
    auto plain = [](QString e) { return e.remove(QLatin1Char(' ')).toUpper(); };
    return plain(QString::fromStdString(mdx.tags()[t].expression)) == plain(sortExpression);
}

bool applySortIndex(dbase::Table &table, const QString &sortExpression, bool indexFileExists)
{
    if (sortExpression.isEmpty()) {
        table.setIndexName("");
        return false;
    }
    const std::string tag = kIndexTag.toStdString();
    if (indexFileExists) {
        table.setIndexName("");
        try {
            // An index file without the tag (made by another program) just gets it added.
            if (hasIndexTag(table, kIndexTag)) table.deleteIndex(tag);
        } catch (const dbase::IndexError &) {
            if (table.isOpen()) throw; // an open table has read its index already
            rebuildIndexFile(table, sortExpression);
            return true;
        }
    }
    table.addIndex(tag, sortExpression.toStdString());
    table.setIndexName(tag);
    return false;
}

void rebuildIndexFile(dbase::Table &table, const QString &sortExpression)
{
    table.close();
    table.setIndexName("");
    table.setIgnoreIndexFile(true);
    try {
        if (sortExpression.isEmpty()) {
            table.regenerateIndexes(); // no tags: the unusable file goes
        } else {
            table.addIndex(kIndexTag.toStdString(), sortExpression.toStdString());
            table.setIndexName(kIndexTag.toStdString());
        }
    } catch (...) {
        table.setIgnoreIndexFile(false);
        throw;
    }
    table.setIgnoreIndexFile(false);
}

bool openRepairingIndex(dbase::Table &table, const QString &sortExpression)
{
    try {
        table.open();
        return false;
    } catch (const dbase::IndexError &) {
    }
    rebuildIndexFile(table, sortExpression);
    table.open();
    return true;
}

IndexOutcome openWithIndexFallback(dbase::Table &table, const QString &sortExpression, QString *why)
{
    table.setIgnoreIndexFile(false); // an index passed over before is tried again
    try {
        table.open();
        return IndexOutcome::Used;
    } catch (const dbase::IndexError &) {
    }
    try {
        rebuildIndexFile(table, sortExpression);
        table.open();
        return IndexOutcome::Rebuilt;
    } catch (const dbase::Error &e) {
        if (why) *why = QString::fromStdString(e.what());
    }
    table.close();
    table.setIndexName("");
    table.setIgnoreIndexFile(true);
    table.open();
    return IndexOutcome::Ignored;
}

void updateRecentFiles(QString (&files)[5], const QString &previous, const QString &current)
{
    for (int i = 0; i < 5; ++i) {
        if (files[i] == current) {
            for (int j = i; j < 4; ++j)
                files[j] = files[j + 1];
            files[4].clear();
            break;
        }
    }
    for (int j = 4; j > 0; --j)
        files[j] = files[j - 1];
    files[0] = previous;
}

} // namespace dbfiles
