// The report definition record on raw bytes, the report file's operations, the ready-made
// reports against their published tables, and the conversion of the earlier report file.
#include "file_size_limit.h"
#include "reports/earlier_reports.h"
#include "reports/ready_made.h"
#include "reports/report_definition.h"
#include "reports/report_file.h"
#include "test_files.h"
#include "test_registry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace reports;

namespace
{

// Independent byte arithmetic: little-endian numbers and length-prefixed strings.
int rawInt16(const QByteArray &b, int at)
{
    return static_cast<qint16>(static_cast<unsigned char>(b[at]) |
                               (static_cast<unsigned char>(b[at + 1]) << 8));
}

double rawDouble(const QByteArray &b, int at)
{
    double v;
    std::memcpy(&v, b.constData() + at, 8);
    return v;
}

QByteArray rawString(const QByteArray &b, int at)
{
    return b.mid(at + 1, static_cast<unsigned char>(b[at]));
}

int rawLine(int n)
{
    return n == 0 ? 345 : 2122 + 1500 * (n - 1);
}

// One item as "F<field>:<width>", "L<label>:<width>", "S:<width>" (filler) or "T<no>:<width>".
QString rawItem(const QByteArray &b, int line, int i)
{
    const int at = rawLine(line) + 75 * (i - 1);
    const QByteArray kind = rawString(b, at);
    const int width = rawInt16(b, at + 32);
    if (kind == "<FILLER>") return QStringLiteral("S:%1").arg(width);
    if (kind == "<LABEL>")
        return QStringLiteral("L%1:%2").arg(QString::fromLatin1(rawString(b, at + 34))).arg(width);
    return QStringLiteral("%1%2=%3:%4")
        .arg(line == 0 ? QStringLiteral("T") : QStringLiteral("F"))
        .arg(static_cast<unsigned char>(b[at + 31]))
        .arg(QString::fromLatin1(kind))
        .arg(width);
}

// The items of a line up to and including its end item.
QStringList rawItems(const QByteArray &b, int line)
{
    QStringList items;
    for (int i = 1; i <= 20; ++i) {
        items << rawItem(b, line, i);
        if (rawInt16(b, rawLine(line) + 75 * (i - 1) + 32) <= 0) break;
    }
    return items;
}

QByteArray earlierRecord(const QByteArray &name, int width, int lines = 1)
{
    QByteArray r(19831, '\0');
    r[0] = static_cast<char>(name.size());
    r.replace(1, name.size(), name);
    r[31] = static_cast<char>(width & 0xFF);
    r[32] = static_cast<char>(width >> 8);
    r[83] = 1; // column headers
    r[84] = 0; // page numbers
    r[85] = 1; // use totals
    r[86] = static_cast<char>(lines);
    auto putItem = [&r](int lineAt, int i, const QByteArray &kind, int w, const QByteArray &label) {
        const int at = lineAt + 75 * (i - 1);
        r[at] = static_cast<char>(kind.size());
        r.replace(at + 1, kind.size(), kind);
        r[at + 31] = 99; // the earlier field byte, never read
        r[at + 32] = static_cast<char>(w);
        r[at + 34] = static_cast<char>(label.size());
        r.replace(at + 35, label.size(), label);
    };
    putItem(88, 1, "<LABEL>", 10, "Qty:");
    putItem(88, 2, "Quantity", 20, "");
    putItem(331 + 1500, 1, "Country", 30, "");
    putItem(331 + 1500, 2, "<LABEL>", 12, "Made in");
    putItem(331 + 1500, 3, "PURCHDATE", 11, "");
    putItem(331 + 1500 * 2, 1, "Comment", 40, "");
    const QByteArray title = "Old title";
    r[1588 + 81] = static_cast<char>(title.size());
    r.replace(1588 + 81 + 1, title.size(), title);
    return r;
}

} // namespace

class ReportLayoutTests : public QObject
{
    Q_OBJECT
private slots:
    void rawOffsets()
    {
        ReportDefinition d;
        d.setNewDefaults();
        d.setName(QStringLiteral("Münzen"));
        d.setWidth(120);
        d.setFont(FontKind::Footnote,
                  FontBlock{QStringLiteral("Arial"), 9, true, false, true, false, 0x00FF8040});
        d.setLandscape(true);
        d.setNumberOfLines(3);
        d.setBottomMargin(0.75);
        d.setRightMargin(1.25);
        d.setTitle(3, QStringLiteral("Third"));
        d.setItem(0, 2, Item{QStringLiteral("Quantity"), 4, 12, QString()});
        d.setItem(12, 20, Item{kLabelKind, 0, 7, QStringLiteral("Last:")});
        d.setGroupLevel1(false);
        const QByteArray b = d.bytes();
        QCOMPARE(b.size(), 20622);
        QCOMPARE(rawString(b, 0), QByteArray("M\xFCnzen"));
        QCOMPARE(rawInt16(b, 31), 120);
        const int foot = 33 + 61 * 4;
        QCOMPARE(rawString(b, foot), QByteArray("Arial"));
        QCOMPARE(rawInt16(b, foot + 51), 9);
        QCOMPARE(int(b[foot + 53]), 1);
        QCOMPARE(int(b[foot + 54]), 0);
        QCOMPARE(int(b[foot + 55]), 1);
        QCOMPARE(b.mid(foot + 57, 4), QByteArray("\x40\x80\xFF\x00", 4));
        QCOMPARE(rawString(b, 33 + 61 * 2), QByteArray("Courier New"));
        QCOMPARE(int(b[338]), 1);
        QCOMPARE(int(b[340]), 1);
        QCOMPARE(rawInt16(b, 343), 3);
        QCOMPARE(rawDouble(b, 1845), 0.5);
        QCOMPARE(rawDouble(b, 1853), 0.75);
        QCOMPARE(rawDouble(b, 1869), 1.25);
        QCOMPARE(int(b[1877]), 1);
        QCOMPARE(rawString(b, 2041), QByteArray("Third"));
        QCOMPARE(rawItem(b, 0, 2), QStringLiteral("T4=Quantity:12"));
        QCOMPARE(rawItem(b, 0, 1), QStringLiteral("S:150"));
        const int last = 622 + 1500 * 12 + 75 * 19; // line 12, item 20
        QCOMPARE(last + 75, 20122);
        QCOMPARE(rawString(b, last), QByteArray("<LABEL>"));
        QCOMPARE(rawInt16(b, last + 32), 7);
        QCOMPARE(rawString(b, last + 34), QByteArray("Last:"));
        QCOMPARE(int(b[20122]), 0);
        QCOMPARE(int(b[20123]), 0);
        QCOMPARE(b.mid(20124), QByteArray(498, '\0'));
    }

    void storedColours()
    {
        QCOMPARE(rgbFromStored(0x000000FF), qRgb(255, 0, 0));
        QCOMPARE(rgbFromStored(0x00FF8040), qRgb(0x40, 0x80, 0xFF));
        QCOMPARE(storedFromRgb(qRgb(0x40, 0x80, 0xFF)), 0x00FF8040u);
        QCOMPARE(rgbFromStored(0), qRgb(0, 0, 0));
    }

    void newDefaults()
    {
        ReportDefinition d;
        d.setNewDefaults();
        QCOMPARE(d.name(), QString());
        QCOMPARE(d.width(), 90);
        QVERIFY(d.columnHeaders() && d.pageNumbers() && d.dateOnPages() && d.useTotals());
        QVERIFY(!d.landscape());
        QVERIFY(d.verticalLines() && d.horizontalLines());
        QVERIFY(d.groupLevel1() && !d.groupLevel2());
        QCOMPARE(d.numberOfLines(), 1);
        QCOMPARE(d.leftMargin(), 0.5);
        QCOMPARE(d.font(FontKind::Title).bold, true);
        QCOMPARE(d.font(FontKind::Body).bold, false);
        QCOMPARE(d.font(FontKind::Reserved).bold, false);
        QCOMPARE(d.font(FontKind::Footnote).face, QStringLiteral("Courier New"));
        for (int line = 0; line <= 12; ++line) {
            QCOMPARE(d.item(line, 1), (Item{kFillerKind, 0, 150, QString()}));
            QCOMPARE(d.item(line, 2).width, 0);
        }
    }

    void readBytesWrittenByHand()
    {
        QByteArray b(20622, '\0');
        b[0] = 4;
        b.replace(1, 4, "Caf\xE9");
        b[31] = static_cast<char>(150);
        b[343] = 2;
        const int at = 2122 + 1500 + 75 * 2; // line 2, item 3
        b[at] = 7;
        b.replace(at + 1, 7, "<LABEL>");
        b[at + 32] = 25;
        b[at + 34] = 3;
        b.replace(at + 35, 3, "abc");
        ReportDefinition d;
        QVERIFY(d.setBytes(b));
        QCOMPARE(d.name(), QStringLiteral("Café"));
        QCOMPARE(d.width(), 150);
        QCOMPARE(d.numberOfLines(), 2);
        QCOMPARE(d.item(2, 3).kindOf(), ItemKind::Label);
        QCOMPARE(d.item(2, 3).label, QStringLiteral("abc"));
        QCOMPARE(d.item(2, 3).width, 25);
        QVERIFY(!d.setBytes(b.left(100)));
    }

    void groupLevel2FollowsLevel1()
    {
        ReportDefinition d;
        d.setNewDefaults();
        d.setGroupLevel2(true);
        QVERIFY(d.groupLevel2());
        d.setGroupLevel1(false);
        QCOMPARE(int(d.bytes()[20123]), 0);
        d.setGroupLevel2(true);
        QCOMPARE(int(d.bytes()[20123]), 0);
    }

    void fitLine_data()
    {
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<int>("reportWidth");
        QTest::addColumn<QList<int>>("fitted");
        QTest::newRow("sum below W, width-0 item grows")
            << QList<int>{20, 30, 0, 5} << 90 << QList<int>{20, 30, 40, 0};
        QTest::newRow("sum at W") << QList<int>{40, 50, 0} << 90 << QList<int>{40, 50, 0};
        QTest::newRow("sum above W") << QList<int>{40, 60, 30, 0} << 90 << QList<int>{40, 50, 0, 0};
        QTest::newRow("first item too wide") << QList<int>{150, 0} << 90 << QList<int>{90, 0};
        QTest::newRow("new line in 120") << QList<int>{150} << 120 << QList<int>{120, 0};
        QTest::newRow("ready-made 89 of 90") << QList<int>{20, 7, 2, 7, 20, 29, 4, 0} << 90
                                             << QList<int>{20, 7, 2, 7, 20, 29, 4, 1, 0};
        QList<int> twenty(20, 5);
        QList<int> grown = twenty;
        grown[19] = 5 + 150 - 100;
        QTest::newRow("all 20 used, below W") << twenty << 150 << grown;
        QList<int> big(20, 10);
        QList<int> cut(20, 0);
        for (int i = 0; i < 9; ++i)
            cut[i] = 10;
        QTest::newRow("all 20, stops at 9") << big << 90 << cut;
    }

    void fitLine()
    {
        QFETCH(QList<int>, widths);
        QFETCH(int, reportWidth);
        QFETCH(QList<int>, fitted);
        ReportDefinition d;
        d.setNewDefaults();
        d.clearLine(5, 0);
        for (int i = 0; i < widths.size(); ++i)
            d.setItemWidth(5, i + 1, widths[i]);
        d.fitLine(5, reportWidth);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(d.itemWidth(5, i + 1), i < fitted.size() ? fitted[i] : 0);
        QVERIFY(d.lineIsFitted(5, reportWidth));
    }

    void damagedRecordsClamp()
    {
        const QString path = QStringLiteral(NUMAROK_TEST_DATA "/damaged_reports.urp");
        ReportFile file(path);
        QCOMPARE(file.count(), 2);
        QCOMPARE(file.names().size(), 2);
        ReportDefinition d;
        QVERIFY(file.read(0, d));
        QCOMPARE(d.name().size(), 30); // length byte 255, field of 30
        QCOMPARE(d.width(), 90);
        QCOMPARE(d.designerWidth(), 90);
        QCOMPARE(d.numberOfLines(), 12);
        QCOMPARE(d.item(3, 4).width, 150);
        QCOMPARE(d.item(3, 4).field, 0);
        QCOMPARE(d.item(3, 4).kind.size(), 30);
        QCOMPARE(d.item(3, 4).label.size(), 40);
        QCOMPARE(d.usedItems(3), 20);
        QCOMPARE(d.font(FontKind::Body).face.size(), 50);
        QCOMPARE(d.font(FontKind::Body).size, 10);
        QCOMPARE(d.topMargin(), 0.5);
        QVERIFY(file.read(1, d));
        QCOMPARE(d.name().size(), 30);
        QCOMPARE(d.width(), 90);
        QCOMPARE(d.numberOfLines(), 0);
        QCOMPARE(d.item(1, 1).width, 0);
        QCOMPARE(d.usedItems(1), 0);
        QCOMPARE(d.rightMargin(), 0.5);
        d.fitLine(1, 90); // a damaged line fits like any other
        QVERIFY(d.lineIsFitted(1, 90));
    }
};

class ReportFileTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir{QStringLiteral("/tmp/wt16-reportfile-XXXXXX")};
    QString path() const { return m_dir.filePath(QStringLiteral("NUMAROK.URP")); }

    static ReportDefinition named(const QString &name, int lines = 1)
    {
        ReportDefinition d;
        d.setNewDefaults();
        d.setName(name);
        d.setNumberOfLines(lines);
        return d;
    }

private slots:
    void init() { QFile::remove(path()); }

    void missingFileListsNothing()
    {
        ReportFile file(path());
        QVERIFY(file.names().isEmpty());
        QCOMPARE(file.count(), 0);
        ReportDefinition d;
        QVERIFY(!file.read(0, d));
    }

    void appendOverwriteAndDelete()
    {
        ReportFile file(path());
        QCOMPARE(file.save(named(QStringLiteral("A"))), 0);
        QCOMPARE(file.save(named(QStringLiteral("B"))), 1);
        QCOMPARE(file.save(named(QStringLiteral("C"))), 2);
        QCOMPARE(file.save(named(QStringLiteral("B2")), 1), 1);
        QCOMPARE(file.names(),
                 (QStringList{QStringLiteral("A"), QStringLiteral("B2"), QStringLiteral("C")}));
        QCOMPARE(QFileInfo(path()).size(), 3 * 20622);
        QVERIFY(file.remove(0));
        QCOMPARE(file.names(), (QStringList{QStringLiteral("B2"), QStringLiteral("C")}));
        QCOMPARE(QFileInfo(path()).size(), 2 * 20622);
        QVERIFY(!file.remove(2));
        QVERIFY(file.remove(1));
        QCOMPARE(file.names(), QStringList{QStringLiteral("B2")});
    }

    void linesBeyondCountAreKept()
    {
        ReportFile file(path());
        ReportDefinition d = named(QStringLiteral("Three"), 3);
        for (int line = 1; line <= 3; ++line)
            d.setItem(line, 1, Item{kLabelKind, 0, 90, QStringLiteral("line %1").arg(line)});
        file.save(d);
        d.setNumberOfLines(1);
        file.save(d, 0);
        ReportDefinition back;
        QVERIFY(file.read(0, back));
        QCOMPARE(back.numberOfLines(), 1);
        QCOMPARE(back.item(3, 1).label, QStringLiteral("line 3"));
        back.setNumberOfLines(3);
        file.save(back, 0);
        QVERIFY(file.read(0, back));
        QCOMPARE(back.numberOfLines(), 3);
        QCOMPARE(back.item(2, 1).label, QStringLiteral("line 2"));
        QCOMPARE(back.item(3, 1).label, QStringLiteral("line 3"));
    }

    void deletingTheOnlyReportLeavesAnEmptyFile()
    {
        ReportFile file(path());
        file.save(named(QStringLiteral("Only")));
        QVERIFY(file.remove(0));
        QVERIFY(QFileInfo(path()).isFile());
        QCOMPARE(QFileInfo(path()).size(), 0);
        QVERIFY(file.names().isEmpty());
    }

    void duplicateNamesByPosition()
    {
        ReportFile file(path());
        ReportDefinition a = named(QStringLiteral("Same"));
        a.setWidth(120);
        file.save(a);
        file.save(named(QStringLiteral("Same")));
        QCOMPARE(file.names(), (QStringList{QStringLiteral("Same"), QStringLiteral("Same")}));
        ReportDefinition back;
        QVERIFY(file.read(1, back));
        QCOMPARE(back.width(), 90);
        QVERIFY(file.remove(1));
        QVERIFY(file.read(0, back));
        QCOMPARE(back.width(), 120);
    }

    void trailingPartialRecord()
    {
        QFile::copy(QStringLiteral(NUMAROK_TEST_DATA "/partial_reports.urp"), path());
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
        ReportFile file(path());
        QCOMPARE(file.names(), QStringList{QStringLiteral("Whole")});
        QCOMPARE(file.count(), 1);
        ReportDefinition d;
        QVERIFY(!file.read(1, d));
        // An append replaces the partial record with a whole one.
        QCOMPARE(file.save(named(QStringLiteral("Next"))), 1);
        QCOMPARE(QFileInfo(path()).size(), 2 * 20622);
        QCOMPARE(file.names(), (QStringList{QStringLiteral("Whole"), QStringLiteral("Next")}));
    }

    void deleteWritesBesideAndRenames()
    {
        ReportFile file(path());
        file.save(named(QStringLiteral("A")));
        file.save(named(QStringLiteral("B")));
        // A handle opened before the delete still sees the whole old file: the shortened
        // file is a new one renamed over it, not the old one cut down in place.
        QFile before(path());
        QVERIFY(before.open(QIODevice::ReadOnly));
        const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path(), mode));
        QVERIFY(file.remove(0));
        QCOMPARE(QFile::permissions(path()) & 0x7077,
                 mode); // the new file keeps the old one's mode
        QCOMPARE(before.readAll().size(), 2 * 20622);
        QCOMPARE(file.names(), QStringList{QStringLiteral("B")});
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("NUMAROK.URP")});
    }

    // A report saved over one that is there, on a medium that fills up meanwhile: the
    // failure is reported and the file keeps every byte it had, the old report whole.
    void failedOverwriteKeepsTheFile()
    {
        ReportFile file(path());
        for (const char *name : {"A", "B", "C"})
            file.save(named(QLatin1String(name)));
        const QByteArray before = readBytes(path());
        {
            const FileSizeLimit limit(20622 + 100);
            QVERIFY_THROWS_EXCEPTION(ReportFileError, file.save(named(QStringLiteral("B2")), 1));
        }
        QCOMPARE(readBytes(path()), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("NUMAROK.URP")});
    }

    void failedAppendIsReported()
    {
        // /dev/full takes the open but no byte: the append reports it.
        ReportFile full(QStringLiteral("/dev/full"));
        QVERIFY_THROWS_EXCEPTION(ReportFileError, full.save(named(QStringLiteral("X"))));
    }
};

class ReadyMadeTests : public QObject
{
    Q_OBJECT
private slots:
    void fiveRecordsFieldByField()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt16-ready-XXXXXX"));
        const QString path = dir.filePath(QStringLiteral("NUMAROK.URP"));
        QVERIFY(writeReadyMadeReports(path));
        const QByteArray all = readBytes(path);
        QCOMPARE(all.size(), 5 * 20622);
        const QList<QByteArray> names = {"Simple List Report", "Simple List Plus Values Report",
                                         "Three Line Report", "Complete Report",
                                         "Statistic/Summary Report"};
        const int widths[] = {90, 120, 120, 120, 120};
        const int lines[] = {1, 1, 4, 8, 0};
        const int sizes[] = {10, 10, 8, 8, 8};
        const bool headers[] = {true, true, false, false, false};
        const bool rules[] = {true, true, true, true, false};
        for (int r = 0; r < 5; ++r) {
            const QByteArray b = all.mid(r * 20622, 20622);
            QCOMPARE(rawString(b, 0), names[r]);
            QCOMPARE(rawInt16(b, 31), widths[r]);
            for (int f = 0; f < 5; ++f) {
                const int at = 33 + 61 * f;
                QCOMPARE(rawString(b, at), QByteArray("Arial"));
                QCOMPARE(rawInt16(b, at + 51), sizes[r]);
                QCOMPARE(b.mid(at + 53, 8), QByteArray(8, '\0'));
            }
            QCOMPARE(bool(b[338]), headers[r]);
            QCOMPARE(int(b[339]), 1);
            QCOMPARE(int(b[340]), 0);
            QCOMPARE(int(b[341]), 1);
            QCOMPARE(int(b[342]), 1);
            QCOMPARE(rawInt16(b, 343), lines[r]);
            for (int m : {1845, 1853, 1861, 1869})
                QCOMPARE(rawDouble(b, m), 0.5);
            QCOMPARE(bool(b[1877]), rules[r]);
            QCOMPARE(bool(b[1878]), rules[r]);
            for (int t : {1879, 1960, 2041})
                QCOMPARE(int(b[t]), 0);
            QCOMPARE(int(b[20122]), 1);
            QCOMPARE(int(b[20123]), 0);
            QCOMPARE(b.mid(20124), QByteArray(498, '\0'));
            for (int n = lines[r] + 1; n <= 12; ++n)
                QCOMPARE(rawItems(b, n),
                         (QStringList{QStringLiteral("S:150"), QStringLiteral("S:0")}));
        }
        auto split = [](const char *s) { return QString::fromLatin1(s).split(QLatin1Char(' ')); };
        const QByteArray r0 = all.mid(0, 20622);
        QCOMPARE(rawItems(r0, 0).join(QLatin1Char(' ')),
                 QStringLiteral(
                     "LQuantity::10 S:1 T4=Quantity:6 LPurch Price::15 S:1 T2=Purchase Price:8 "
                     "LMarket Val::14 S:1 T1=Market Value:8 LPremium Val::15 S:1 "
                     "T3=Premium Value:8 S:0"));
        QCOMPARE(rawItems(r0, 1), split("F1=Country:20 F3=Year:7 F5=MintMark:2 F15=YearApprox:7 "
                                        "F2=FaceValue:20 F4=Condition:29 F13=Quantity:4 S:0"));
        const QString wideTotals =
            QStringLiteral("LQuantity::15 S:1 T4=Quantity:12 LPurchase Price::18 S:1 "
                           "T2=Purchase Price:12 LMarket Value::16 S:1 T1=Market Value:12 "
                           "LPremium Value::17 S:1 T3=Premium Value:12 S:0");
        for (int r = 1; r < 5; ++r)
            QCOMPARE(rawItems(all.mid(r * 20622, 20622), 0).join(QLatin1Char(' ')), wideTotals);
        const QByteArray r1 = all.mid(20622, 20622);
        QCOMPARE(rawItems(r1, 1), split("F1=Country:20 F3=Year:7 F5=MintMark:3 F15=YearApprox:7 "
                                        "F2=FaceValue:22 F4=Condition:30 F6=PurchasePr:14 "
                                        "F7=MarketValu:14 F13=Quantity:4 S:0"));
        const QByteArray r2 = all.mid(2 * 20622, 20622);
        const QString price = QStringLiteral(
            "LPurchase Price::15 S:1 F6=PurchasePr:12 LMarket Value::15 S:1 F7=MarketValu:12 "
            "LTopic::8 S:1 F9=Topic:20 S:0");
        QCOMPARE(rawItems(r2, 1).join(QLatin1Char(' ')),
                 QStringLiteral(
                     "LCountry::8 S:1 F1=Country:20 LYear::7 S:1 F3=Year:7 F5=MintMark:4 S:1 "
                     "LApprox Year::12 F15=YearApprox:5 LQuantity::11 S:1 F13=Quantity:7 S:0"));
        QCOMPARE(rawItems(r2, 2).join(QLatin1Char(' ')), price);
        QCOMPARE(rawItems(r2, 3).join(QLatin1Char(' ')),
                 QStringLiteral("LPurchase Date::14 S:1 F11=PurchDate:11 LDescription::14 S:1 "
                                "F10=Descriptio:40 LCondition::12 S:1 F4=Condition:30 S:0"));
        QCOMPARE(rawItems(r2, 4), (QStringList{QStringLiteral("S:150"), QStringLiteral("S:0")}));
        const QByteArray r3 = all.mid(3 * 20622, 20622);
        QCOMPARE(
            rawItems(r3, 1).join(QLatin1Char(' ')),
            QStringLiteral("LCountry::8 S:1 F1=Country:20 LYear::7 S:1 F3=Year:4 F5=MintMark:4 S:1 "
                           "F15=YearApprox:5 LCondition::12 S:1 F4=Condition:30 LQuantity::11 S:1 "
                           "F13=Quantity:7 S:0"));
        QCOMPARE(rawItems(r3, 2).join(QLatin1Char(' ')), price);
        QCOMPARE(rawItems(r3, 3).join(QLatin1Char(' ')),
                 QStringLiteral("LPurchase Date::14 S:1 F11=PurchDate:11 LDescription::14 S:1 "
                                "F10=Descriptio:40 LWanted::7 S:1 F16=Wanted:4 S:0"));
        QCOMPARE(rawItems(r3, 4).join(QLatin1Char(' ')),
                 QStringLiteral("LComment::8 S:1 F14=Comment:80 S:0"));
        QCOMPARE(rawItems(r3, 5).join(QLatin1Char(' ')),
                 QStringLiteral("LMisc::5 S:1 F12=Miscellane:110 S:0"));
        QCOMPARE(
            rawItems(r3, 6).join(QLatin1Char(' ')),
            QStringLiteral(
                "LUser Def #1::12 S:1 F17=UserDef1:40 LUser Def #2::12 S:1 F18=UserDef2:40 S:0"));
        QCOMPARE(
            rawItems(r3, 7).join(QLatin1Char(' ')),
            QStringLiteral(
                "LUser Def #3::12 S:1 F19=UserDef3:40 LUser Def #4::12 S:1 F20=UserDef4:40 S:0"));
        QCOMPARE(rawItems(r3, 8), (QStringList{QStringLiteral("S:150"), QStringLiteral("S:0")}));
        const QByteArray r4 = all.mid(4 * 20622, 20622);
        QCOMPARE(rawItems(r4, 1), (QStringList{QStringLiteral("S:150"), QStringLiteral("S:0")}));
    }

    void unwritableDirectoryWritesNothing()
    {
        QVERIFY(!writeReadyMadeReports(QStringLiteral("/tmp/wt16-missing-dir/NUMAROK.URP")));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/wt16-missing-dir")));
    }

    void readyMadeLinesAreNotFitted()
    {
        ReportDefinition simple = readyMadeReport(0);
        QVERIFY(!simple.lineIsFitted(1, 90));
        int sum = 0;
        for (int i = 1; i <= simple.usedItems(1); ++i)
            sum += simple.itemWidth(1, i);
        QCOMPARE(sum, 89);
        ReportDefinition plus = readyMadeReport(1);
        sum = 0;
        for (int i = 1; i <= plus.usedItems(1); ++i)
            sum += plus.itemWidth(1, i);
        QCOMPARE(sum, 121);
    }

    void startUpWritesThemOnceAndKeepsAnExistingFile()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt16-start-XXXXXX"));
        useDirectories(dir.path());
        prepareReportFiles();
        ReportFile file;
        QCOMPARE(file.path(), dir.path() + QStringLiteral("/home/NUMAROK.URP"));
        QCOMPARE(file.names(), readyMadeNames());
        QVERIFY(file.remove(0));
        prepareReportFiles(); // the file exists: left alone
        QCOMPARE(file.names(), readyMadeNames().mid(1));
    }
};

class ConversionTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir{QStringLiteral("/tmp/wt16-convert-XXXXXX")};
    QString earlier() const { return m_dir.filePath(QStringLiteral("QUILM.URP")); }
    QString current() const { return m_dir.filePath(QStringLiteral("NUMAROK.URP")); }

private slots:
    void init()
    {
        QFile::remove(earlier());
        QFile::remove(current());
        QVERIFY(writeReadyMadeReports(current()));
    }

    void onlyReadyMadeNames()
    {
        QByteArray bytes;
        for (const QString &name : readyMadeNames())
            bytes += earlierRecord(name.toLatin1(), 120);
        writeBytes(earlier(), bytes);
        const ConversionResult r = convertEarlierReports(earlier(), current());
        QCOMPARE(r.appended, 0);
        QCOMPARE(r.skipped, 5);
        QVERIFY(!QFile::exists(earlier()));
        QCOMPARE(ReportFile(current()).count(), 5);
    }

    void widths90And150()
    {
        writeBytes(earlier(),
                   earlierRecord("Narrow", 90) + earlierRecord("Simple List Report ", 150, 2));
        const ConversionResult r = convertEarlierReports(earlier(), current());
        QCOMPARE(r.appended, 2);
        QVERIFY(!QFile::exists(earlier()));
        ReportFile file(current());
        QCOMPARE(file.names().mid(5),
                 (QStringList{QStringLiteral("Narrow"), QStringLiteral("Simple List Report ")}));
        ReportDefinition d;
        QVERIFY(file.read(5, d));
        QCOMPARE(d.width(), 90);
        for (int k = 0; k < 5; ++k) {
            const FontBlock f = d.font(static_cast<FontKind>(k));
            QCOMPARE(f.face, QStringLiteral("Courier New"));
            QCOMPARE(f.size, 10);
            QCOMPARE(f.bold, k != 2 && k != 3);
        }
        QVERIFY(d.columnHeaders() && !d.pageNumbers() && d.useTotals());
        QVERIFY(!d.landscape() && d.dateOnPages() && !d.verticalLines() && !d.horizontalLines());
        QVERIFY(d.groupLevel1() && !d.groupLevel2());
        QCOMPARE(d.title(2), QStringLiteral("Old title"));
        QCOMPARE(d.item(0, 1), (Item{kLabelKind, 0, 10, QStringLiteral("Qty:")}));
        QCOMPARE(d.item(0, 2), (Item{QStringLiteral("Quantity"), 4, 20, QString()}));
        QCOMPARE(d.item(1, 1), (Item{QStringLiteral("Country"), 1, 30, QString()}));
        QCOMPARE(d.item(1, 2), (Item{kLabelKind, 0, 12, QStringLiteral("Made in")}));
        QCOMPARE(d.item(1, 3), (Item{QStringLiteral("PURCHDATE"), 11, 11, QString()}));
        QCOMPARE(d.item(2, 1), (Item{QStringLiteral("Comment"), 14, 40, QString()}));
        QVERIFY(file.read(6, d));
        QCOMPARE(d.width(), 150);
        QCOMPARE(d.numberOfLines(), 2);
        QCOMPARE(d.font(FontKind::Body).size, 8);
        // The record is the converted one byte for byte: the bytes it does not set are zero.
        QCOMPARE(d.bytes(),
                 convertEarlierRecord(earlierRecord("Simple List Report ", 150, 2)).bytes());
        QCOMPARE(d.bytes().mid(20124), QByteArray(498, '\0'));
    }

    void duplicateNamesBothAppended()
    {
        writeBytes(earlier(), earlierRecord("Twice", 120) + earlierRecord("Twice", 120));
        QCOMPARE(convertEarlierReports(earlier(), current()).appended, 2);
        QCOMPARE(ReportFile(current()).names().mid(5),
                 (QStringList{QStringLiteral("Twice"), QStringLiteral("Twice")}));
    }

    void lockedEarlierFileStays()
    {
        writeBytes(earlier(), earlierRecord("Locked", 120));
        const int fd = ::open(QFile::encodeName(earlier()).constData(), O_RDWR);
        QVERIFY(fd >= 0);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        QCOMPARE(::fcntl(fd, F_OFD_SETLK, &lock), 0);
        ConversionResult r = convertEarlierReports(earlier(), current());
        QVERIFY(r.found && !r.removed);
        QCOMPARE(r.appended, 0);
        QVERIFY(QFile::exists(earlier()));
        QCOMPARE(ReportFile(current()).count(), 5);
        ::close(fd);
        // The next start-up takes it over.
        r = convertEarlierReports(earlier(), current());
        QVERIFY(r.removed);
        QCOMPARE(ReportFile(current()).names().last(), QStringLiteral("Locked"));
    }

    void unreadableEarlierFileStays()
    {
        QVERIFY(QDir().mkpath(earlier())); // a directory in its place
        const ConversionResult r = convertEarlierReports(earlier(), current());
        QVERIFY(!r.removed);
        QVERIFY(QFileInfo(earlier()).isDir());
        QDir(earlier()).removeRecursively();
    }

    void failedAppendKeepsTheEarlierFile()
    {
        writeBytes(earlier(), earlierRecord("Kept", 120));
        const ConversionResult r = convertEarlierReports(earlier(), QStringLiteral("/dev/full"));
        QVERIFY(!r.removed);
        QVERIFY(QFile::exists(earlier()));
    }

    void missingCurrentFileIsNotStarted()
    {
        QFile::remove(current());
        writeBytes(earlier(), earlierRecord("Waits", 120));
        const ConversionResult r = convertEarlierReports(earlier(), current());
        QVERIFY(!r.removed);
        QVERIFY(QFile::exists(earlier()));
        QVERIFY(!QFile::exists(current()));
    }

    void startUpAppendsAfterReadyMade()
    {
        QTemporaryDir dir(QStringLiteral("/tmp/wt16-startconv-XXXXXX"));
        useDirectories(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/home"));
        writeBytes(dir.path() + QStringLiteral("/home/QUILM.URP"),
                   earlierRecord("Mine", 90) + earlierRecord("Complete Report", 120));
        prepareReportFiles();
        QCOMPARE(ReportFile().names(), readyMadeNames() + QStringList{QStringLiteral("Mine")});
        QVERIFY(!QFile::exists(dir.path() + QStringLiteral("/home/QUILM.URP")));
    }
};

REGISTER_TEST(ReportLayoutTests)
REGISTER_TEST(ReportFileTests)
REGISTER_TEST(ReadyMadeTests)
REGISTER_TEST(ConversionTests)
#include "tst_report_file.moc"
