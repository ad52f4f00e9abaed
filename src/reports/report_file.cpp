#include "reports/report_file.h"

#include "platform/paths.h"
#include "platform/save_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <unistd.h>

namespace reports
{

namespace
{
const QString kFileName = QStringLiteral("NUMAROK.URP");

bool flushToDisk(QFile &file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}
} // namespace

ReportFile::ReportFile() : m_path(defaultPath()) {}

ReportFile::ReportFile(const QString &path) : m_path(path) {}

QString ReportFile::defaultPath()
{
    return paths::programFile(kFileName);
}

bool ReportFile::exists() const
{
    return QFileInfo(m_path).isFile();
}

int ReportFile::count() const
{
    const QFileInfo info(m_path);
    return info.isFile() ? static_cast<int>(info.size() / kRecordSize) : 0;
}

QStringList ReportFile::names() const
{
    QStringList list;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return list;
    ReportDefinition record;
    for (;;) {
        const QByteArray bytes = file.read(kRecordSize);
        if (bytes.size() != kRecordSize) break;
        record.setBytes(bytes);
        list << record.name();
    }
    return list;
}

bool ReportFile::read(int k, ReportDefinition &into) const
{
    if (k < 0) return false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    if (!file.seek(static_cast<qint64>(k) * kRecordSize)) return false;
    return into.setBytes(file.read(kRecordSize));
}

bool ReportFile::holds(int k, const QString &name) const
{
    ReportDefinition record;
    return read(k, record) && record.name() == name;
}

int ReportFile::save(const ReportDefinition &definition, int k)
{
    const int records = count();
    if (k >= 0 && k < records) {
        // Not in place: a write that fails part-way would leave the old report half
        // overwritten.
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            throw ReportFileError(
                QStringLiteral("Cannot write %1: %2").arg(m_path, file.errorString()));
        QByteArray all = file.readAll();
        file.close();
        const qsizetype at = static_cast<qsizetype>(k) * kRecordSize;
        if (all.size() < at + kRecordSize)
            throw ReportFileError(QStringLiteral("Cannot write %1: %2")
                                      .arg(m_path, QStringLiteral("it could not be read")));
        all.replace(at, kRecordSize, definition.bytes());
        replaceWith(all);
        return k;
    }
    append({definition});
    return records;
}

void ReportFile::replaceWith(const QByteArray &bytes)
{
    QSaveFile out(m_path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() ||
        !platform::commitWhole(out))
        throw ReportFileError(
            QStringLiteral("Cannot write %1: %2").arg(m_path, platform::saveFailure(out)));
}

void ReportFile::append(const std::vector<ReportDefinition> &definitions)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadWrite))
        throw ReportFileError(
            QStringLiteral("Cannot write %1: %2").arg(m_path, file.errorString()));
    // Whole records only: a trailing partial record is overwritten by the first new one.
    const qint64 start = (file.size() / kRecordSize) * kRecordSize;
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(definitions.size()) * kRecordSize);
    for (const ReportDefinition &d : definitions)
        bytes += d.bytes();
    if (!file.seek(start) || file.write(bytes) != bytes.size() || !flushToDisk(file)) {
        const QString why = file.errorString();
        file.resize(start);
        throw ReportFileError(QStringLiteral("Cannot write %1: %2").arg(m_path, why));
    }
    if (file.size() > start + bytes.size()) file.resize(start + bytes.size());
}

bool ReportFile::remove(int k)
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray all = file.readAll();
    file.close();
    const qsizetype records = all.size() / kRecordSize;
    if (k < 0 || k >= records) return false;
    QByteArray kept = all.left(static_cast<qsizetype>(k) * kRecordSize);
    kept += all.mid(static_cast<qsizetype>(k + 1) * kRecordSize,
                    (records - k - 1) * static_cast<qsizetype>(kRecordSize));
    replaceWith(kept);
    return true;
}

} // namespace reports
