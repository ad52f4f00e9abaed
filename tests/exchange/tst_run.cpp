// The import and export record loops on real coin tables: values stored by field kind,
// the whole file refused before anything is appended, a python3-dbf source, the dBase
// export read back by python3-dbf, and export then import giving back every value.
#include "db/coin_schema.h"
#include "dbase/date_style.h"
#include "dbase/error.h"
#include "dbase/fileio.h"
#include "dbase/table.h"
#include "exchange/exchange_run.h"
#include "test_files.h"
#include "test_registry.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace exchange;

namespace
{

std::array<QString, 20> defaultLabels()
{
    std::array<QString, 20> labels;
    for (int n = 1; n <= 20; ++n)
        labels[n - 1] = QString::fromLatin1(coin::field(n).defaultLabel);
    return labels;
}

void createCoins(dbase::Table &t, const QString &dir, const char *name = "COINS")
{
    t.setDatabaseName(dir.toStdString());
    t.setTableName(name);
    t.createTable(coin::tableDefinition());
    t.open();
}

QString text(dbase::Table &t, int number)
{
    return QString::fromStdString(t.asString(t.fieldByName(coin::field(number).storedName)));
}

// Every record as its twenty field texts joined by "|".
QStringList allRecords(dbase::Table &t)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next()) {
        QStringList v;
        for (int n = 1; n <= 20; ++n)
            v << text(t, n);
        out << v.join(QLatin1Char('|'));
    }
    return out;
}

QJsonObject pythonDump(const QString &path)
{
    QProcess py;
    py.start(QStringLiteral("/usr/bin/python3"),
             {QStringLiteral(NUMAROK_TEST_SCRIPTS "/dump_dbf.py"), path});
    py.waitForFinished(60000);
    if (py.exitCode() != 0) qWarning() << py.readAllStandardError();
    return QJsonDocument::fromJson(py.readAllStandardOutput()).object();
}

// A coin with every field filled, accents and quotes included.
void fillCoin(dbase::Table &t, int i)
{
    t.append();
    const auto set = [&](int n, const QString &v) {
        t.setAsString(t.fieldByName(coin::field(n).storedName), v.toStdString());
    };
    set(1, QStringLiteral(u"Côte d'Ivoire %1").arg(i));
    set(2, QStringLiteral("5 \"Francs\""));
    set(3, QStringLiteral("1960"));
    set(4, QStringLiteral("XF, cleaned"));
    set(5, QStringLiteral("D"));
    set(6, QStringLiteral("12.5"));
    set(7, QStringLiteral("1234567.8912"));
    set(8, QStringLiteral("-3.25"));
    set(9, QStringLiteral(u"Animals € ß"));
    set(10, QStringLiteral("Elephant, \"\" big"));
    set(11, QStringLiteral("12/25/1996"));
    set(12, QStringLiteral("misc"));
    set(13, QString::number(i));
    set(14, QStringLiteral("a comment ending in a quote\""));
    set(15, QStringLiteral("Yes"));
    set(16, QStringLiteral("No"));
    for (int n = 17; n <= 20; ++n)
        set(n, QStringLiteral("user %1").arg(n));
    t.post();
}

std::vector<int> identityMap()
{
    std::vector<int> map;
    for (int n = 1; n <= 20; ++n)
        map.push_back(n);
    return map;
}

} // namespace

class ImportRunTests : public QObject
{
    Q_OBJECT
private slots:
    void init() { dbase::DateStyle::setCurrent(dbase::DateStyle("m/d/yy")); }

    void valuesByKind_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("text") << 1 << "France"
                              << "France";
        QTest::newRow("integer") << 13 << " 42"
                                 << "42";
        QTest::newRow("integer stops at a letter") << 13 << "7 coins"
                                                   << "7";
        QTest::newRow("integer without digits") << 13 << "many"
                                                << "";
        QTest::newRow("float") << 6 << "12.75"
                               << "12.75";
        QTest::newRow("float with exponent") << 6 << "-1.5e2"
                                             << "-150";
        QTest::newRow("float stops at a comma") << 6 << "3,50"
                                                << "3";
        QTest::newRow("date") << 11 << "12/25/1996"
                              << "12/25/96";
        QTest::newRow("date with letters") << 11 << "Dec 25 1996"
                                           << "";
        QTest::newRow("date with a letter and separators") << 11 << "12/2x/1996"
                                                           << "";
        QTest::newRow("date without separator") << 11 << "19961225"
                                                << "";
    }
    void valuesByKind()
    {
        QFETCH(int, number);
        QFETCH(QString, value);
        QFETCH(QString, stored);
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        const std::string file = "\"V\"\r\n\"" + value.toStdString() + "\"\r\n";
        AsciiReader reader(file);
        Importer importer(t, {number}, defaultLabels());
        QCOMPARE(importer.importAscii(reader, true).imported, 1);
        t.first();
        QCOMPARE(text(t, number), stored);
    }

    // A date that is no date refuses the file before anything is appended, naming the
    // line and the value; the table's bytes stay as they were.
    void badDateRefusesFile()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        fillCoin(t, 1);
        const QByteArray before = readBytes(QString::fromStdString(t.filePath()));
        AsciiReader reader("\"Land\",\"Date\"\r\n\"A\",\"12/25/1996\"\r\n\"B\",\"13/45/1996\"\r\n");
        Importer importer(t, {1, 11}, defaultLabels());
        try {
            importer.importAscii(reader, true);
            QFAIL("the file was not refused");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Line 3: '13/45/1996' is not a valid date "
                                                 "for Purch Date.  Nothing was imported."));
        }
        QCOMPARE(t.recordCount(), 1);
        t.close();
        QCOMPARE(readBytes(QString::fromStdString(t.filePath())), before);
    }

    void numberTooLargeRefusesFile()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        AsciiReader reader("\"Qty\"\r\n\"5\"\r\n\"123456789012\"\r\n");
        Importer importer(t, {13}, defaultLabels());
        QVERIFY_THROWS_EXCEPTION(Error, importer.importAscii(reader, true));
        QCOMPARE(t.recordCount(), 0);
    }

    void unusedAndMissingFields()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        // Field 2 is not used; the second line has fewer values than names.
        AsciiReader reader("\"A\",\"B\",\"C\"\r\n\"x\",\"y\",\"z\"\r\n\"only\"\r\n\r\n");
        Importer importer(t, {1, -1, 14}, defaultLabels());
        QCOMPARE(importer.importAscii(reader, true).imported, 2);
        QCOMPARE(allRecords(t).size(), 2);
        t.first();
        QCOMPARE(text(t, 1) + text(t, 2) + text(t, 14), QStringLiteral("xz"));
        t.next();
        QCOMPARE(text(t, 1) + text(t, 14), QStringLiteral("only"));
    }

    // The disk refuses the flush at the end of an import: the run fails (the window then
    // shows the error) instead of counting the records as imported.
    void refusedFlushIsAFailure()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        const std::string table = dbase::fileLabel(t.filePath());
        dbase::setFaultHook([&](std::string_view point) {
            if (point == "sync:" + table) throw dbase::Error("simulated failing disk");
        });
        AsciiReader reader("\"A\"\r\n\"x\"\r\n\"y\"\r\n");
        Importer importer(t, {1}, defaultLabels());
        bool failed = false;
        try {
            importer.importAscii(reader, true);
        } catch (const dbase::Error &) {
            failed = true;
        }
        dbase::setFaultHook({});
        QVERIFY(failed);
        QVERIFY(t.syncEachPost()); // the table is back to flushing each post
    }

    void countsCutAndReplaced()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        const QByteArray bytes = readBytes(QStringLiteral(NUMAROK_TEST_DATA "/ascii_utf8_bom.txt"));
        AsciiReader reader(bytes.toStdString());
        Importer importer(t, {1, 14}, defaultLabels());
        const ImportResult r = importer.importAscii(reader, true);
        QCOMPARE(r.imported, 1);
        QCOMPARE(r.replacedCharacters, 3);
        t.first();
        QCOMPARE(text(t, 1), QStringLiteral(u"Côte d'Ivoire"));
        QCOMPARE(text(t, 14), QStringLiteral(u"?ód? ? € ß"));

        AsciiReader longer(
            readBytes(QStringLiteral(NUMAROK_TEST_DATA "/ascii_long_later.txt")).toStdString());
        QCOMPARE(Importer(t, {12, 14}, defaultLabels()).importAscii(longer, true).cutValues, 3);
    }

    // A table written by python3-dbf: its fields by position, numbers and dates by kind.
    void dbaseSource()
    {
        QTemporaryDir dir;
        const QString src = dir.filePath(QStringLiteral("SOURCE.DBF"));
        QProcess py;
        py.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import dbf, datetime, sys\n"
                            "t = dbf.Table(sys.argv[1], 'LAND C(30); PRICE N(10,2); BOUGHT D; "
                            "QTY N(4,0); NOTE C(10)', dbf_type='db3', codepage='cp1252')\n"
                            "t.open(dbf.READ_WRITE)\n"
                            "t.append(('Zürich', 12.5, datetime.date(1996, 12, 25), 3, 'n1'))\n"
                            "t.append(('', None, None, None, ''))\n"
                            "t.close()\n"),
             src});
        py.waitForFinished(60000);
        QCOMPARE(py.exitCode(), 0);
        dbase::Table source;
        source.setDatabaseName(dir.path().toStdString());
        source.setTableName("SOURCE.DBF");
        source.setReadOnly(true);
        source.open();
        dbase::Table t;
        createCoins(t, dir.path());
        Importer importer(t, {1, 6, 11, 13, -1}, defaultLabels());
        QCOMPARE(importer.importDbase(source).imported, 2);
        t.first();
        QCOMPARE(
            QStringList({text(t, 1), text(t, 6), text(t, 11), text(t, 13)}).join(QLatin1Char('|')),
            QStringLiteral(u"Zürich|12.5|12/25/96|3"));
        t.next();
        QCOMPARE(text(t, 1) + text(t, 6) + text(t, 11) + text(t, 13), QString());
    }
};

class ExportRunTests : public QObject
{
    Q_OBJECT
private slots:
    void init() { dbase::DateStyle::setCurrent(dbase::DateStyle("m/d/yyyy")); }

    void columnsFollowTheGrid()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        std::array<int, 20> order;
        std::array<bool, 20> fields;
        for (int i = 0; i < 20; ++i) {
            order[i] = i < 13 ? i + 2 : i + 1; // the fields before Comment one row down ...
            fields[i] = true;
        }
        order[13] = 1;      // ... and Comment on top
        fields[15] = false; // no Wanted
        const auto columns = exportColumns(order, fields, t);
        QCOMPARE(int(columns.size()), 19);
        QCOMPARE(columns[0].number, 14);
        QCOMPARE(columns[1].number, 1);
        for (const ExportColumn &c : columns)
            QVERIFY(c.number != 16);
    }

    void asciiWithSearchFilter()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        for (int i = 1; i <= 5; ++i)
            fillCoin(t, i);
        t.moveToRow(2);
        const uint32_t current = t.recNo();
        t.setFilter([](const dbase::Table &tab) {
            return tab.asString(12) != "2" && tab.asString(12) != "4";
        });
        Exporter ex(t, {{0, 1}, {12, 13}});
        const QString path = dir.filePath(QStringLiteral("OUT.TXT"));
        QCOMPARE(ex.writeAscii(path, {"Country", "Quantity"}), 3);
        QCOMPARE(readBytes(path), QByteArray("\"Country\",\"Quantity\"\r\n"
                                             "\"C\xF4te d'Ivoire 1\",\"1\"\r\n"
                                             "\"C\xF4te d'Ivoire 3\",\"3\"\r\n"
                                             "\"C\xF4te d'Ivoire 5\",\"5\"\r\n"));
        QCOMPARE(t.recNo(), current);
    }

    // The dBase export read by python3-dbf: the coin types, no index, every value equal.
    void dbaseReadByPython()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        fillCoin(t, 7);
        t.append();
        t.post(); // an empty coin
        std::vector<ExportColumn> columns;
        for (int n = 1; n <= 20; ++n)
            columns.push_back({n - 1, n});
        std::swap(columns[0], columns[13]);
        const QString path = dir.filePath(QStringLiteral("OUT.DBF"));
        QCOMPARE(Exporter(t, columns).writeDbase(path), 2);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("OUT.MDX"))));
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("*.DBF")}),
                 (QStringList{QStringLiteral("COINS.DBF"), QStringLiteral("OUT.DBF")}));
        const QJsonObject d = pythonDump(path);
        QCOMPARE(d.value(QStringLiteral("count")).toInt(), 2);
        const QJsonArray fields = d.value(QStringLiteral("fields")).toArray();
        QCOMPARE(fields.size(), 20);
        QCOMPARE(fields[0].toArray().toVariantList(),
                 (QVariantList{QStringLiteral("COMMENT"), QStringLiteral("C"), 80, 0}));
        QCOMPARE(fields[5].toArray().toVariantList(),
                 (QVariantList{QStringLiteral("PURCHASEPR"), QStringLiteral("F"), 20, 4}));
        QCOMPARE(fields[10].toArray().toVariantList(),
                 (QVariantList{QStringLiteral("PURCHDATE"), QStringLiteral("D"), 8, 0}));
        QCOMPARE(fields[12].toArray().toVariantList(),
                 (QVariantList{QStringLiteral("QUANTITY"), QStringLiteral("N"), 11, 0}));
        const QJsonArray v = d.value(QStringLiteral("records"))
                                 .toArray()[0]
                                 .toObject()[QStringLiteral("values")]
                                 .toArray();
        QCOMPARE(v[0].toString(), QStringLiteral("a comment ending in a quote\""));
        QCOMPARE(v[13].toString(), QStringLiteral(u"Côte d'Ivoire 7"));
        QCOMPARE(v[1].toString(), QStringLiteral("5 \"Francs\""));
        QCOMPARE(v[5].toDouble(), 12.5);
        QCOMPARE(v[6].toDouble(), 1234567.8912);
        QCOMPARE(v[7].toDouble(), -3.25);
        QCOMPARE(v[8].toString(), QStringLiteral(u"Animals € ß"));
        QCOMPARE(v[10].toString(), QStringLiteral("1996-12-25"));
        QCOMPARE(v[12].toInt(), 7);
        const QJsonArray empty = d.value(QStringLiteral("records"))
                                     .toArray()[1]
                                     .toObject()[QStringLiteral("values")]
                                     .toArray();
        QVERIFY(empty[5].isNull());
        QVERIFY(empty[10].isNull());
    }

    // Export then import of the same file, text and dBase, gives back all twenty fields.
    void roundTrip_data()
    {
        QTest::addColumn<bool>("dbaseFile");
        QTest::newRow("text") << false;
        QTest::newRow("dBase") << true;
    }
    void roundTrip()
    {
        QFETCH(bool, dbaseFile);
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        for (int i = 1; i <= 3; ++i)
            fillCoin(t, i);
        t.append();
        t.post();
        std::vector<ExportColumn> columns;
        for (int n = 1; n <= 20; ++n)
            columns.push_back({n - 1, n});
        const QString path =
            dir.filePath(dbaseFile ? QStringLiteral("OUT.DBF") : QStringLiteral("OUT.TXT"));
        Exporter ex(t, columns);
        std::vector<std::string> header;
        for (int n = 1; n <= 20; ++n)
            header.push_back(coin::field(n).defaultLabel);
        dbaseFile ? ex.writeDbase(path) : ex.writeAscii(path, header);

        dbase::Table back;
        createCoins(back, dir.path(), "BACK");
        Importer importer(back, identityMap(), defaultLabels());
        if (dbaseFile) {
            dbase::Table source;
            source.setDatabaseName(dir.path().toStdString());
            source.setTableName("OUT.DBF");
            source.setReadOnly(true);
            source.open();
            QCOMPARE(importer.importDbase(source).imported, 4);
        } else {
            AsciiReader reader(readBytes(path).toStdString());
            std::vector<std::string> names;
            QCOMPARE(reader.readFirstLine(names), AsciiReader::Problem::None);
            QCOMPARE(QString::fromStdString(names[10]), QStringLiteral("Purch Date"));
            QCOMPARE(importer.importAscii(reader, true).imported, 4);
        }
        QCOMPARE(allRecords(back), allRecords(t));
    }

    // A failing write (file size limit) leaves nothing under the chosen name, nor beside it.
    void dbaseWriteFails()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        for (int i = 1; i <= 400; ++i)
            fillCoin(t, i);
        const QString path = dir.filePath(QStringLiteral("BIG.DBF"));
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit lim{60000, 60000};
            ::setrlimit(RLIMIT_FSIZE, &lim);
            std::vector<ExportColumn> columns;
            for (int n = 1; n <= 20; ++n)
                columns.push_back({n - 1, n});
            try {
                Exporter(t, columns).writeDbase(path);
            } catch (const Error &e) {
                ::_exit(e.message().contains(QStringLiteral("BIG.DBF")) ? 1 : 3);
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("COINS.DBF")}));
    }

    void openDatabaseNotReplaced()
    {
        QTemporaryDir dir;
        dbase::Table t;
        createCoins(t, dir.path());
        fillCoin(t, 1);
        const QString path = QString::fromStdString(t.filePath());
        const QByteArray before = readBytes(path);
        QVERIFY_THROWS_EXCEPTION(Error, Exporter(t, {{0, 1}}).writeDbase(path));
        QCOMPARE(readBytes(path), before);
        QVERIFY_THROWS_EXCEPTION(Error, Exporter(t, {{0, 1}}).writeAscii(path, {}));
        QCOMPARE(readBytes(path), before);
    }

    // A table that another program (or another user of a shared directory) has open is not
    // replaced: that program would go on writing to the old file, and its work be lost.
    void tableOpenElsewhereNotReplaced()
    {
        QTemporaryDir dir, elsewhere;
        dbase::Table t;
        createCoins(t, dir.path());
        fillCoin(t, 1);
        dbase::Table other;
        createCoins(other, elsewhere.path());
        fillCoin(other, 2);
        const QString path = QString::fromStdString(other.filePath());
        QVERIFY(other.isOpen());
        const QByteArray before = readBytes(path);
        const QStringList files = QDir(elsewhere.path()).entryList(QDir::Files);
        try {
            Exporter(t, {{0, 1}}).writeDbase(path);
            QFAIL("the export replaced a table open elsewhere");
        } catch (const Error &e) {
            QCOMPARE(e.message(),
                     path + QStringLiteral(" is open in another program.  Choose another name "
                                           "for the export."));
        }
        QVERIFY_THROWS_EXCEPTION(Error, Exporter(t, {{0, 1}}).writeAscii(path, {}));
        QCOMPARE(readBytes(path), before);
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), files); // nothing left beside
        other.close();
        QCOMPARE(Exporter(t, {{0, 1}}).writeDbase(path), 1); // closed: replaced
    }
};

REGISTER_TEST(ImportRunTests)
REGISTER_TEST(ExportRunTests)
#include "tst_run.moc"
