// The ASCII delimited reader on real files of tests/data (written by
// make_exchange_files.py), the line writer, and the writer's behaviour when a write fails.
#include "exchange/ascii_format.h"
#include "test_files.h"
#include "test_registry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace exchange;

namespace
{

QString dataFile(const QString &name)
{
    return QStringLiteral(NUMAROK_TEST_DATA "/") + name;
}

std::string fileBytes(const QString &name)
{
    const QByteArray b = readBytes(dataFile(name));
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

QString joined(const std::vector<std::string> &values)
{
    QStringList parts;
    for (const std::string &v : values)
        parts << QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size()));
    return parts.join(QLatin1Char('|'));
}

} // namespace

class AsciiReaderTests : public QObject
{
    Q_OBJECT
private slots:
    void files_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("problem");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QStringList>("records"); // after the first line, values joined by "|"
        QTest::addColumn<int>("cut");
        using P = AsciiReader::Problem;
        QTest::newRow("reading rules")
            << "ascii_rules.txt" << int(P::None) << "Name|Value"
            << QStringList{QStringLiteral("xabc|  d,e"), QStringLiteral("tab|bell"),
                           QStringLiteral("one|two"), QStringLiteral("lonequote|last")}
            << 0;
        QTest::newRow("doubled quotes") << "ascii_doubled_quotes.txt" << int(P::None) << "A|B|C"
                                        << QStringList{QStringLiteral("say \"hi\"|end\"|\"start"),
                                                       QStringLiteral("\"\"|a\",\"b|")}
                                        << 0;
        QTest::newRow("CR only") << "ascii_cr_only.txt" << int(P::None) << "A|B"
                                 << QStringList{QStringLiteral("1|2"), QStringLiteral("3|4")} << 0;
        QTest::newRow("LF only") << "ascii_lf_only.txt" << int(P::None) << "A|B"
                                 << QStringList{QStringLiteral("1|2"), QStringLiteral("3|4")} << 0;
        QTest::newRow("bare word")
            << "ascii_bare_word.txt" << int(P::UnexpectedEnd) << "Hello" << QStringList{} << 0;
        QStringList thirty, values;
        for (int i = 1; i <= 30; ++i) {
            thirty << QStringLiteral("F%1").arg(i);
            values << QString::number(i);
        }
        QTest::newRow("30 fields")
            << "ascii_30_fields.txt" << int(P::None) << thirty.join(QLatin1Char('|'))
            << QStringList{values.join(QLatin1Char('|'))} << 0;
        QTest::newRow("31 fields") << "ascii_31_fields.txt" << int(P::TooManyFields)
                                   << thirty.join(QLatin1Char('|')) << QStringList{} << 0;
        QTest::newRow("256 in first line")
            << "ascii_long_first.txt" << int(P::FieldTooLong) << "ok" << QStringList{} << 0;
        QTest::newRow("255 in first line") << "ascii_255_first.txt" << int(P::None)
                                           << "ok|xxxxxxxxxxxxxxxxxxxx" << QStringList{} << 0;
        QTest::newRow("long values later")
            << "ascii_long_later.txt" << int(P::None) << "A|B"
            << QStringList{QString(255, QLatin1Char('y')) + QStringLiteral("|short"),
                           QString(255, QLatin1Char('z')) + QLatin1Char('|') +
                               QString(255, QLatin1Char('q'))}
            << 3;
        QTest::newRow("empty last line") << "ascii_empty_last_line.txt" << int(P::None) << "A"
                                         << QStringList{QStringLiteral("1")} << 0;
        QTest::newRow("blank names")
            << "ascii_blank_names.txt" << int(P::None) << "<BLANK FIELD>|Coin|<BLANK FIELD>"
            << QStringList{QStringLiteral("1|2|3")} << 0;
        QTest::newRow("Windows-1252") << "ascii_cp1252.txt" << int(P::None) << "Land"
                                      << QStringList{QStringLiteral(u"Côte d'Ivoire €")} << 0;
        QTest::newRow("UTF-8 with mark")
            << "ascii_utf8_bom.txt" << int(P::None) << "Land|Note"
            << QStringList{QStringLiteral(u"Côte d'Ivoire|Łódź ✓ € ß")} << 0;
        QTest::newRow("long name") << "ascii_long_name.txt" << int(P::None)
                                   << "A name longer than t" << QStringList{} << 0;
        QTest::newRow("more values than names")
            << "ascii_more_values.txt" << int(P::None) << "A|B"
            << QStringList{QStringLiteral("1|2"), QStringLiteral("5|6")} << 0;
    }
    void files()
    {
        QFETCH(QString, file);
        QFETCH(int, problem);
        QFETCH(QString, names);
        QFETCH(QStringList, records);
        QFETCH(int, cut);
        AsciiReader reader(fileBytes(file));
        std::vector<std::string> got;
        QCOMPARE(int(reader.readFirstLine(got)), problem);
        if (problem == int(AsciiReader::Problem::None)) QCOMPARE(joined(got), names);
        if (problem != int(AsciiReader::Problem::None)) return;
        const int fields = static_cast<int>(got.size());
        std::vector<std::string> values;
        QVERIFY(reader.readRecord(fields, values)); // the names line
        QStringList read;
        while (!reader.atEnd())
            if (reader.readRecord(fields, values)) read << joined(values);
        QCOMPARE(read, records);
        QCOMPARE(reader.cutValues(), cut);
    }

    void utf8MarkCountsUnmappable()
    {
        AsciiReader reader(fileBytes(QStringLiteral("ascii_utf8_bom.txt")));
        QVERIFY(reader.isUtf8());
        std::vector<std::string> values;
        reader.readRecord(2, values);
        reader.readRecord(2, values);
        QCOMPARE(unmappableCount(values[0]), 0);
        QCOMPARE(unmappableCount(values[1]), 3); // Ł, ź and ✓; é, €, ß fit
        QCOMPARE(unmappableCount("plain? text"), 0);
    }

    void problemMessages()
    {
        const QString start =
            QStringLiteral("The file selected does not appear to be an ASCII delimited text file.  "
                           "An ASCII delimited file "
                           "requires a unique format of each field being surrounded by double "
                           "quotes and separated by a comma.  ");
        QCOMPARE(AsciiReader::problemMessage(AsciiReader::Problem::TooManyFields),
                 start + QStringLiteral(
                             "The selected file has too many fields.  There are at least 10 more "
                             "fields than are required by Numarok."));
        QCOMPARE(AsciiReader::problemMessage(AsciiReader::Problem::UnexpectedEnd),
                 start +
                     QStringLiteral(
                         "The selected file had an unexpected end of a line most likely due to an "
                         "unmatched quote."));
        QCOMPARE(AsciiReader::problemMessage(AsciiReader::Problem::FieldTooLong),
                 start + QStringLiteral(
                             "The selected file has a field that is greater than 255 characters."));
    }
};

class AsciiWriterTests : public QObject
{
    Q_OBJECT
private slots:
    void line_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << QStringList{QStringLiteral("USA"), QStringLiteral("1.25"),
                                              QStringLiteral("")}
                               << QByteArray("\"USA\",\"1.25\",\"\"\r\n");
        QTest::newRow("blanks trimmed")
            << QStringList{QStringLiteral("  a b  ")} << QByteArray("\"a b\"\r\n");
        QTest::newRow("quote doubled")
            << QStringList{QStringLiteral("5\" wide")} << QByteArray("\"5\"\" wide\"\r\n");
        QTest::newRow("Windows-1252")
            << QStringList{QStringLiteral(u"Zürich €")} << QByteArray("\"Z\xFCrich \x80\"\r\n");
        // A record is one line: a line break inside a value (text pasted into a field) would
        // end the record there, and the rest would be read back as another record.
        QTest::newRow("line breaks become blanks")
            << QStringList{QStringLiteral("Upper\r\nVolta"), QStringLiteral("B\n\nC\r"),
                           QStringLiteral("x")}
            << QByteArray("\"Upper Volta\",\"B C\",\"x\"\r\n");
    }
    void line()
    {
        QFETCH(QStringList, values);
        QFETCH(QByteArray, bytes);
        std::vector<std::string> v;
        for (const QString &s : values)
            v.push_back(s.toStdString());
        QCOMPARE(QByteArray::fromStdString(formatAsciiLine(v)), bytes);
    }

    // Every value the writer writes comes back unchanged from the reader.
    void roundTrip()
    {
        const std::vector<std::string> values = {"\"", "a\"",    "\"b",  "a\"\"b", "x\",\"y", "",
                                                 ",",  "\"\"\"", "a,\"", "é€",     "end\""};
        std::string file = formatAsciiLine(values) + formatAsciiLine(values);
        AsciiReader reader(file);
        std::vector<std::string> names, got;
        QCOMPARE(reader.readFirstLine(names), AsciiReader::Problem::None);
        QCOMPARE(names.size(), values.size());
        QVERIFY(reader.readRecord(int(values.size()), got));
        QVERIFY(reader.readRecord(int(values.size()), got));
        QCOMPARE(joined(got), joined(values));
        QVERIFY(reader.atEnd());
    }

    void writesBesideAndRenames()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("OUT.TXT"));
        writeBytes(path, "old");
        AsciiWriter w(path);
        QString error;
        QVERIFY(w.open(&error));
        w.writeLine({"a"});
        QCOMPARE(readBytes(path), QByteArray("old")); // not yet in place
        QVERIFY(w.commit(&error));
        QCOMPARE(readBytes(path), QByteArray("\"a\"\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("OUT.TXT")});
    }

    void readOnlyDirectory()
    {
        if (::geteuid() == 0) QSKIP("root writes into read-only directories");
        QTemporaryDir dir;
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        AsciiWriter w(dir.filePath(QStringLiteral("OUT.TXT")));
        QString error;
        QVERIFY(!w.open(&error));
        QVERIFY2(error.contains(QStringLiteral("OUT.TXT")), qPrintable(error));
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }

    // A file size limit makes the writes fail part way: the error is reported and no file
    // is left under the chosen name. Run in a child, whose limit does not touch the tests.
    void fileSizeLimit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("BIG.TXT"));
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit lim{100000, 100000};
            ::setrlimit(RLIMIT_FSIZE, &lim);
            AsciiWriter w(path);
            QString error;
            if (!w.open(&error)) ::_exit(2);
            for (int i = 0; i < 20000; ++i)
                w.writeLine({"some value", "another value"});
            ::_exit(w.commit(&error) ? 0 : (error.contains(QStringLiteral("BIG.TXT")) ? 1 : 3));
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 1);
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
};

REGISTER_TEST(AsciiReaderTests)
REGISTER_TEST(AsciiWriterTests)
#include "tst_ascii.moc"
