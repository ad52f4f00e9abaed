#include "exchange/exchange_run.h"

#include "db/coin_schema.h"
#include "dbase/date_style.h"
#include "dbase/error.h"
#include "dbase/table.h"
#include "exchange/file_copy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace exchange
{

namespace
{

// Tells the progress callback about every 0.05 s, checking the clock every 32 records.
class Ticker
{
public:
    explicit Ticker(const Progress &progress) : m_progress(progress) {}
    void tick(int done)
    {
        if (!m_progress || (done & 31) != 0) return;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_last < std::chrono::milliseconds(50)) return;
        m_last = now;
        m_progress(done);
    }
    void finish(int done)
    {
        if (m_progress) m_progress(done);
    }

private:
    const Progress &m_progress;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// The number at the start of the text, as the standard conversions read it: blanks, a
// sign, digits, and for floats a "." with digits and an exponent. False when there is
// no digit.
bool leadingNumber(const std::string &text, bool whole, double &value)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::string clean;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') clean.push_back('-');
        ++i;
    }
    auto digits = [&] {
        bool any = false;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            clean.push_back(text[i++]);
            any = true;
        }
        return any;
    };
    bool any = digits();
    if (!whole) {
        if (i < text.size() && text[i] == '.') {
            clean.push_back('.');
            ++i;
            any = digits() || any;
        }
        if (any && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            std::string mantissa = clean;
            clean.push_back('e');
            ++i;
            if (i < text.size() && (text[i] == '+' || text[i] == '-')) clean.push_back(text[i++]);
            if (!digits()) clean = mantissa;
        }
    }
    if (!any) return false;
    const auto r = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    if (r.ec == std::errc::result_out_of_range) value = HUGE_VAL;
    return true;
}

bool fits(double value, int length, int decimals)
{
    if (!std::isfinite(value)) return false;
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return r.ec == std::errc() && r.ptr - buf <= length;
}

// A date is read only from text with the date separator and no letter.
bool looksLikeDate(const std::string &text)
{
    const char sep = dbase::DateStyle::current().separator();
    bool hasSeparator = false;
    for (char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return false;
        if (c == sep) hasSeparator = true;
    }
    return hasSeparator;
}

// Turns the per-post flush and the attached views off for a bulk run, and back on (with
// one flush) however it ends.
class BulkRun
{
public:
    explicit BulkRun(dbase::Table &t) : m_table(t), m_sync(t.syncEachPost()), m_controls(t)
    {
        m_table.setSyncEachPost(false);
    }
    ~BulkRun()
    {
        try {
            if (!m_finished) m_table.sync();
        } catch (const dbase::Error &) {
            // The run failed already and says so; the table's own close flushes again.
        }
        m_table.setSyncEachPost(m_sync);
    }
    // The records of a completed run flushed to the disk: a flush the disk refuses is a
    // failure of the run (dbase::Error), not a success.
    void finish()
    {
        m_finished = true;
        m_table.sync();
    }
    BulkRun(const BulkRun &) = delete;
    BulkRun &operator=(const BulkRun &) = delete;

private:
    dbase::Table &m_table;
    bool m_sync;
    bool m_finished = false;
    dbase::ControlsDisabled m_controls;
};

// Puts the table back on the record it was at, however a run over it ends.
class KeepPosition
{
public:
    explicit KeepPosition(dbase::Table &t) : m_table(t), m_recno(t.recNo()) {}
    ~KeepPosition()
    {
        try {
            if (m_recno) m_table.moveToRecNo(m_recno);
        } catch (const dbase::Error &) {
            // The table could not be read again: it stays where the run left it.
        }
    }
    KeepPosition(const KeepPosition &) = delete;
    KeepPosition &operator=(const KeepPosition &) = delete;

private:
    dbase::Table &m_table;
    uint32_t m_recno;
};

QString fromUtf8(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

// ---- import ---------------------------------------------------------------------------

Importer::Importer(dbase::Table &target, std::vector<int> importMap, std::array<QString, 20> labels)
    : m_target(target), m_labels(std::move(labels))
{
    for (std::size_t q = 0; q < importMap.size(); ++q) {
        const int n = importMap[q];
        if (n < 1 || n > coin::kFieldCount) continue;
        m_targets.push_back(
            {static_cast<int>(q), n, target.fieldByName(coin::field(n).storedName)});
    }
}

QString Importer::problem(int number, const std::string &text) const
{
    const coin::Field &f = coin::field(number);
    double v = 0;
    switch (f.kind) {
    case coin::Kind::Text:
        return {};
    case coin::Kind::Integer:
        if (leadingNumber(text, true, v) && !fits(std::trunc(v), 11, 0))
            return QStringLiteral("'%1' is too large a number for %2")
                .arg(fromUtf8(text), m_labels[number - 1]);
        return {};
    case coin::Kind::Float:
        if (leadingNumber(text, false, v) && !fits(v, 20, 4))
            return QStringLiteral("'%1' is too large a number for %2")
                .arg(fromUtf8(text), m_labels[number - 1]);
        return {};
    case coin::Kind::Date: {
        dbase::Date d;
        if (looksLikeDate(text) && !dbase::DateStyle::current().parse(text, d))
            return QStringLiteral("'%1' is not a valid date for %2")
                .arg(fromUtf8(text), m_labels[number - 1]);
        return {};
    }
    }
    return {};
}

void Importer::store(const Target &t, const std::string &text)
{
    const coin::Field &f = coin::field(t.number);
    double v = 0;
    switch (f.kind) {
    case coin::Kind::Text:
        m_target.setAsString(t.tableField, text);
        break;
    case coin::Kind::Integer:
        if (leadingNumber(text, true, v)) m_target.setAsFloat(t.tableField, std::trunc(v));
        break;
    case coin::Kind::Float:
        if (leadingNumber(text, false, v)) m_target.setAsFloat(t.tableField, v);
        break;
    case coin::Kind::Date: {
        dbase::Date d;
        if (looksLikeDate(text) && dbase::DateStyle::current().parse(text, d))
            m_target.setAsDate(t.tableField, d);
        break;
    }
    }
}

// `forEach(fn)` calls fn(values) for each source record, where values[q] is import field q.
template <class Source> ImportResult Importer::run(Source &&forEach, const QString &place)
{
    // First every value is checked, so that a bad one refuses the file before anything
    // is appended.
    int record = 0;
    Ticker checked(m_checking);
    forEach([&](const std::vector<std::string> &values, int where) {
        checked.tick(++record);
        for (const Target &t : m_targets) {
            if (t.importField >= static_cast<int>(values.size()) ||
                coin::field(t.number).kind == coin::Kind::Text)
                continue;
            const QString why = problem(t.number, values[t.importField]);
            if (!why.isEmpty())
                throw Error(QStringLiteral("%1 %2: %3.  Nothing was imported.")
                                .arg(place)
                                .arg(where)
                                .arg(why));
        }
    });

    ImportResult result;
    BulkRun bulk(m_target);
    Ticker tick(m_progress);
    forEach([&](const std::vector<std::string> &values, int) {
        dbase::PendingChange coin(m_target, dbase::PendingChange::Kind::Append);
        for (const Target &t : m_targets) {
            if (t.importField >= static_cast<int>(values.size())) continue;
            store(t, values[t.importField]);
        }
        coin.post();
        ++result.imported;
        tick.tick(result.imported);
    });
    bulk.finish();
    tick.finish(result.imported);
    return result;
}

ImportResult Importer::importAscii(AsciiReader &reader, bool skipFirst)
{
    int fieldCount = 0;
    for (const Target &t : m_targets)
        fieldCount = std::max(fieldCount, t.importField + 1);
    std::vector<std::string> values;
    int replaced = 0;
    auto forEach = [&](auto &&fn) {
        reader.rewind();
        replaced = 0;
        if (skipFirst) reader.readRecord(fieldCount, values);
        while (!reader.atEnd()) {
            if (!reader.readRecord(fieldCount, values)) continue;
            if (reader.isUtf8())
                for (const Target &t : m_targets)
                    if (t.importField < static_cast<int>(values.size()))
                        replaced += unmappableCount(values[t.importField]);
            fn(values, reader.recordLine());
        }
    };
    ImportResult r = run(forEach, QStringLiteral("Line"));
    r.cutValues = reader.cutValues();
    r.replacedCharacters = replaced;
    return r;
}

ImportResult Importer::importDbase(dbase::Table &source)
{
    const int fieldCount = std::min(source.fieldCount(), kMaxImportFields);
    std::vector<std::string> values(fieldCount);
    auto forEach = [&](auto &&fn) {
        int record = 0;
        for (source.first(); !source.eof(); source.next()) {
            ++record;
            for (const Target &t : m_targets)
                if (t.importField < fieldCount)
                    values[t.importField] = source.asString(t.importField);
            fn(values, record);
        }
    };
    return run(forEach, QStringLiteral("Record"));
}

// ---- export ---------------------------------------------------------------------------

std::vector<ExportColumn> exportColumns(const std::array<int, 20> &order,
                                        const std::array<bool, 20> &fields,
                                        const dbase::Table &table)
{
    std::vector<ExportColumn> columns;
    for (int p = 1; p <= coin::kFieldCount; ++p)
        for (int j = 0; j < coin::kFieldCount; ++j)
            if (order[j] == p) {
                if (fields[j])
                    columns.push_back({table.fieldByName(coin::field(j + 1).storedName), j + 1});
                break;
            }
    return columns;
}

Exporter::Exporter(dbase::Table &source, std::vector<ExportColumn> columns)
    : m_source(source), m_columns(std::move(columns))
{
}

int Exporter::total()
{
    return m_source.recordCount();
}

template <class Fn> int Exporter::loop(Fn &&write)
{
    const KeepPosition position(m_source);
    const dbase::ControlsDisabled controls(m_source);
    int done = 0;
    Ticker tick(m_progress);
    for (m_source.first(); !m_source.eof(); m_source.next()) {
        write();
        tick.tick(++done);
    }
    tick.finish(done);
    return done;
}

void Exporter::refuseOpenDatabase(const QString &path) const
{
    const QString chosen = QFileInfo(path).canonicalFilePath();
    if (!chosen.isEmpty() &&
        QFileInfo(QString::fromStdString(m_source.filePath())).canonicalFilePath() == chosen)
        throw Error(QStringLiteral("%1 is the open database.  Choose another name for the export.")
                        .arg(path));
    // The export is renamed over the file: a program that has it open would go on writing to
    // the old one, and lose that work when it closes.
    if (filecopy::openElsewhere(path))
        throw Error(
            QStringLiteral("%1 is open in another program.  Choose another name for the export.")
                .arg(path));
}

int Exporter::writeAscii(const QString &path, const std::vector<std::string> &header)
{
    refuseOpenDatabase(path);
    AsciiWriter writer(path);
    QString error;
    if (!writer.open(&error)) throw Error(error);
    if (!header.empty()) writer.writeLine(header);
    std::vector<std::string> values(m_columns.size());
    const int n = loop([&] {
        for (std::size_t c = 0; c < m_columns.size(); ++c)
            values[c] = m_source.asString(m_columns[c].tableField);
        writer.writeLine(values);
    });
    if (!writer.commit(&error)) throw Error(error);
    return n;
}

int Exporter::writeDbase(const QString &path)
{
    std::vector<dbase::FieldDef> defs;
    for (const ExportColumn &c : m_columns) {
        const coin::Field &f = coin::field(c.number);
        switch (f.kind) {
        case coin::Kind::Text:
            defs.push_back(dbase::FieldDef::text(f.name, f.width));
            break;
        case coin::Kind::Integer:
            defs.push_back(dbase::FieldDef::integer(f.name));
            break;
        case coin::Kind::Float:
            defs.push_back(dbase::FieldDef::floating(f.name));
            break;
        case coin::Kind::Date:
            defs.push_back(dbase::FieldDef::date(f.name));
            break;
        }
    }
    // The table is built under a name of its own beside the chosen one and renamed in at
    // the end, so a failed write leaves nothing under the chosen name.
    const QFileInfo info(path);
    const QString dir = info.absolutePath();
    refuseOpenDatabase(path);
    const QString temp = QStringLiteral("~export%1.DBF").arg(QCoreApplication::applicationPid());
    const QString tempPath = dir + QLatin1Char('/') + temp;
    dbase::Table out;
    out.setDatabaseName(dir.toStdString());
    out.setTableName(temp.toStdString());
    auto discard = [&] {
        out.close();
        QFile::remove(tempPath);
    };
    int n = 0;
    try {
        out.createTable(defs);
        out.setExclusive(true);
        out.setIgnoreIndexFile(true);
        out.open();
        out.setSyncEachPost(false);
        n = loop([&] {
            dbase::PendingChange record(out, dbase::PendingChange::Kind::Append);
            for (std::size_t c = 0; c < m_columns.size(); ++c) {
                const int from = m_columns[c].tableField;
                const int to = static_cast<int>(c);
                if (m_source.isNull(from)) continue;
                switch (defs[c].type) {
                case dbase::FieldType::Numeric:
                case dbase::FieldType::Float:
                    out.setAsFloat(to, m_source.asFloat(from));
                    break;
                case dbase::FieldType::Date:
                    out.setAsDate(to, m_source.asDate(from));
                    break;
                default:
                    out.setAsString(to, m_source.asString(from));
                }
            }
            record.post();
        });
        out.sync();
        out.close();
    } catch (const dbase::Error &e) {
        discard();
        throw Error(QStringLiteral("Unable to write %1: %2.  No file was written.")
                        .arg(path, QString::fromStdString(e.what())));
    } catch (...) {
        discard();
        throw;
    }
    const QString mdx = dir + QLatin1Char('/') + info.completeBaseName() +
                        (info.suffix() == info.suffix().toLower() ? QStringLiteral(".mdx")
                                                                  : QStringLiteral(".MDX"));
    if (std::rename(tempPath.toLocal8Bit().constData(), path.toLocal8Bit().constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(tempPath);
        throw Error(QStringLiteral("Unable to write %1: %2.  No file was written.").arg(path, why));
    }
    // An index file of the table replaced belongs to it no more.
    QFile::remove(mdx);
    return n;
}

} // namespace exchange
