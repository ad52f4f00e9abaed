#include "db/conversion.h"

#include "db/coin_database.h"
#include "db/database_files.h"
#include "dbase/date_style.h"
#include "dbase/error.h"
#include "platform/long_work.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <vector>

namespace conversion
{

namespace
{

// The field lists by position; the first field is not examined.
const std::array<const char *, 17> kV2Fields = {"",
                                                "Country",
                                                "FaceValue",
                                                "Year",
                                                "Condition",
                                                "MintMark",
                                                "PurchasePrice",
                                                "MarketValue",
                                                "PremiumValue",
                                                "Topic",
                                                "Description",
                                                "PurchDate",
                                                "Miscellaneous",
                                                "Quantity",
                                                "Comment",
                                                "YearBC",
                                                "YearApprox"};

const std::array<const char *, 22> kV1Fields = {
    "",           "Country",    "FaceValue",  "Year",       "Condition",  "MintMark",
    "PurchasePr", "MarketValu", "PremiumVal", "Topic",      "Descriptio", "PurchDay",
    "PurchMonth", "PurchYear",  "Commemorat", "Controller", "Gold",       "Silver",
    "Quantity",   "Comment",    "YearBC",     "YearApprox"};

// Taken over as text into the coin field of the same name. The 2.X purchase date is taken
// over by copyPurchaseDate.
const std::array<const char *, 13> kV2Copied = {
    "COUNTRY",    "FACEVALUE", "YEAR",       "CONDITION",  "MINTMARK", "PURCHASEPR", "MARKETVALU",
    "PREMIUMVAL", "TOPIC",     "DESCRIPTIO", "MISCELLANE", "QUANTITY", "COMMENT"};

const std::array<const char *, 12> kV1Copied = {
    "COUNTRY",    "FACEVALUE",  "YEAR",  "CONDITION",  "MINTMARK", "PURCHASEPR",
    "MARKETVALU", "PREMIUMVAL", "TOPIC", "DESCRIPTIO", "QUANTITY", "COMMENT"};

const std::array<const char *, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

template <std::size_t N> QStringList names(const std::array<const char *, N> &fields)
{
    QStringList out;
    for (const char *f : fields)
        out << QString::fromLatin1(f);
    return out;
}

QString text(const dbase::Table &t, const char *name)
{
    return QString::fromStdString(t.asString(t.fieldByName(name)));
}

void setText(dbase::Table &t, const char *name, const QString &value)
{
    t.setAsString(t.fieldByName(name), value.toStdString());
}

// The date style of the conversion, and the program's put back when it ends in any way.
class DateStyleSwitch
{
public:
    explicit DateStyleSwitch(const dbase::DateStyle &style) : m_saved(dbase::DateStyle::current())
    {
        dbase::DateStyle::setCurrent(style);
    }
    ~DateStyleSwitch() { dbase::DateStyle::setCurrent(m_saved); }
    DateStyleSwitch(const DateStyleSwitch &) = delete;
    DateStyleSwitch &operator=(const DateStyleSwitch &) = delete;

private:
    dbase::DateStyle m_saved;
};

// Bulk appends flush once at the end instead of at every post; the table's own choice comes
// back afterwards.
class BulkWrites
{
public:
    explicit BulkWrites(dbase::Table &table) : m_table(table), m_saved(table.syncEachPost())
    {
        m_table.setSyncEachPost(false);
    }
    ~BulkWrites() { m_table.setSyncEachPost(m_saved); }
    BulkWrites(const BulkWrites &) = delete;
    BulkWrites &operator=(const BulkWrites &) = delete;

private:
    dbase::Table &m_table;
    bool m_saved;
};

// The 2.X purchase date: a date field read as a date, so that no date style with two-digit
// years moves it into another century on the way. A date that does not read becomes an
// empty date and is noted.
void copyPurchaseDate(const dbase::Table &old, dbase::Table &target, int record, Outcome &out)
{
    const int from = old.fieldByName("PURCHDATE");
    const int to = target.fieldByName("PURCHDATE");
    const QString shown = QString::fromStdString(old.asString(from));
    dbase::Date date;
    if (old.field(from).type == dbase::FieldType::Date) {
        date = old.asDate(from);
        if (date.isNull() && !shown.trimmed().isEmpty())
            out.badDates << QStringLiteral("record %1: %2").arg(record).arg(shown.trimmed());
    } else if (!dbase::DateStyle::current().parse(shown.toStdString(), date)) {
        out.badDates << QStringLiteral("record %1: %2").arg(record).arg(shown.trimmed());
        date = {};
    }
    target.setAsDate(to, date);
}

// The 1.X purchase date from its day, month name and year texts (a month name in any letter
// case becomes its number), read with the pattern m/d/y. A record whose three parts do not
// form a date gets an empty date, and one without any of them an empty date silently.
void joinPurchaseDate(const dbase::Table &old, dbase::Table &target, int record, Outcome &out)
{
    const QString day = text(old, "PURCHDAY").left(4);
    QString month = text(old, "PURCHMONTH").left(4);
    const QString year = text(old, "PURCHYEAR").left(4);
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (month.trimmed().compare(QLatin1String(kMonths[i]), Qt::CaseInsensitive) == 0)
            month = QString::number(i + 1);
    dbase::Date date;
    if (!(day.trimmed().isEmpty() && month.trimmed().isEmpty() && year.trimmed().isEmpty())) {
        const QString joined = month + QLatin1Char('/') + day + QLatin1Char('/') + year;
        if (!dbase::DateStyle::current().parse(joined.toStdString(), date)) {
            out.badDates << QStringLiteral("record %1: %2 %3 %4")
                                .arg(record)
                                .arg(day.trimmed(), text(old, "PURCHMONTH").trimmed(),
                                     year.trimmed());
            date = {};
        }
    }
    target.setAsDate(target.fieldByName("PURCHDATE"), date);
}

// Year with its era word, and the approximate-year flag: the same in both versions.
void yearAndApprox(const dbase::Table &old, dbase::Table &target)
{
    setText(target, "YEARAPPROX",
            text(old, "YEARAPPROX").toUpper() == QLatin1String("ABOUT") ? QStringLiteral("Yes")
                                                                        : QStringLiteral("No"));
    setText(target, "YEAR",
            (text(target, "YEAR") + QLatin1Char(' ') + text(old, "YEARBC")).trimmed());
}

void fillV2(const dbase::Table &old, dbase::Table &target, int record, Outcome &out)
{
    for (const char *name : kV2Copied)
        setText(target, name, text(old, name));
    copyPurchaseDate(old, target, record, out);
    yearAndApprox(old, target);
}

void fillV1(const dbase::Table &old, dbase::Table &target, int record, Outcome &out)
{
    for (const char *name : kV1Copied)
        setText(target, name, text(old, name));
    joinPurchaseDate(old, target, record, out);
    QString misc;
    const auto flag = [&old](const char *name) { return text(old, name) == QLatin1String("Yes"); };
    if (flag("COMMEMORAT")) misc += QStringLiteral("Commemorative, ");
    if (flag("CONTROLLER")) misc += QStringLiteral("Controller, ");
    if (flag("GOLD")) misc += QStringLiteral("Gold, ");
    if (flag("SILVER")) misc += QStringLiteral("Silver, ");
    if (!misc.isEmpty()) misc.chop(2);
    setText(target, "MISCELLANE", misc);
    yearAndApprox(old, target);
}

Outcome convert(Version version, const QString &path, dbase::Table &target, LongWork *work)
{
    Outcome out;
    dbase::Table old;
    dbfiles::locate(old, path);
    old.setIgnoreIndexFile(true); // natural order is all the conversion reads
    old.setReadOnly(true);
    old.setExclusive(false);

    std::vector<uint32_t> appended;
    int record = 0;
    {
        const dbase::ControlsDisabled frozen(target);
        const BulkWrites bulk(target);
        try {
            old.open();
            const int total = old.recordCount();
            const QString what = QStringLiteral("Converting ") + fileName(version);
            for (old.first(); !old.eof(); old.next()) {
                ++record;
                dbase::PendingChange change(target, dbase::PendingChange::Kind::Append);
                if (version == Version::V2)
                    fillV2(old, target, record, out);
                else
                    fillV1(old, target, record, out);
                change.post();
                appended.push_back(target.recNo());
                if (work) work->report(what, record, total);
            }
            target.sync(); // every record on the disk before the old file may go
            out.completed = true;
        } catch (const dbase::Error &e) {
            out.error = QString::fromStdString(e.what());
            out.failedRecord = old.isOpen() ? record : 0;
        }
        if (!out.completed) {
            // Taken out again: the kept file is converted whole at the next attempt.
            try {
                std::size_t taken = 0;
                for (const uint32_t recno : appended) {
                    if (!target.moveToRecNo(recno)) continue; // hidden by a filter
                    target.deleteRecord();
                    ++taken;
                }
                target.sync();
                out.rolledBack = taken == appended.size();
            } catch (const dbase::Error &) {
                // They stay; the message says so.
            }
        }
    }
    old.close();
    out.converted = static_cast<int>(appended.size());
    return out;
}

} // namespace

QString fileName(Version version)
{
    return version == Version::V2 ? QStringLiteral("C2LOG.DBF") : QStringLiteral("CLOG.DBF");
}

QString question(Version version)
{
    return QStringLiteral("A database from a previous version (") +
           (version == Version::V2 ? QStringLiteral("2.X") : QStringLiteral("1.X")) +
           QStringLiteral(") has been detected.  Would you like to convert it now?  NOTE: After "
                          "conversion the old file will be deleted.  You may wish to make a "
                          "copy of \"") +
           fileName(version) + QStringLiteral("\" first.");
}

bool CheckDBaseFormatV2(dbase::Table &check, const QString &path)
{
    return dbfiles::hasFieldList(check, path, names(kV2Fields), 1);
}

bool CheckDBaseFormatV1(dbase::Table &check, const QString &path)
{
    return dbfiles::hasFieldList(check, path, names(kV1Fields), 1);
}

Outcome ConvertV2(const QString &path, dbase::Table &target, LongWork *work)
{
    return convert(Version::V2, path, target, work);
}

Outcome ConvertV1(const QString &path, dbase::Table &target, LongWork *work)
{
    // The old table's dates are month/day/year texts, read in that style whatever the
    // program's date style is; the program's comes back however the conversion ends.
    const DateStyleSwitch style(dbase::DateStyle("m/d/yyyy"));
    return convert(Version::V1, path, target, work);
}

} // namespace conversion

namespace
{

QString sentence(const QString &text)
{
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

QString failureText(const QString &name, const conversion::Outcome &out)
{
    QString text =
        out.failedRecord > 0
            ? QStringLiteral("The conversion of \"%1\" stopped at its record %2: %3")
                  .arg(name)
                  .arg(out.failedRecord)
                  .arg(sentence(out.error))
            : QStringLiteral("\"%1\" could not be converted: %2").arg(name, sentence(out.error));
    if (out.rolledBack || out.converted == 0)
        text += QStringLiteral("  The database is as it was before, and \"%1\" has been kept.")
                    .arg(name);
    else
        text += QStringLiteral("  The %1 records converted before it stay in the database, and "
                               "\"%2\" has been kept.")
                    .arg(out.converted)
                    .arg(name);
    return text;
}

// The old table in the program directory, its name in any letter case (a copy from another
// system may have changed it); empty when there is none.
QString oldTablePath(const QString &name)
{
    const QString exact = paths::programFile(name);
    if (QFileInfo(exact).isFile()) return exact;
    const QDir directory(paths::programDirectory());
    for (const QString &entry : directory.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return directory.filePath(entry);
    return QString();
}

QString badDatesText(const QString &name, const QStringList &badDates)
{
    constexpr int kShown = 10;
    QString text =
        badDates.size() == 1
            ? QStringLiteral("1 record of \"%1\" has a purchase date that is not a date.  It was "
                             "converted with an empty purchase date:")
                  .arg(name)
            : QStringLiteral("%1 records of \"%2\" have a purchase date that is not a date.  They "
                             "were converted with an empty purchase date:")
                  .arg(badDates.size())
                  .arg(name);
    for (int i = 0; i < badDates.size() && i < kShown; ++i)
        text += QLatin1Char('\n') + badDates[i];
    if (badDates.size() > kShown) text += QStringLiteral("\n...");
    return text;
}

} // namespace

void CheckForConversion(CoinDatabase &db, QWidget *owner)
{
    using conversion::Version;
    if (db.browseMode() || !db.table().isOpen()) return;
    for (const Version version : {Version::V2, Version::V1}) {
        const QString name = conversion::fileName(version);
        const QString path = oldTablePath(name);
        if (path.isEmpty()) continue;
        bool matches = false;
        try {
            dbase::Table check;
            matches = version == Version::V2 ? conversion::CheckDBaseFormatV2(check, path)
                                             : conversion::CheckDBaseFormatV1(check, path);
        } catch (const dbase::Error &) {
            // Not a dBase table: left alone like any other file of that name.
        }
        if (!matches) continue;
        if (Prompts::instance().message(owner, conversion::question(version),
                                        QStringLiteral("Convert"), Prompts::Icon::Question,
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                                        false) != QMessageBox::Yes)
            continue;

        conversion::Outcome out;
        {
            LongWork work(owner, QStringLiteral("Convert"));
            out = version == Version::V2 ? conversion::ConvertV2(path, db.table(), &work)
                                         : conversion::ConvertV1(path, db.table(), &work);
        }
        db.checkRecordCount();
        if (!out.completed) {
            Prompts::error(owner, failureText(name, out));
            continue;
        }
        QFile old(path);
        if (!old.remove()) {
            Prompts::error(owner, QStringLiteral("The records of \"%1\" have been added to the "
                                                 "database, but the file could not be deleted: "
                                                 "%2.  Delete it yourself, or it will be offered "
                                                 "for conversion again at the next start.")
                                      .arg(name, old.errorString()));
        }
        if (!out.badDates.isEmpty()) Prompts::notice(owner, badDatesText(name, out.badDates));
    }
}
