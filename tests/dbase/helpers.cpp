#include "helpers.h"

#include "db/coin_schema.h"

#include <QFile>
#include <QProcess>

#include <algorithm>

QString testDataPath(const QString &name)
{
    return QStringLiteral(NUMAROK_TEST_DATA "/") + name;
}

static ToolResult run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    ToolResult r;
    if (!p.waitForFinished(120000)) {
        r.err = QStringLiteral("could not run %1: %2").arg(program, p.errorString());
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

ToolResult runPython(const QString &script, const QStringList &args)
{
    return run(QStringLiteral("/usr/bin/python3"),
               QStringList{QStringLiteral(NUMAROK_TEST_SCRIPTS "/") + script} + args);
}

ToolResult runIndexDump(const QString &mdx, const QString &tag)
{
    QStringList args{mdx};
    if (!tag.isEmpty()) args << tag;
    return run(QStringLiteral("index_dump"), args);
}

std::vector<uint32_t> indexDumpOrder(const QString &mdx, const QString &tag, QString *error)
{
    std::vector<uint32_t> order;
    const ToolResult r = runIndexDump(mdx, tag);
    if (r.exitCode != 0) {
        *error = QStringLiteral("index_dump failed: ") + r.err;
        return order;
    }
    for (const QString &line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString recno = line.section(QLatin1Char(' '), -1);
        bool ok = false;
        order.push_back(recno.toUInt(&ok));
        if (!ok) {
            *error = QStringLiteral("unexpected index_dump line: ") + line;
            return {};
        }
    }
    return order;
}

std::vector<dbase::FieldDef> coinFields()
{
    return coin::tableDefinition();
}

std::vector<uint32_t> deliveredOrder(dbase::Table &table)
{
    std::vector<uint32_t> order;
    for (table.first(); !table.eof(); table.next())
        order.push_back(table.recNo());
    return order;
}

std::vector<uint32_t> keyOrder(const std::map<uint32_t, std::string> &keys)
{
    std::vector<std::pair<std::string, uint32_t>> byKey;
    for (const auto &[record, key] : keys)
        byKey.emplace_back(key, record);
    std::sort(byKey.begin(), byKey.end());
    std::vector<uint32_t> order;
    for (const auto &entry : byKey)
        order.push_back(entry.second);
    return order;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}
