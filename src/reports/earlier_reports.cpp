#include "reports/earlier_reports.h"

#include "db/coin_schema.h"
#include "reports/ready_made.h"
#include "reports/report_file.h"

#include <QFile>
#include <QFileInfo>
#include <vector>

#include <fcntl.h>

namespace reports
{

namespace
{

// The earlier layout's offsets.
constexpr int kName = 0;
constexpr int kWidth = 31;
constexpr int kColumnHeaders = 83;
constexpr int kPageNumbers = 84;
constexpr int kUseTotals = 85;
constexpr int kNumberOfLines = 86;
constexpr int kTotals = 88;
constexpr int kTitle1 = 1588;

int earlierLineOffset(int line)
{
    return line == kTotalsLine ? kTotals : 331 + kLineSize * line;
}

// The fields of one earlier record, in the same encodings as the current layout.
struct EarlierRecord {
    const QByteArray &bytes;

    int int16(int at) const { return ReportDefinition::int16At(bytes, at); }
    bool flag(int at) const { return bytes.at(at) != 0; }
    QString string(int at, int size) const { return ReportDefinition::stringAt(bytes, at, size); }
};

// Holds an advisory read lock on the whole file while it is read, so that a program
// writing it (holding a write lock) keeps it for the next start-up.
bool lockForReading(QFile &file)
{
    struct flock lock = {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return ::fcntl(file.handle(), F_OFD_SETLK, &lock) == 0;
}

} // namespace

int fieldNumberForName(const QString &name)
{
    const QString wanted = name.trimmed();
    for (const coin::Field &f : coin::kFields)
        if (wanted.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return f.number;
    return 0;
}

int totalNumberForName(const QString &name)
{
    static const char *const names[] = {"Market Value", "Purchase Price", "Premium Value",
                                        "Quantity"};
    const QString wanted = name.trimmed();
    for (int k = 0; k < 4; ++k)
        if (wanted.compare(QLatin1String(names[k]), Qt::CaseInsensitive) == 0) return k + 1;
    return 0;
}

ReportDefinition convertEarlierRecord(const QByteArray &bytes)
{
    const EarlierRecord old{bytes};
    ReportDefinition d;
    d.setNewDefaults();
    d.setName(old.string(kName, kNameSize));
    const int width = old.int16(kWidth);
    d.setWidth(width);
    d.setColumnHeaders(old.flag(kColumnHeaders));
    d.setPageNumbers(old.flag(kPageNumbers));
    d.setUseTotals(old.flag(kUseTotals));
    d.setNumberOfLines(old.int16(kNumberOfLines));
    d.setLandscape(false);
    d.setDateOnPages(true);
    d.setVerticalLines(false);
    d.setHorizontalLines(false);
    d.setGroupLevel1(true);
    d.setGroupLevel2(false);
    for (int n = 1; n <= 3; ++n)
        d.setTitle(n, old.string(kTitle1 + (kTitleSize + 1) * (n - 1), kTitleSize));
    for (int k = 0; k < 5; ++k) {
        FontBlock f = d.font(static_cast<FontKind>(k));
        f.size = width == 90 ? 10 : 8;
        d.setFont(static_cast<FontKind>(k), f);
    }
    for (int line = 0; line <= kBodyLines; ++line) {
        for (int i = 1; i <= kItemsPerLine; ++i) {
            const int at = earlierLineOffset(line) + kItemSize * (i - 1);
            Item it;
            it.kind = old.string(at + offset::itemKind, kNameSize);
            it.width = old.int16(at + offset::itemWidth);
            it.label = old.string(at + offset::itemLabel, kLabelSize);
            if (it.kindOf() == ItemKind::Field)
                it.field =
                    line == kTotalsLine ? totalNumberForName(it.kind) : fieldNumberForName(it.kind);
            d.setItem(line, i, it);
        }
    }
    return d;
}

ConversionResult convertEarlierReports(const QString &earlierPath, const QString &currentPath)
{
    ConversionResult result;
    if (!QFileInfo(earlierPath).isFile()) return result;
    result.found = true;
    QFile file(earlierPath);
    if (!file.open(QIODevice::ReadOnly) || !lockForReading(file)) return result;

    std::vector<ReportDefinition> converted;
    for (;;) {
        const QByteArray bytes = file.read(kEarlierRecordSize);
        if (bytes.isEmpty() && file.atEnd()) break;
        if (bytes.size() < 0 || (bytes.isEmpty() && file.error() != QFileDevice::NoError))
            return result;                             // unreadable: kept for the next start-up
        if (bytes.size() != kEarlierRecordSize) break; // a trailing partial record
        const QString name = EarlierRecord{bytes}.string(kName, kNameSize);
        if (readyMadeNames().contains(name)) {
            ++result.skipped;
            continue;
        }
        converted.push_back(convertEarlierRecord(bytes));
    }
    if (file.error() != QFileDevice::NoError) return result;

    if (!converted.empty()) {
        // Only into an existing file: one that could not be made with the ready-made
        // reports is not started with converted ones in their place.
        if (!QFileInfo(currentPath).isFile()) return result;
        try {
            ReportFile(currentPath).append(converted);
        } catch (const ReportFileError &) {
            return result; // nothing appended; the earlier file stays
        }
    }
    result.appended = static_cast<int>(converted.size());
    file.close();
    result.removed = QFile::remove(earlierPath);
    return result;
}

} // namespace reports
