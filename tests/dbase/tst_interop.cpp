// Tables the engine writes, read back by python3-dbf, and tables python3-dbf writes,
// read by the engine.
#include "dbase/error.h"
#include "helpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace dbase;

namespace
{

QJsonObject dumpWithPythonDbf(const QString &path, QString *error)
{
    const ToolResult r = runPython(QStringLiteral("dump_dbf.py"), {path});
    if (r.exitCode != 0) {
        *error = QStringLiteral("python3-dbf refused the table: ") + r.err;
        return {};
    }
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

} // namespace

class InteropTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void engineTableReadByPythonDbf()
    {
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("COINS");
        t.createTable(coinFields());
        t.open();
        t.append();
        t.setAsString(0, "Österreich");
        t.setAsString(1, "10 Groschen");
        t.setAsString(2, "1959");
        t.setAsFloat(5, 12.5);
        t.setAsFloat(6, 1234567.89);
        t.setAsFloat(7, -0.05);
        t.setAsDate(10, Date{1999, 12, 31});
        t.setAsString(11, "Proof, Toned");
        t.setAsFloat(12, 3);
        t.setAsString(14, "Yes");
        t.setAsString(15, "No");
        t.setAsString(19, std::string(40, 'z'));
        t.post();
        t.append(); // every field empty
        t.post();
        t.append();
        t.setAsString(0, "Gone");
        t.post();
        t.deleteRecord();
        // With an index and an append through it the file must stay readable.
        t.close();
        t.addIndex("NewIndex", "Upper(Left(Country,26))+DTOS(PurchDate)+STR(PurchasePr,12,2)");
        t.setIndexName("NewIndex");
        t.open();
        t.append();
        t.setAsString(0, "Last");
        t.post();
        const QString path = QString::fromStdString(t.filePath());
        t.close();

        QString error;
        const QJsonObject dump = dumpWithPythonDbf(path, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(dump[QStringLiteral("count")].toInt(), 4);
        QCOMPARE(dump[QStringLiteral("codepage")].toString(), QStringLiteral("cp1252"));
        const QJsonArray fields = dump[QStringLiteral("fields")].toArray();
        QCOMPARE(fields.size(), 20);
        const auto defs = coinFields();
        for (int i = 0; i < 20; ++i) {
            const QJsonArray f = fields[i].toArray();
            QCOMPARE(f[0].toString(), QString::fromStdString(defs[i].name).toUpper());
            QCOMPARE(f[1].toString(), QString(QLatin1Char(static_cast<char>(defs[i].type))));
            QCOMPARE(f[2].toInt(), defs[i].length);
            QCOMPARE(f[3].toInt(), defs[i].decimals);
        }
        const QJsonArray records = dump[QStringLiteral("records")].toArray();
        const QJsonArray first = records[0].toObject()[QStringLiteral("values")].toArray();
        QCOMPARE(first[0].toString(), QStringLiteral("Österreich"));
        QCOMPARE(first[1].toString(), QStringLiteral("10 Groschen"));
        QCOMPARE(first[5].toDouble(), 12.5);
        QCOMPARE(first[6].toDouble(), 1234567.89);
        QCOMPARE(first[7].toDouble(), -0.05);
        QCOMPARE(first[10].toString(), QStringLiteral("1999-12-31"));
        QCOMPARE(first[11].toString(), QStringLiteral("Proof, Toned"));
        QCOMPARE(first[12].toInt(), 3);
        QCOMPARE(first[14].toString(), QStringLiteral("Yes"));
        QCOMPARE(first[19].toString(), QString(40, QLatin1Char('z')));
        const QJsonArray empty = records[1].toObject()[QStringLiteral("values")].toArray();
        for (int i = 0; i < 20; ++i) {
            if (defs[i].type == FieldType::Character)
                QCOMPARE(empty[i].toString(), QString());
            else
                QVERIFY2(empty[i].isNull(), qPrintable(QStringLiteral("field %1").arg(i + 1)));
        }
        QCOMPARE(records[0].toObject()[QStringLiteral("deleted")].toBool(), false);
        QCOMPARE(records[2].toObject()[QStringLiteral("deleted")].toBool(), true);
        QCOMPARE(records[3].toObject()[QStringLiteral("values")].toArray()[0].toString(),
                 QStringLiteral("Last"));
    }

    // A number that exactly fills its field is stored whole and read back by python3-dbf;
    // one character more is refused and the record keeps its value.
    void numbersThatFillTheirField_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("stored"); // the field's bytes; empty: refused
        QTest::newRow("quantity of 11 digits") << 12 << 99999999999.0 << QByteArray("99999999999");
        QTest::newRow("negative quantity of 11 characters")
            << 12 << -9999999999.0 << QByteArray("-9999999999");
        QTest::newRow("quantity of 12 digits") << 12 << 100000000000.0 << QByteArray();
        QTest::newRow("amount of 20 characters")
            << 5 << 999999999999999.0 << QByteArray("999999999999999.0000");
        QTest::newRow("negative amount of 20 characters")
            << 5 << -99999999999999.0 << QByteArray("-99999999999999.0000");
        QTest::newRow("amount of 21 characters") << 5 << 1000000000000000.0 << QByteArray();
    }
    void numbersThatFillTheirField()
    {
        QFETCH(int, field);
        QFETCH(double, value);
        QFETCH(QByteArray, stored);
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("FILLED");
        t.createTable(coinFields());
        t.open();
        t.append();
        t.setAsFloat(field, 7);
        t.post();
        t.edit();
        if (stored.isEmpty()) {
            QVERIFY_THROWS_EXCEPTION(Error, t.setAsFloat(field, value));
            t.cancel();
        } else {
            t.setAsFloat(field, value);
            t.post();
        }
        const QString path = QString::fromStdString(t.filePath());
        const int offset = t.field(field).offset;
        const int length = t.field(field).length;
        t.close();
        const QByteArray bytes = readFile(path);
        const int headerLength =
            static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
        const QByteArray raw = bytes.mid(headerLength + offset, length);
        QString error;
        const QJsonObject dump = dumpWithPythonDbf(path, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const double read = dump[QStringLiteral("records")]
                                .toArray()[0]
                                .toObject()[QStringLiteral("values")]
                                .toArray()[field]
                                .toDouble();
        if (stored.isEmpty()) {
            QCOMPARE(raw.trimmed(), field == 12 ? QByteArray("7") : QByteArray("7.0000"));
            QCOMPARE(read, 7.0);
        } else {
            QCOMPARE(raw, stored);
            QCOMPARE(read, value);
        }
    }

    void pythonDbfTableReadByEngine()
    {
        const QString path = m_dir.path() + QStringLiteral("/FROMPY.DBF");
        const ToolResult r = runPython(QStringLiteral("make_dbf.py"), {path});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        Table t;
        t.setDatabaseName(m_dir.path().toStdString());
        t.setTableName("FROMPY");
        t.setReadOnly(true);
        t.open();
        QCOMPARE(t.fieldCount(), 6);
        QCOMPARE(QString::fromStdString(t.field(0).name), QStringLiteral("NAME"));
        QVERIFY(t.field(4).type == FieldType::Float);
        QCOMPARE(t.recordCount(), 3); // the deleted record is skipped
        QCOMPARE(deliveredOrder(t), (std::vector<uint32_t>{1, 2, 4}));
        struct Row {
            const char *name, *price, *date, *qty, *amount, *ok;
        };
        const Row expected[] = {{"Zürich", "12.5", "2/3/01", "7", "1.25", "T"},
                                {"", "", "", "", "", ""},
                                {"Åland Øre", "-0.75", "2/29/24", "0", "123456.789", "F"}};
        int i = 0;
        for (t.first(); !t.eof(); t.next(), ++i) {
            const Row &e = expected[i];
            const char *want[] = {e.name, e.price, e.date, e.qty, e.amount, e.ok};
            for (int f = 0; f < 6; ++f)
                QCOMPARE(QString::fromStdString(t.asString(f)), QString::fromUtf8(want[f]));
        }
        t.first();
        QCOMPARE(t.asDate(2), (Date{2001, 2, 3}));
        QCOMPARE(t.asFloat(1), 12.5);
        QVERIFY_THROWS_EXCEPTION(Error, t.append()); // opened read-only
    }
};

REGISTER_TEST(InteropTests)
#include "tst_interop.moc"
