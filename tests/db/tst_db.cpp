// The coin database's files: sort expressions, the recent-files list, the validity and
// in-use tests, header byte 28 and companion file names.
#include "db/coin_schema.h"
#include "db/database_files.h"
#include "dbase/error.h"
#include "test_files.h"
#include "test_registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class SortStringTests : public QObject
{
    Q_OBJECT
private slots:
    void build_data()
    {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QString>("expression");
        QTest::newRow("default") << QList<int>{12, 0, 0, 0} << "Upper(Left(Miscellane,80))";
        QTest::newRow("country, date, price")
            << QList<int>{1, 11, 6, 0}
            << "Upper(Left(Country,26))+DTOS(PurchDate)+STR(PurchasePr,12,2)";
        QTest::newRow("four text levels") << QList<int>{1, 2, 3, 4}
                                          << "Upper(Left(Country,20))+Upper(Left(FaceValue,20))+"
                                             "Upper(Left(Year,20))+Upper(Left(Condition,20))";
        QTest::newRow("text and date")
            << QList<int>{9, 11, 0, 0} << "Upper(Left(Topic,40))+DTOS(PurchDate)";
        QTest::newRow("none before a level") << QList<int>{0, 9, 0, 0} << "Upper(Left(Topic,80))";
        QTest::newRow("quantity") << QList<int>{13, 0, 0, 0} << "STR(Quantity,12,0)";
        QTest::newRow("gaps") << QList<int>{0, 7, 0, 16}
                              << "STR(MarketValu,12,2)+Upper(Left(Wanted,40))";
        QTest::newRow("all none") << QList<int>{0, 0, 0, 0} << "";
    }
    void build()
    {
        QFETCH(QList<int>, levels);
        QFETCH(QString, expression);
        const int l[4] = {levels[0], levels[1], levels[2], levels[3]};
        QCOMPARE(dbfiles::buildSortString(l), expression);
    }
};

class RecentFilesTests : public QObject
{
    Q_OBJECT
private slots:
    void update_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("open B while A is open")
            << QStringList{QStringLiteral("/d/B.DBF"), QStringLiteral("/d/C.DBF"),
                           QStringLiteral(""), QStringLiteral(""), QStringLiteral("")}
            << QStringLiteral("/d/A.DBF") << QStringLiteral("/d/B.DBF")
            << QStringList{QStringLiteral("/d/A.DBF"), QStringLiteral("/d/C.DBF"),
                           QStringLiteral(""), QStringLiteral(""), QStringLiteral("")};
        QTest::newRow("open the current one again")
            << QStringList{QStringLiteral("/d/C.DBF"), QStringLiteral(""), QStringLiteral(""),
                           QStringLiteral(""), QStringLiteral("")}
            << QStringLiteral("/d/A.DBF") << QStringLiteral("/d/A.DBF")
            << QStringList{QStringLiteral("/d/A.DBF"), QStringLiteral("/d/C.DBF"),
                           QStringLiteral(""), QStringLiteral(""), QStringLiteral("")};
        QTest::newRow("full list drops the oldest")
            << QStringList{QStringLiteral("/1"), QStringLiteral("/2"), QStringLiteral("/3"),
                           QStringLiteral("/4"), QStringLiteral("/5")}
            << QStringLiteral("/6") << QStringLiteral("/7")
            << QStringList{QStringLiteral("/6"), QStringLiteral("/1"), QStringLiteral("/2"),
                           QStringLiteral("/3"), QStringLiteral("/4")};
        QTest::newRow("comparison is case-sensitive")
            << QStringList{QStringLiteral("/d/b.dbf"), QStringLiteral(""), QStringLiteral(""),
                           QStringLiteral(""), QStringLiteral("")}
            << QStringLiteral("/d/A.DBF") << QStringLiteral("/d/B.DBF")
            << QStringList{QStringLiteral("/d/A.DBF"), QStringLiteral("/d/b.dbf"),
                           QStringLiteral(""), QStringLiteral(""), QStringLiteral("")};
        QTest::newRow("current from the end of the list")
            << QStringList{QStringLiteral("/1"), QStringLiteral("/2"), QStringLiteral("/3"),
                           QStringLiteral("/4"), QStringLiteral("/5")}
            << QStringLiteral("/6") << QStringLiteral("/5")
            << QStringList{QStringLiteral("/6"), QStringLiteral("/1"), QStringLiteral("/2"),
                           QStringLiteral("/3"), QStringLiteral("/4")};
    }
    void update()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, previous);
        QFETCH(QString, current);
        QFETCH(QStringList, after);
        QString files[5];
        for (int i = 0; i < 5; ++i)
            files[i] = before[i];
        dbfiles::updateRecentFiles(files, previous, current);
        QCOMPARE(QStringList(std::begin(files), std::end(files)), after);
    }

    void sixDatabasesInTurn()
    {
        QString files[5];
        QString current = QStringLiteral("/db1.DBF");
        for (int i = 2; i <= 6; ++i) {
            const QString next = QStringLiteral("/db%1.DBF").arg(i);
            dbfiles::updateRecentFiles(files, current, next);
            current = next;
        }
        QCOMPARE(QStringList(std::begin(files), std::end(files)),
                 (QStringList{QStringLiteral("/db5.DBF"), QStringLiteral("/db4.DBF"),
                              QStringLiteral("/db3.DBF"), QStringLiteral("/db2.DBF"),
                              QStringLiteral("/db1.DBF")}));
    }
};

class DatabaseFileTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const char *name) const
    {
        return m_dir.path() + QLatin1Char('/') + QLatin1String(name);
    }

    void createTable(const QString &file, std::vector<dbase::FieldDef> defs)
    {
        dbase::Table t;
        dbfiles::locate(t, file);
        t.createTable(defs);
    }

private slots:
    void validity_data()
    {
        QTest::addColumn<QString>("variant");
        QTest::addColumn<bool>("valid");
        QTest::newRow("the coin table") << "coins" << true;
        QTest::newRow("other widths, same names") << "widths" << true;
        QTest::newRow("seventh field renamed") << "renamed" << false;
        QTest::newRow("19 fields") << "short" << false;
        QTest::newRow("21 fields") << "long" << false;
        QTest::newRow("two fields swapped") << "swapped" << false;
        QTest::newRow("lower-case extension") << "lower" << true;
    }
    void validity()
    {
        QFETCH(QString, variant);
        QFETCH(bool, valid);
        std::vector<dbase::FieldDef> defs = coin::tableDefinition();
        if (variant == QLatin1String("widths"))
            for (auto &d : defs)
                d = dbase::FieldDef::text(d.name, 9);
        else if (variant == QLatin1String("renamed"))
            defs[6].name = "MARKETVAL2";
        else if (variant == QLatin1String("short"))
            defs.pop_back();
        else if (variant == QLatin1String("long"))
            defs.push_back(dbase::FieldDef::text("EXTRA", 5));
        else if (variant == QLatin1String("swapped"))
            std::swap(defs[1], defs[2]);
        const QString file = variant == QLatin1String("lower")
                                 ? path("lower.dbf")
                                 : path(qPrintable(variant.toUpper() + QStringLiteral(".DBF")));
        createTable(file, defs);
        dbase::Table check;
        QCOMPARE(dbfiles::hasCoinFields(check, file), valid);
        QVERIFY(!check.isOpen());
    }

    void notATableThrows()
    {
        QFile f(path("TEXT.DBF"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("just some text, not a table at all, long enough to have a header\n");
        f.close();
        dbase::Table check;
        QVERIFY_THROWS_EXCEPTION(dbase::Error, dbfiles::hasCoinFields(check, path("TEXT.DBF")));
        // A name with a further dot: the table name ends at the first one.
        dbase::Table create;
        QVERIFY(dbfiles::createCoinTable(create, path("MY.COINS.DBF")));
        QVERIFY(!QFile::exists(path("MY.DBF")));
        QVERIFY_THROWS_EXCEPTION(dbase::Error, dbfiles::hasCoinFields(check, path("MY.COINS.DBF")));
    }

    void missingIndexFileClearsHeaderByte()
    {
        const QString file = path("FLAGGED.DBF");
        dbase::Table t;
        dbfiles::createCoinTable(t, file);
        dbfiles::applySortIndex(t, QStringLiteral("Upper(Left(Miscellane,80))"), false);
        QFile::remove(path("FLAGGED.MDX"));
        QCOMPARE(QFile(file).open(QIODevice::ReadOnly), true);
        dbase::Table check;
        QVERIFY(dbfiles::hasCoinFields(check, file)); // opens: byte 28 was cleared
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(29).at(28), char(0));
        // An unwritable or missing file is skipped silently.
        QVERIFY(!dbfiles::RemoveMDXByte(path("NOPE.DBF")));
    }

    // The check reads before it writes: a file it refuses keeps its bytes.
    void refusedFilesAreNotWritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("throws");
        QTest::newRow("text file") << "text" << true;
        QTest::newRow("foreign table with a memo flag") << "memo flag" << false;
        QTest::newRow("foreign table with the index flag") << "index flag" << false;
        QTest::newRow("FoxPro coin table with a memo flag") << "foxpro" << false;
    }
    void refusedFilesAreNotWritten()
    {
        QFETCH(QString, kind);
        QFETCH(bool, throws);
        const QString file = path("REFUSED.DBF");
        QFile::remove(file);
        if (kind == QLatin1String("text")) {
            writeBytes(file,
                       QByteArray("A note about coins, saved with the wrong name.\n").repeated(4));
        } else {
            if (kind == QLatin1String("foxpro"))
                createTable(file, coin::tableDefinition());
            else
                createTable(file,
                            {dbase::FieldDef::text("NAME", 10), dbase::FieldDef::integer("QTY")});
            QByteArray bytes = readBytes(file);
            bytes[28] = kind == QLatin1String("index flag") ? 0x01 : 0x02;
            if (kind == QLatin1String("foxpro")) bytes[0] = 0x30;
            writeBytes(file, bytes);
        }
        const QByteArray before = readBytes(file);
        QVERIFY(!QFile::exists(path("REFUSED.MDX")));
        dbase::Table check;
        bool valid = false;
        try {
            valid = dbfiles::hasCoinFields(check, file);
            QVERIFY(!throws);
        } catch (const dbase::Error &) {
            QVERIFY(throws);
        }
        if (kind != QLatin1String("foxpro")) QVERIFY(!valid);
        QCOMPARE(readBytes(file), before);
    }

    void inUse()
    {
        const QString file = path("SHARED.DBF");
        dbase::Table create;
        QVERIFY(dbfiles::createCoinTable(create, file));
        dbase::Table check;
        QVERIFY(!dbfiles::inUse(check, file));
        dbase::Table other;
        dbfiles::locate(other, file);
        other.open();
        QVERIFY(dbfiles::inUse(check, file));
        other.close();
        QVERIFY(!dbfiles::inUse(check, file));
        QVERIFY(!check.exclusive());
        QVERIFY(dbfiles::inUse(check, path("MISSING.DBF"))); // missing counts as in use
    }

    void companionNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("index");
        QTest::addColumn<QString>("settings");
        QTest::newRow("upper") << "/d/COINS.DBF"
                               << "COINS"
                               << "/d/COINS.MDX"
                               << "/d/COINS.INI";
        QTest::newRow("lower") << "/d/coins.dbf"
                               << "coins"
                               << "/d/coins.mdx"
                               << "/d/coins.ini";
        QTest::newRow("further dot") << "/d/my.coins.DBF"
                                     << "my"
                                     << "/d/my.MDX"
                                     << "/d/my.INI";
    }
    void companionNames()
    {
        QFETCH(QString, file);
        QFETCH(QString, table);
        QFETCH(QString, index);
        QFETCH(QString, settings);
        const dbfiles::DatabasePaths p = dbfiles::databasePaths(file);
        QCOMPARE(p.directory, QStringLiteral("/d/"));
        QCOMPARE(p.tableName, table);
        QCOMPARE(p.basePath, QStringLiteral("/d/") + table);
        QCOMPARE(p.indexFile, index);
        QCOMPARE(p.settingsFile, settings);
    }

    void createdTableHasTheSchema()
    {
        const QString file = path("NEWONE.DBF");
        dbase::Table create;
        QVERIFY(dbfiles::createCoinTable(create, file));
        dbase::Table t;
        dbfiles::locate(t, file);
        t.open();
        QCOMPARE(t.fieldCount(), 20);
        for (int i = 0; i < 20; ++i) {
            const coin::Field &f = coin::kFields[i];
            QCOMPARE(QString::fromStdString(t.field(i).name), QString::fromLatin1(f.storedName));
            const char type = static_cast<char>(t.field(i).type);
            switch (f.kind) {
            case coin::Kind::Text:
                QCOMPARE(type, 'C');
                QCOMPARE(t.field(i).length, f.width);
                break;
            case coin::Kind::Float:
                QCOMPARE(type, 'F');
                QCOMPARE(t.field(i).decimals, 4);
                break;
            case coin::Kind::Integer:
                QCOMPARE(type, 'N');
                QCOMPARE(t.field(i).decimals, 0);
                break;
            case coin::Kind::Date:
                QCOMPARE(type, 'D');
                break;
            }
        }
    }
};

REGISTER_TEST(SortStringTests)
REGISTER_TEST(RecentFilesTests)
REGISTER_TEST(DatabaseFileTests)
#include "tst_db.moc"
