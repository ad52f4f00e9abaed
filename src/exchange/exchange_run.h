// The record loops of import and export, without windows: storing a source's values into
// new coins by field kind, and writing the coins the table delivers to a text file or a
// new dBase table. Long runs report their count now and then through a callback.
#pragma once

#include "exchange/ascii_format.h"

#include <QString>
#include <array>
#include <functional>
#include <stdexcept>
#include <vector>

namespace dbase
{
class Table;
}

namespace exchange
{

// A failure of an import or export, as a sentence for the user.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

// Called with the records done so far, about every 0.05 s while a run goes on.
using Progress = std::function<void(int done)>;

struct ImportResult {
    int imported = 0;
    int cutValues = 0;          // values over 255 characters, cut
    int replacedCharacters = 0; // characters the table cannot hold, stored as "?"
};

// Appends one coin per source record. `importMap` holds per import field the coin field
// number (1-20) that receives it, or -1. Every record is checked before the first is
// appended: a date or number that cannot be stored refuses the whole file (Error naming
// the line or record and the value), so a run never ends with part of a file imported.
class Importer
{
public:
    // `labels`: the display labels of the twenty fields, for messages.
    Importer(dbase::Table &target, std::vector<int> importMap, std::array<QString, 20> labels);
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // Called with the records checked so far while the values are checked, before the
    // first record is appended.
    void setChecking(Progress checking) { m_checking = std::move(checking); }

    ImportResult importAscii(AsciiReader &reader, bool skipFirst);
    // `source` is open; its first 30 fields are the import fields.
    ImportResult importDbase(dbase::Table &source);

private:
    struct Target {
        int importField;
        int number;
        int tableField;
    };
    // Empty when `text` can be stored into coin field `number`, else why not.
    QString problem(int number, const std::string &text) const;
    void store(const Target &t, const std::string &text);
    template <class Source> ImportResult run(Source &&forEach, const QString &place);

    dbase::Table &m_target;
    std::vector<Target> m_targets;
    std::array<QString, 20> m_labels;
    Progress m_progress;
    Progress m_checking;
};

// One exported column: the field's position in the table and its coin field number.
struct ExportColumn {
    int tableField;
    int number;
};

// The columns in grid order from the export settings: field i sits in row order[i] and
// goes out when fields[i] is set.
std::vector<ExportColumn> exportColumns(const std::array<int, 20> &order,
                                        const std::array<bool, 20> &fields,
                                        const dbase::Table &table);

// Writes the records the table delivers (all of them, or a search's matches while its
// filter is set), from the first; the table's current record is the same afterwards.
// Nothing is left under the chosen name when a write fails (Error).
class Exporter
{
public:
    Exporter(dbase::Table &source, std::vector<ExportColumn> columns);
    void setProgress(Progress progress) { m_progress = std::move(progress); }
    // The number of records the run will visit (the progress bar's maximum).
    int total();

    // `header`: the labels line, or empty for none.
    int writeAscii(const QString &path, const std::vector<std::string> &header);
    // A new table with the columns' names and coin types and no index.
    int writeDbase(const QString &path);

private:
    template <class Fn> int loop(Fn &&write);
    // Export never writes over the table it reads, nor over a table open elsewhere.
    void refuseOpenDatabase(const QString &path) const;

    dbase::Table &m_source;
    std::vector<ExportColumn> m_columns;
    Progress m_progress;
};

} // namespace exchange
