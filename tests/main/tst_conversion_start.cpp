// The earlier versions' tables offered at start-up, once the start database is open.
#include "main/main_window.h"
#include "old_tables.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{

QJsonArray v2Record(const QString &country)
{
    return oldRecord(kOldV2Fields, {{QStringLiteral("ID"), 1},
                                    {QStringLiteral("COUNTRY"), country},
                                    {QStringLiteral("YEAR"), QStringLiteral("300")},
                                    {QStringLiteral("QUANTITY"), 1},
                                    {QStringLiteral("YEARBC"), QStringLiteral("BC")}});
}

QJsonArray v1Record(const QString &country)
{
    return oldRecord(kOldV1Fields, {{QStringLiteral("ID"), 1},
                                    {QStringLiteral("COUNTRY"), country},
                                    {QStringLiteral("YEAR"), QStringLiteral("1921")},
                                    {QStringLiteral("PURCHDAY"), QStringLiteral("7")},
                                    {QStringLiteral("PURCHMONTH"), QStringLiteral("Mar")},
                                    {QStringLiteral("PURCHYEAR"), QStringLiteral("1994")},
                                    {QStringLiteral("GOLD"), QStringLiteral("Yes")},
                                    {QStringLiteral("SILVER"), QStringLiteral("Yes")},
                                    {QStringLiteral("QUANTITY"), 1}});
}

} // namespace

class ConversionStartTests : public QObject
{
    Q_OBJECT
private slots:
    // Both old tables in one start-up: the 2.X one is asked about and converted first, then
    // the 1.X one, each appending its records in its own order.
    void bothTablesInOrder()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/home"));
        const QString v2 = paths::programFile(QStringLiteral("C2LOG.DBF"));
        const QString v1 = paths::programFile(QStringLiteral("CLOG.DBF"));
        QCOMPARE(writeTable(v1, kOldV1Fields,
                            {v1Record(QStringLiteral("one A")), v1Record(QStringLiteral("one B"))}),
                 QString());
        QCOMPARE(writeTable(v2, kOldV2Fields,
                            {v2Record(QStringLiteral("two A")), v2Record(QStringLiteral("two B"))}),
                 QString());

        ScriptedPrompts prompts;
        prompts.answer(int(QMessageBox::Yes));
        prompts.answer(int(QMessageBox::Yes));
        TMain w;
        QVERIFY(w.FormCreate({}));
        QCOMPARE(prompts.asked().size(), 2);
        QVERIFY(prompts.asked().at(0).text.startsWith(
            QStringLiteral("A database from a previous version (2.X) has been detected.")));
        QVERIFY(prompts.asked().at(1).text.startsWith(
            QStringLiteral("A database from a previous version (1.X) has been detected.")));
        QVERIFY(!QFile::exists(v2));
        QVERIFY(!QFile::exists(v1));
        QCOMPARE(w.database().recordCount(), 4);

        QStringList countries;
        QStringList years;
        QStringList misc;
        for (const QJsonArray &r : liveRecords(paths::programFile(QStringLiteral("MASTER.DBF")))) {
            countries << coinValue(r, coin::Country).toString();
            years << coinValue(r, coin::Year).toString();
            misc << coinValue(r, coin::Miscellane).toString();
        }
        QCOMPARE(countries, QStringList({QStringLiteral("two A"), QStringLiteral("two B"),
                                         QStringLiteral("one A"), QStringLiteral("one B")}));
        QCOMPARE(years.first(), QStringLiteral("300 BC"));
        QCOMPARE(misc.last(), QStringLiteral("Gold, Silver"));
    }

    // A browse-mode start asks nothing and leaves the old table for an ordinary start.
    void browseModeLeavesThem()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/home"));
        const QString v2 = paths::programFile(QStringLiteral("C2LOG.DBF"));
        QCOMPARE(writeTable(v2, kOldV2Fields, {v2Record(QStringLiteral("two A")), v2Record({})}),
                 QString());
        {
            ScriptedPrompts prompts;
            TMain w;
            QVERIFY(w.FormCreate({QStringLiteral("/browse")}));
            QVERIFY(prompts.asked().isEmpty());
            QVERIFY(QFile::exists(v2));
            QCOMPARE(w.database().recordCount(), 0);
        }
        ScriptedPrompts prompts;
        prompts.answer(int(QMessageBox::No));
        TMain w;
        QVERIFY(w.FormCreate({}));
        QCOMPARE(prompts.asked().size(), 1);
        QCOMPARE(prompts.asked().first().caption, QStringLiteral("Convert"));
        QVERIFY(QFile::exists(v2));
    }
};

REGISTER_TEST(ConversionStartTests)
#include "tst_conversion_start.moc"
