// The earlier versions' coin tables, written by python3-dbf with their field lists, offered
// and converted into the open database through the prompt seam; the result read back by
// python3-dbf and the sort index walked by index_dump.
#include "db/coin_database.h"
#include "db/conversion.h"
#include "dbase/date_style.h"
#include "old_tables.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace
{

const QString kAskV2 = QStringLiteral(
    "A database from a previous version (2.X) has been detected.  Would you like to convert it "
    "now?  NOTE: After conversion the old file will be deleted.  You may wish to make a copy "
    "of \"C2LOG.DBF\" first.");
const QString kAskV1 = QStringLiteral(
    "A database from a previous version (1.X) has been detected.  Would you like to convert it "
    "now?  NOTE: After conversion the old file will be deleted.  You may wish to make a copy "
    "of \"CLOG.DBF\" first.");

// A 2.X record: the fields the tests vary, the rest fixed.
QJsonArray v2Row(int id, const QString &year, const QString &era, const QString &approx,
                 const QJsonValue &date = QJsonValue::Null)
{
    return {id,
            QStringLiteral("Canada"),
            QStringLiteral("25 Cents"),
            year,
            QStringLiteral("VF"),
            QStringLiteral("D"),
            12.5,
            20,
            QJsonValue::Null,
            QStringLiteral("Animals"),
            QStringLiteral(u"Caribou, Zürich"),
            date,
            QStringLiteral("misc %1").arg(id),
            3,
            QStringLiteral("a comment"),
            era,
            approx};
}

// A 1.X record.
QJsonArray v1Row(int id, const QString &day, const QString &month, const QString &year,
                 const QStringList &flags = {QString(), QString(), QString(), QString()},
                 const QJsonValue &price = 7.25)
{
    return {id,
            QStringLiteral("France"),
            QStringLiteral("1 Franc"),
            QStringLiteral("1921"),
            QStringLiteral("XF"),
            QString(),
            price,
            QJsonValue::Null,
            4,
            QStringLiteral("Ships"),
            QStringLiteral("Sailing ship"),
            day,
            month,
            year,
            flags[0],
            flags[1],
            flags[2],
            flags[3],
            2,
            QString(),
            QString(),
            QStringLiteral("about")};
}

QStringList texts(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

// A table of one record (a braced list of one array would copy the array itself).
QJsonArray one(const QJsonArray &record)
{
    QJsonArray rows;
    rows.append(record);
    return rows;
}

const QStringList kNoFlags = texts({"", "", "", ""});

QJsonArray dateOf(int y, int m, int d)
{
    return {y, m, d};
}

// Fresh program and settings directories with MASTER.DBF open as the database.
class Fixture
{
public:
    Fixture()
    {
        useDirectories(m_dir.path());
        QDir().mkpath(m_dir.path() + QStringLiteral("/home"));
        QDir().mkpath(m_dir.path() + QStringLiteral("/conf"));
        master = paths::programFile(QStringLiteral("MASTER.DBF"));
        db.makeNew(master);
        opened = db.openAtStart(master);
    }
    static QString old(const char *name) { return paths::programFile(QLatin1String(name)); }
    // C2LOG.DBF with one plain record of the year 300; empty when written, else what
    // python3-dbf said.
    static QString writePlainV2()
    {
        return writeTable(old("C2LOG.DBF"), kOldV2Fields,
                          one(v2Row(1, QStringLiteral("300"), QString(), QString())));
    }
    // The start-up step, `answer` given to the question it asks.
    void start(QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        prompts.answer(int(answer));
        CheckForConversion(db, nullptr);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts prompts;
    CoinDatabase db;
    QString master;
    bool opened = false;
};

// The program's date style.
QString datePattern()
{
    return QString::fromStdString(dbase::DateStyle::current().pattern());
}

// The tag NewIndex as index_dump walks it: one line per record.
int indexEntries(const QString &mdx)
{
    QProcess dump;
    dump.start(QStringLiteral("index_dump"), {mdx, QStringLiteral("NewIndex")});
    if (!dump.waitForFinished(30000) || dump.exitCode() != 0) return -1;
    int n = 0;
    for (const QByteArray &line : dump.readAllStandardOutput().split('\n'))
        if (!line.trimmed().isEmpty()) ++n;
    return n;
}

} // namespace

class ConversionTests : public QObject
{
    Q_OBJECT
private slots:
    void init() { dbase::DateStyle::setCurrent(dbase::DateStyle("dd.mm.yy")); }

    // Every copied field arrives in the field of its name, in the old file's order; a deleted
    // old record is not taken over; the old file goes once all are in.
    void version2Table()
    {
        Fixture f;
        QVERIFY(f.opened);
        const QString old = Fixture::old("C2LOG.DBF");
        QJsonArray rows = {
            v2Row(1, QStringLiteral("300"), QStringLiteral("BC"), QStringLiteral("about"),
                  dateOf(1994, 3, 7)),
            QJsonObject{
                {QStringLiteral("deleted"), true},
                {QStringLiteral("values"), v2Row(2, QStringLiteral("1"), QString(), QString())}},
            v2Row(3, QStringLiteral("1960"), QString(), QString(), dateOf(1950, 6, 1))};
        QCOMPARE(writeTable(old, kOldV2Fields, rows), QString());

        f.start();

        QCOMPARE(f.prompts.asked().size(), 1);
        const auto &q = f.prompts.asked().first();
        QCOMPARE(q.caption, QStringLiteral("Convert"));
        QCOMPARE(q.text, kAskV2);
        QCOMPARE(q.buttons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(!QFile::exists(old));
        QCOMPARE(f.db.recordCount(), 2);

        const QList<QJsonArray> records = liveRecords(f.master);
        QCOMPARE(records.size(), 2);
        const QJsonArray &r = records[0];
        QCOMPARE(coinValue(r, coin::Country).toString(), QStringLiteral("Canada"));
        QCOMPARE(coinValue(r, coin::FaceValue).toString(), QStringLiteral("25 Cents"));
        QCOMPARE(coinValue(r, coin::Year).toString(), QStringLiteral("300 BC"));
        QCOMPARE(coinValue(r, coin::Condition).toString(), QStringLiteral("VF"));
        QCOMPARE(coinValue(r, coin::MintMark).toString(), QStringLiteral("D"));
        QCOMPARE(coinValue(r, coin::PurchasePr).toDouble(), 12.5);
        QCOMPARE(coinValue(r, coin::MarketValu).toDouble(), 20.0);
        QVERIFY(coinValue(r, coin::PremiumVal).isNull());
        QCOMPARE(coinValue(r, coin::Topic).toString(), QStringLiteral("Animals"));
        QCOMPARE(coinValue(r, coin::Descriptio).toString(), QStringLiteral(u"Caribou, Zürich"));
        QCOMPARE(coinValue(r, coin::PurchDate).toString(), QStringLiteral("1994-03-07"));
        QCOMPARE(coinValue(r, coin::Miscellane).toString(), QStringLiteral("misc 1"));
        QCOMPARE(coinValue(r, coin::Quantity).toInt(), 3);
        QCOMPARE(coinValue(r, coin::Comment).toString(), QStringLiteral("a comment"));
        QCOMPARE(coinValue(r, coin::YearApprox).toString(), QStringLiteral("Yes"));
        for (int field = coin::Wanted; field <= coin::UserDef4; ++field)
            QCOMPARE(coinValue(r, coin::FieldNumber(field)).toString(), QString());
        QCOMPARE(coinValue(records[1], coin::Miscellane).toString(), QStringLiteral("misc 3"));
        QCOMPARE(coinValue(records[1], coin::Year).toString(), QStringLiteral("1960"));
        // A date goes across as a date: no two-digit year of the date style moves it.
        QCOMPARE(coinValue(records[1], coin::PurchDate).toString(), QStringLiteral("1950-06-01"));
        // The sort index took every record in.
        QCOMPARE(indexEntries(paths::programFile(QStringLiteral("MASTER.MDX"))), 2);
        QCOMPARE(datePattern(), QStringLiteral("dd.mm.yy"));
    }

    // The year gets the era word after a blank; "ABOUT" in any letter case is "Yes".
    void yearAndApproximate_data()
    {
        QTest::addColumn<QStringList>("old");       // year, era word, approximate flag
        QTest::addColumn<QStringList>("converted"); // year, approximate flag
        QTest::newRow("300 BC, about") << texts({"300", "BC", "about"}) << texts({"300 BC", "Yes"});
        QTest::newRow("no era, ABOUT") << texts({"300", "", "ABOUT"}) << texts({"300", "Yes"});
        QTest::newRow("About") << texts({"1875", "", "About"}) << texts({"1875", "Yes"});
        QTest::newRow("empty flag") << texts({"1875", "", ""}) << texts({"1875", "No"});
        QTest::newRow("other word") << texts({"1875", "AD", "circa"}) << texts({"1875 AD", "No"});
        QTest::newRow("no year, era only") << texts({"", "BC", ""}) << texts({"BC", "No"});
    }
    void yearAndApproximate()
    {
        QFETCH(QStringList, old);
        QFETCH(QStringList, converted);
        Fixture f;
        QVERIFY(f.opened);
        QCOMPARE(writeTable(Fixture::old("C2LOG.DBF"), kOldV2Fields,
                            one(v2Row(1, old[0], old[1], old[2]))),
                 QString());
        f.start();
        const QList<QJsonArray> records = liveRecords(f.master);
        QCOMPARE(records.size(), 1);
        QCOMPARE(coinValue(records[0], coin::Year).toString(), converted[0]);
        QCOMPARE(coinValue(records[0], coin::YearApprox).toString(), converted[1]);
    }

    // The 1.X purchase date from day, month name and year, and the four flags joined into
    // Miscellaneous, whatever the program's date style is.
    void version1Table_data()
    {
        QTest::addColumn<QStringList>("date");  // day, month, year
        QTest::addColumn<QStringList>("flags"); // Commemorat, Controller, Gold, Silver
        QTest::addColumn<QString>("newDate");   // as python3-dbf reads it; empty: none
        QTest::addColumn<QString>("misc");
        const QStringList none = kNoFlags;
        QTest::newRow("Mar 7 1994, Gold and Silver")
            << texts({"7", "Mar", "1994"}) << texts({"No", "", "Yes", "Yes"}) << "1994-03-07"
            << "Gold, Silver";
        QTest::newRow("no flag") << texts({"25", "Dec", "1990"}) << none << "1990-12-25"
                                 << "";
        QTest::newRow("all four flags")
            << texts({"1", "Jan", "2000"}) << texts({"Yes", "Yes", "Yes", "Yes"}) << "2000-01-01"
            << "Commemorative, Controller, Gold, Silver";
        QTest::newRow("only Yes sets a flag")
            << texts({"1", "Jan", "2000"}) << texts({"yes", "YES", "Y", " Ye"}) << "2000-01-01"
            << "";
        QTest::newRow("Controller alone")
            << texts({"31", "Oct", "1985"}) << texts({"", "Yes", "", ""}) << "1985-10-31"
            << "Controller";
        QTest::newRow("month as a number") << texts({"7", "3", "1994"}) << none << "1994-03-07"
                                           << "";
        QTest::newRow("month name in capitals")
            << texts({"7", "MAR", "1994"}) << none << "1994-03-07"
            << "";
        QTest::newRow("two-digit year") << texts({"7", "Mar", "94"}) << none << "1994-03-07"
                                        << "";
        QTest::newRow("29 Feb of a leap year")
            << texts({"29", "Feb", "1996"}) << none << "1996-02-29"
            << "";
        QTest::newRow("no date at all") << texts({"", "", ""}) << none << ""
                                        << "";
    }
    void version1Table()
    {
        QFETCH(QStringList, date);
        QFETCH(QStringList, flags);
        QFETCH(QString, newDate);
        QFETCH(QString, misc);
        Fixture f;
        QVERIFY(f.opened);
        const QString old = Fixture::old("CLOG.DBF");
        QCOMPARE(writeTable(old, kOldV1Fields, one(v1Row(1, date[0], date[1], date[2], flags))),
                 QString());
        f.start();

        QCOMPARE(f.prompts.askedTexts(), QStringList{kAskV1});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Convert"));
        QVERIFY(!QFile::exists(old));
        const QList<QJsonArray> records = liveRecords(f.master);
        QCOMPARE(records.size(), 1);
        const QJsonArray &r = records[0];
        QCOMPARE(coinValue(r, coin::PurchDate).toString(), newDate);
        QCOMPARE(coinValue(r, coin::Miscellane).toString(), misc);
        QCOMPARE(coinValue(r, coin::Country).toString(), QStringLiteral("France"));
        QCOMPARE(coinValue(r, coin::Year).toString(), QStringLiteral("1921"));
        QCOMPARE(coinValue(r, coin::PurchasePr).toDouble(), 7.25);
        QCOMPARE(coinValue(r, coin::PremiumVal).toDouble(), 4.0);
        QCOMPARE(coinValue(r, coin::Quantity).toInt(), 2);
        QCOMPARE(coinValue(r, coin::YearApprox).toString(), QStringLiteral("Yes"));
        // The program's date style is back.
        QCOMPARE(datePattern(), QStringLiteral("dd.mm.yy"));
    }

    // Day, month and year that form no date: the record comes over with an empty date, the
    // others are unharmed, and the user is told which records lost their date.
    void badDateBecomesEmpty()
    {
        Fixture f;
        QVERIFY(f.opened);
        const QString old = Fixture::old("CLOG.DBF");
        QCOMPARE(
            writeTable(
                old, kOldV1Fields,
                {v1Row(1, QStringLiteral("7"), QStringLiteral("Mar"), QStringLiteral("1994")),
                 v1Row(2, QStringLiteral("30"), QStringLiteral("Feb"), QStringLiteral("1994")),
                 v1Row(3, QStringLiteral("1"), QStringLiteral("Mzr"), QStringLiteral("1994")),
                 v1Row(4, QStringLiteral("2"), QStringLiteral("Apr"), QStringLiteral("1994"))}),
            QString());
        f.start();

        QVERIFY(!QFile::exists(old));
        const QList<QJsonArray> records = liveRecords(f.master);
        QCOMPARE(records.size(), 4);
        QCOMPARE(coinValue(records[0], coin::PurchDate).toString(), QStringLiteral("1994-03-07"));
        QVERIFY(coinValue(records[1], coin::PurchDate).isNull());
        QVERIFY(coinValue(records[2], coin::PurchDate).isNull());
        QCOMPARE(coinValue(records[3], coin::PurchDate).toString(), QStringLiteral("1994-04-02"));
        QCOMPARE(coinValue(records[2], coin::Country).toString(), QStringLiteral("France"));

        QCOMPARE(f.prompts.asked().size(), 2);
        const auto &notice = f.prompts.asked().at(1);
        QCOMPARE(notice.caption, QStringLiteral("Notice"));
        QVERIFY2(notice.text.startsWith(QStringLiteral(
                     "2 records of \"CLOG.DBF\" have a purchase date that is not a date.")),
                 qPrintable(notice.text));
        QVERIFY(notice.text.contains(QStringLiteral("record 2: 30 Feb 1994")));
        QVERIFY(notice.text.contains(QStringLiteral("record 3: 1 Mzr 1994")));
        QCOMPARE(datePattern(), QStringLiteral("dd.mm.yy"));
    }

    // An old table whose name came over in small letters (copied from another system) is
    // found, converted and deleted all the same.
    void nameInSmallLetters()
    {
        Fixture f;
        QVERIFY(f.opened);
        const QString old = paths::programFile(QStringLiteral("clog.dbf"));
        QCOMPARE(writeTable(old, kOldV1Fields,
                            one(v1Row(1, QStringLiteral("7"), QStringLiteral("Mar"),
                                      QStringLiteral("1994")))),
                 QString());
        f.start();
        QCOMPARE(f.prompts.askedTexts(), QStringList{kAskV1});
        QVERIFY(!QFile::exists(old));
        const QList<QJsonArray> records = liveRecords(f.master);
        QCOMPARE(records.size(), 1);
        QCOMPARE(coinValue(records[0], coin::PurchDate).toString(), QStringLiteral("1994-03-07"));
    }

    // No keeps the file as it was, and the question comes again at the next start.
    void noKeepsTheFile()
    {
        Fixture f;
        QVERIFY(f.opened);
        const QString old = Fixture::old("C2LOG.DBF");
        QCOMPARE(Fixture::writePlainV2(), QString());
        const QByteArray before = readBytes(old);
        f.start(QMessageBox::No);
        QCOMPARE(f.prompts.askedTexts(), QStringList{kAskV2});
        QCOMPARE(readBytes(old), before);
        QCOMPARE(f.db.recordCount(), 0);

        f.prompts.clear();
        f.start();
        QCOMPARE(f.prompts.askedTexts(), QStringList{kAskV2});
        QCOMPARE(f.db.recordCount(), 1);
        QVERIFY(!QFile::exists(old));
    }

    // A file of an old name whose fields do not match is neither offered nor touched.
    void otherFieldListLeftAlone_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fields"); // empty: a file that is no dBase table
        QString v2 = kOldV2Fields;
        QTest::newRow("2.X without its last field")
            << "C2LOG.DBF" << QString(v2).remove(QStringLiteral("; YEARAPPROX C(5)"));
        QTest::newRow("2.X with one more field")
            << "C2LOG.DBF" << v2 + QStringLiteral("; EXTRA C(5)");
        QTest::newRow("2.X with another seventh name")
            << "C2LOG.DBF"
            << QString(v2).replace(QStringLiteral("PURCHASEPR"), QStringLiteral("PRICE"));
        QTest::newRow("1.X file holding the 2.X list") << "CLOG.DBF" << v2;
        QTest::newRow("2.X file holding the 1.X list") << "C2LOG.DBF" << kOldV1Fields;
        QTest::newRow("1.X with Gold renamed")
            << "CLOG.DBF"
            << QString(kOldV1Fields).replace(QStringLiteral("GOLD"), QStringLiteral("PLATINUM"));
        QTest::newRow("no dBase table") << "C2LOG.DBF" << QString();
    }
    void otherFieldListLeftAlone()
    {
        QFETCH(QString, name);
        QFETCH(QString, fields);
        Fixture f;
        QVERIFY(f.opened);
        const QString old = paths::programFile(name);
        if (fields.isEmpty())
            writeBytes(old, QByteArrayLiteral("Country;Year\nCanada;1960\n"));
        else
            QCOMPARE(writeTable(old, fields, {}), QString());
        const QByteArray before = readBytes(old);
        CheckForConversion(f.db, nullptr);
        QVERIFY(f.prompts.asked().isEmpty());
        QCOMPARE(readBytes(old), before);
        QCOMPARE(f.db.recordCount(), 0);
    }

    // A value the new field cannot take stops the conversion with the reason: the records
    // converted before it are taken out again, the old file stays for another attempt, and
    // the program's date style is back.
    void stoppedConversionChangesNothing()
    {
        Fixture f;
        QVERIFY(f.opened);
        const QString old = Fixture::old("CLOG.DBF");
        const QString fields =
            QString(kOldV1Fields)
                .replace(QStringLiteral("PURCHASEPR N(12,2)"), QStringLiteral("PURCHASEPR C(10)"));
        QCOMPARE(writeTable(old, fields,
                            {v1Row(1, QStringLiteral("7"), QStringLiteral("Mar"),
                                   QStringLiteral("1994"), kNoFlags, QStringLiteral("12.50")),
                             v1Row(2, QStringLiteral("8"), QStringLiteral("Mar"),
                                   QStringLiteral("1994"), kNoFlags, QStringLiteral("ten")),
                             v1Row(3, QStringLiteral("9"), QStringLiteral("Mar"),
                                   QStringLiteral("1994"), kNoFlags, QStringLiteral("3"))}),
                 QString());
        const QByteArray before = readBytes(old);
        f.start();

        QCOMPARE(f.prompts.asked().size(), 2);
        const auto &error = f.prompts.asked().at(1);
        QCOMPARE(error.caption, QStringLiteral("Error"));
        QVERIFY2(error.text.startsWith(
                     QStringLiteral("The conversion of \"CLOG.DBF\" stopped at its record 2: ")),
                 qPrintable(error.text));
        QVERIFY(error.text.contains(QStringLiteral("'ten'")));
        QVERIFY(error.text.endsWith(
            QStringLiteral("The database is as it was before, and \"CLOG.DBF\" has been kept.")));
        QCOMPARE(readBytes(old), before);
        QCOMPARE(f.db.recordCount(), 0);
        QCOMPARE(liveRecords(f.master).size(), 0);
        QCOMPARE(datePattern(), QStringLiteral("dd.mm.yy"));
        // The table takes new records as before.
        f.db.table().append();
        f.db.table().setAsString(0, "Chile");
        f.db.table().post();
        QCOMPARE(f.db.recordCount(), 1);
    }

    // The field-list check treats the old table's header byte 28 as the validity check does:
    // cleared when its index file is missing, kept when there is one. An old index file that
    // cannot be read does not stop the conversion, which reads the records in file order.
    void indexFlagOfTheOldTable_data()
    {
        QTest::addColumn<bool>("indexFile");
        QTest::newRow("index file missing") << false;
        QTest::newRow("unreadable index file") << true;
    }
    void indexFlagOfTheOldTable()
    {
        QFETCH(bool, indexFile);
        Fixture f;
        QVERIFY(f.opened);
        const QString old = Fixture::old("C2LOG.DBF");
        QCOMPARE(writeTable(old, kOldV2Fields,
                            {v2Row(1, QStringLiteral("2"), QString(), QString()),
                             v2Row(2, QStringLiteral("1"), QString(), QString())}),
                 QString());
        QByteArray bytes = readBytes(old);
        bytes[28] = 1;
        writeBytes(old, bytes);
        if (indexFile) writeBytes(Fixture::old("C2LOG.MDX"), QByteArray(600, 'x'));

        dbase::Table check;
        QVERIFY(conversion::CheckDBaseFormatV2(check, old));
        QVERIFY(!conversion::CheckDBaseFormatV1(check, old));
        QCOMPARE(int(readBytes(old).at(28)), indexFile ? 1 : 0);

        f.start();
        QCOMPARE(f.prompts.asked().size(), 1);
        QVERIFY(!QFile::exists(old));
        const QList<QJsonArray> records = liveRecords(f.master);
        QCOMPARE(records.size(), 2);
        QCOMPARE(coinValue(records[0], coin::Miscellane).toString(), QStringLiteral("misc 1"));
        QCOMPARE(coinValue(records[1], coin::Miscellane).toString(), QStringLiteral("misc 2"));
    }

    // Browse mode changes nothing: the old table waits for an ordinary start.
    void notInBrowseMode()
    {
        Fixture f;
        QVERIFY(f.opened);
        const QString old = Fixture::old("C2LOG.DBF");
        QCOMPARE(Fixture::writePlainV2(), QString());
        f.db.enterBrowseMode();
        CheckForConversion(f.db, nullptr);
        QVERIFY(f.prompts.asked().isEmpty());
        QVERIFY(QFile::exists(old));
        QCOMPARE(f.db.recordCount(), 0);
    }
};

REGISTER_TEST(ConversionTests)
#include "tst_conversion.moc"
