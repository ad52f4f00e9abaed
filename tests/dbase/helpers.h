// Shared pieces of the engine tests: the registry of test classes, the outside checkers
// (python3-dbf and index_dump) and a coin-shaped table.
#pragma once

#include "dbase/table.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "test_registry.h"

QString testDataPath(const QString &name);

struct ToolResult {
    int exitCode = -1;
    QString out;
    QString err;
};
// Runs one of the scripts in tests/dbase/scripts with Debian's python3 (where python3-dbf is).
ToolResult runPython(const QString &script, const QStringList &args);
// `index_dump FILE [TAG]`.
ToolResult runIndexDump(const QString &mdx, const QString &tag = QString());
// The record numbers of index_dump's walk of a tag, in its order.
std::vector<uint32_t> indexDumpOrder(const QString &mdx, const QString &tag, QString *error);

// The 20 fields of the coin table.
std::vector<dbase::FieldDef> coinFields();
// The record numbers the engine delivers, in order.
std::vector<uint32_t> deliveredOrder(dbase::Table &table);
QByteArray readFile(const QString &path);
// The order a tag must have over these keys: (key, record number) ascending. The keys hold no
// blanks, so the unpadded text orders as the blank-padded key does.
std::vector<uint32_t> keyOrder(const std::map<uint32_t, std::string> &keys);
