// The settings record against real INI files, and the real program started offscreen in
// an empty program directory.
#include "app/settings.h"
#include "db/coin_schema.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "test_files.h"
#include "test_registry.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace
{

// Every value of an INI file changed: numbers + 1, flags flipped, text extended.
QByteArray mutated(const QByteArray &ini)
{
    QByteArray out;
    QList<QByteArray> lines = ini.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    QByteArray section;
    for (const QByteArray &line : lines) {
        const QByteArray l = line.trimmed();
        const int eq = l.indexOf('=');
        if (eq < 0) {
            if (l.startsWith('[')) section = l;
            out += l + "\r\n";
            continue;
        }
        const QByteArray key = l.left(eq), value = l.mid(eq + 1);
        bool isNumber = false;
        const int n = value.toInt(&isNumber);
        QByteArray v;
        if (value == "Yes")
            v = "No";
        else if (value == "No")
            v = "Yes";
        else if (isNumber && section == "[Field Order]")
            v = QByteArray::number(n % 20 + 1); // the column order stays whole: 2..20, 1
        else if (isNumber)
            v = QByteArray::number(n + 1);
        else
            v = "x" + value.left(5).trimmed();
        out += key + "=" + v + "\r\n";
    }
    return out;
}

} // namespace

class SettingsTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const char *name) const
    {
        return m_dir.path() + QLatin1Char('/') + QLatin1String(name);
    }

private slots:
    void init()
    {
        QDir(file("conf")).removeRecursively();
        useDirectories(m_dir.path());
    }

    void defaultsWithoutFiles()
    {
        Settings s;
        s.buttonBar = 3;
        s.sortLevels[0] = 5;
        LoadSettings(s, SettingsScope::Program);
        LoadSettings(s, SettingsScope::Database, file("none.ini"));
        QCOMPARE(s.buttonBar, 1);
        QCOMPARE(s.mainWidth, 640);
        QCOMPARE(s.mainHeight, 480);
        QVERIFY(s.showTips);
        QCOMPARE(s.windowSize, 640);
        QCOMPARE(s.lastImportFile, paths::startupDirectory());
        QCOMPARE(s.sortLevels[0], 12);
        QCOMPARE(s.sortLevels[1], 0);
        for (int i = 0; i < 20; ++i) {
            QCOMPARE(s.fieldNames[i], QString::fromLatin1(coin::kFields[i].defaultLabel));
            QCOMPARE(s.fieldOrder[i], i + 1);
            QCOMPARE(s.fieldWidth[i], 15);
            QVERIFY(s.displayFields[i] && s.exportFields[i]);
        }
        QCOMPARE(s.titleBackground, 8553090);
        QCOMPARE(s.titleAlignment, 2);
        QCOMPARE(s.gridTitleFont.size, 12);
        QCOMPARE(s.gridFont.size, 10);
        QCOMPARE(s.gridFont.name, QStringLiteral("Arial"));
        QVERIFY(!s.fieldEditing && s.rowLines);
        QCOMPARE(s.reportWidth, 640);
        QCOMPARE(s.schemes[4].colors[ColorScheme::EditBackground], 16777215);
        QCOMPARE(s.schemes[0].colors[ColorScheme::MainBackground], 12632256);
    }

    // A stored column order with two fields at one place or a place left empty gives way
    // to the fields' own order.
    void brokenFieldOrderFallsBack_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::newRow("two fields at one place") << QByteArray("UserDef1=17\r\nUserDef2=17\r\n");
        QTest::newRow("a place beyond the last") << QByteArray("Country=21\r\n");
        QTest::newRow("no place") << QByteArray("Country=0\r\n");
    }
    void brokenFieldOrderFallsBack()
    {
        QFETCH(QByteArray, section);
        writeBytes(file("order.ini"), "[Field Order]\r\n" + section);
        Settings s;
        LoadSettings(s, SettingsScope::Database, file("order.ini"));
        for (int i = 0; i < 20; ++i)
            QCOMPARE(s.fieldOrder[i], i + 1);
        // A sound order that is not the default is kept.
        writeBytes(file("order.ini"), "[Field Order]\r\nCountry=2\r\nFaceValue=1\r\n");
        LoadSettings(s, SettingsScope::Database, file("order.ini"));
        QCOMPARE(s.fieldOrder[0], 2);
        QCOMPARE(s.fieldOrder[1], 1);
        QCOMPARE(s.fieldOrder[2], 3);
    }

    void everyKeyReadBack_data()
    {
        QTest::addColumn<bool>("program");
        QTest::newRow("program scope") << true;
        QTest::newRow("database scope") << false;
    }
    void everyKeyReadBack()
    {
        // Write the defaults, change every value in the file, read it, write it again:
        // the second file equals the changed one only if every key is read and written
        // under the same name.
        QFETCH(bool, program);
        const SettingsScope scope = program ? SettingsScope::Program : SettingsScope::Database;
        const QString first = program ? paths::programSettingsFile() : file("db1.ini");
        Settings s;
        QVERIFY(SaveSettings(s, scope, first));
        const QByteArray changed = mutated(readBytes(first));
        writeBytes(first, changed);
        Settings t;
        LoadSettings(t, scope, first);
        const QString second = file("db2.ini");
        if (program) {
            QVERIFY(SaveSettings(t, scope));
            QCOMPARE(readBytes(paths::programSettingsFile()), changed);
        } else {
            QVERIFY(SaveSettings(t, scope, second));
            QCOMPARE(readBytes(second), changed);
        }
        // Every key of the scope is there: 19 + 22 in the program file, 120 per field and
        // 46 more in the database file, plus 13 for each of the five colour schemes.
        const int keys = changed.count('=');
        QCOMPARE(keys, program ? 19 + 22 : 120 + 46 + 65);
    }

    // Two copies of the program (a collection shared with others, or the program started
    // twice) read the same settings file. What the other copy saved meanwhile stays unless
    // this copy changed that key itself.
    void anotherCopysChangesStay_data() { everyKeyReadBack_data(); }
    void anotherCopysChangesStay()
    {
        QFETCH(bool, program);
        const SettingsScope scope = program ? SettingsScope::Program : SettingsScope::Database;
        QDir().mkpath(file("conf"));
        const QString path = program ? paths::programSettingsFile() : file("shared.ini");
        QVERIFY(SaveSettings(Settings(), scope, path));
        Settings mine;
        LoadSettings(mine, scope, path);
        // The other copy changes a key and saves.
        Settings other;
        LoadSettings(other, scope, path);
        const QString section =
            program ? QStringLiteral("Defaults") : QStringLiteral("Field Names");
        const QString key = QStringLiteral("Country"); // in either section
        if (program)
            other.defaults.country = QStringLiteral("Peru");
        else
            other.fieldNames[0] = QStringLiteral("Land");
        QVERIFY(SaveSettings(other, scope, path));
        // This copy changes another key and saves.
        if (program)
            mine.buttonBar = 3;
        else
            mine.fieldWidth[1] = 33;
        QVERIFY(SaveSettings(mine, scope, path));
        Settings back;
        LoadSettings(back, scope, path);
        if (program) {
            QCOMPARE(back.defaults.country, QStringLiteral("Peru"));
            QCOMPARE(back.buttonBar, 3);
        } else {
            QCOMPARE(back.fieldNames[0], QStringLiteral("Land"));
            QCOMPARE(back.fieldWidth[1], 33);
        }
        QVERIFY(IniFile(path).contains(section, key));
        // A key both changed: the last to save wins.
        if (program)
            mine.defaults.country = QStringLiteral("Chile");
        else
            mine.fieldNames[0] = QStringLiteral("Pays");
        QVERIFY(SaveSettings(mine, scope, path));
        LoadSettings(back, scope, path);
        QCOMPARE(program ? back.defaults.country : back.fieldNames[0],
                 program ? QStringLiteral("Chile") : QStringLiteral("Pays"));
    }

    void fieldNamesCutTo20()
    {
        writeBytes(file("names.ini"), "[Field Names]\r\nCountry=Country of issue and mint\r\n");
        Settings s;
        LoadSettings(s, SettingsScope::Database, file("names.ini"));
        QCOMPARE(s.fieldNames[0], QStringLiteral("Country of issue and"));
    }

    void databaseScopeFallsBackToProgramFile()
    {
        QDir().mkpath(file("conf"));
        writeBytes(paths::programSettingsFile(),
                   "[Sort Order]\r\nPrimary Sort=3\r\n[Grid Options]\r\nField Editing=yes\r\n");
        Settings s;
        LoadSettings(s, SettingsScope::Database, file("missing.ini"));
        QCOMPARE(s.sortLevels[0], 3);
        QVERIFY(s.fieldEditing); // flags are upper-cased before the comparison
        writeBytes(file("own.ini"), "[Sort Order]\r\nPrimary Sort=7\r\n");
        LoadSettings(s, SettingsScope::Database, file("own.ini"));
        QCOMPARE(s.sortLevels[0], 7);
        QVERIFY(!s.fieldEditing); // the database's own file has no such key: the default
        const QByteArray programBefore = readBytes(paths::programSettingsFile());
        QVERIFY(SaveSettings(s, SettingsScope::Database, file("written.ini")));
        QCOMPARE(readBytes(paths::programSettingsFile()), programBefore);
        QVERIFY(!SaveSettings(s, SettingsScope::Database, file("no/dir/x.ini")));
    }

    void valueRules_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("expect");
        QTest::newRow("flag yes") << QByteArray("[Misc]\r\nShow Tips=yES") << "tips=1";
        QTest::newRow("flag other text") << QByteArray("[Misc]\r\nShow Tips=Y") << "tips=0";
        QTest::newRow("number not a number") << QByteArray("[Misc]\r\nButton Bar=two") << "bar=0";
        QTest::newRow("number from its leading digits")
            << QByteArray("[Misc]\r\nButton Bar=3rd") << "bar=3";
        QTest::newRow("number missing") << QByteArray("[Misc]\r\nOther=1") << "bar=1";
        QTest::newRow("number") << QByteArray("[Misc]\r\nButton Bar=2") << "bar=2";
        QTest::newRow("default cut to its length")
            << QByteArray("[Defaults]\r\nCountry=Abcdefghijklmnopqrstuvwxyz")
            << "country=Abcdefghijklmnopqrst";
        QTest::newRow("path") << QByteArray("[misc]\r\nlast database=/a/B.DBF") << "db=/a/B.DBF";
    }
    void valueRules()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, expect);
        QDir().mkpath(file("conf"));
        writeBytes(paths::programSettingsFile(), line + "\r\n");
        Settings s;
        LoadSettings(s, SettingsScope::Program);
        const QString got =
            expect.startsWith(QLatin1String("tips"))  ? QStringLiteral("tips=%1").arg(s.showTips)
            : expect.startsWith(QLatin1String("bar")) ? QStringLiteral("bar=%1").arg(s.buttonBar)
            : expect.startsWith(QLatin1String("country"))
                ? QStringLiteral("country=") + s.defaults.country
                : QStringLiteral("db=") + s.lastDatabase;
        QCOMPARE(got, expect);
    }
};

class StartupTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString conf() const { return m_dir.path() + QStringLiteral("/conf"); }

    // Starts the program, waits for its database, then ends it the way a logout does.
    bool runAndClose(const QStringList &args, QString *error)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("NUMAROK_HOME"), home());
        env.insert(QStringLiteral("NUMAROK_CONFIG_DIR"), conf());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(NUMAROK_PROGRAM), args);
        if (!p.waitForStarted(10000)) {
            *error = p.errorString();
            return false;
        }
        for (int i = 0; i < 100 && !QFile::exists(home() + QStringLiteral("/MASTER.MDX")); ++i)
            QTest::qWait(100);
        QTest::qWait(500);
        p.terminate();
        if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            *error = QStringLiteral("the program did not end normally: ") +
                     QString::fromUtf8(p.readAllStandardError());
            p.kill();
            return false;
        }
        return true;
    }

private slots:
    void firstRunInEmptyDirectories()
    {
        QString error;
        QVERIFY2(runAndClose({}, &error), qPrintable(error));
        const QString master = home() + QStringLiteral("/MASTER.DBF");
        QVERIFY(QFile::exists(master));

        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(NUMAROK_TEST_SCRIPTS "/dump_dbf.py"), master});
        QVERIFY(py.waitForFinished(30000));
        QCOMPARE(py.exitCode(), 0);
        const QJsonObject dump = QJsonDocument::fromJson(py.readAllStandardOutput()).object();
        const QJsonArray fields = dump[QStringLiteral("fields")].toArray();
        QCOMPARE(fields.size(), 20);
        for (int i = 0; i < 20; ++i)
            QCOMPARE(fields[i].toArray()[0].toString(),
                     QString::fromLatin1(coin::kFields[i].storedName));
        QCOMPARE(dump[QStringLiteral("count")].toInt(), 0);

        QProcess dump2;
        dump2.start(QStringLiteral("index_dump"), {home() + QStringLiteral("/MASTER.MDX")});
        QVERIFY(dump2.waitForFinished(30000));
        QCOMPARE(dump2.readAllStandardOutput(), QByteArray("NewIndex\n"));
        QVERIFY(readBytes(home() + QStringLiteral("/MASTER.MDX"))
                    .contains("Upper(Left(Miscellane,80))"));

        const QString program = conf() + QStringLiteral("/NUMAROK.INI");
        QCOMPARE(IniFile::readString(program, QStringLiteral("Misc"),
                                     QStringLiteral("Last Database"), QString()),
                 master);
        QCOMPARE(IniFile::readString(program, QStringLiteral("Misc"), QStringLiteral("Button Bar"),
                                     QString()),
                 QStringLiteral("1"));
        QCOMPARE(IniFile::readString(program, QStringLiteral("Defaults"), QStringLiteral("Wanted"),
                                     QString()),
                 QStringLiteral("No"));
        const QString db = home() + QStringLiteral("/MASTER.INI");
        QCOMPARE(IniFile::readString(db, QStringLiteral("Sort Order"),
                                     QStringLiteral("Primary Sort"), QString()),
                 QStringLiteral("12"));
        QCOMPARE(IniFile::readString(db, QStringLiteral("Field Names"),
                                     QStringLiteral("Descriptio"), QString()),
                 QStringLiteral("Description"));
        QCOMPARE(IniFile::readString(db, QStringLiteral("Configure Window Color"),
                                     QStringLiteral("Check Text"), QString()),
                 QStringLiteral("0"));
    }

    void browseModeKeepsFieldEditing()
    {
        QString error;
        QVERIFY2(runAndClose({}, &error), qPrintable(error));
        const QString db = home() + QStringLiteral("/MASTER.INI");
        QVERIFY(IniFile::writeString(db, QStringLiteral("Grid Options"),
                                     QStringLiteral("Field Editing"), QStringLiteral("Yes")));
        QVERIFY2(runAndClose({QStringLiteral("/browse")}, &error), qPrintable(error));
        QCOMPARE(IniFile::readString(db, QStringLiteral("Grid Options"),
                                     QStringLiteral("Field Editing"), QString()),
                 QStringLiteral("Yes"));
    }

    // The captions a window manager shows are the program's own texts, with nothing
    // appended: the main window and a message box, on a real X server.
    void windowTitlesAsWritten_data()
    {
        QTest::addColumn<bool>("foreignLastDatabase");
        QTest::addColumn<QString>("title");
        QTest::newRow("main window") << false << "Numarok (MASTER)";
        QTest::newRow("message box") << true << "Error";
    }
    void windowTitlesAsWritten()
    {
        QFETCH(bool, foreignLastDatabase);
        QFETCH(QString, title);
        QTemporaryDir dir;
        const QString home = dir.path() + QStringLiteral("/home");
        const QString conf = dir.path() + QStringLiteral("/conf");
        QDir().mkpath(home);
        QDir().mkpath(conf);
        if (foreignLastDatabase) {
            // A table of another program as the last database: start-up says so in a box.
            QByteArray table("\x03\x7E\x0C\x08", 4);
            table +=
                QByteArray("\0\0\0\0", 4) + QByteArray("\x41\0\x0B\0", 4) + QByteArray(20, '\0');
            table += QByteArray("NAME\0\0\0\0\0\0\0C", 12) + QByteArray(4, '\0') +
                     QByteArray("\x0A\0", 2) + QByteArray(14, '\0') + "\r\x1A";
            writeBytes(dir.path() + QStringLiteral("/OTHER.DBF"), table);
            QVERIFY(IniFile::writeString(conf + QStringLiteral("/NUMAROK.INI"),
                                         QStringLiteral("Misc"), QStringLiteral("Last Database"),
                                         dir.path() + QStringLiteral("/OTHER.DBF")));
        }
        QProcess x;
        x.start(QStringLiteral("Xvfb"),
                {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                 QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                 QStringLiteral("tcp")});
        QVERIFY(x.waitForStarted(10000));
        QString display;
        for (int i = 0; i < 100 && display.isEmpty(); ++i) {
            x.waitForReadyRead(100);
            display = QString::fromLatin1(x.readAllStandardOutput()).trimmed();
        }
        QVERIFY2(!display.isEmpty(), "Xvfb gave no display");
        display.prepend(QLatin1Char(':'));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("NUMAROK_HOME"), home);
        env.insert(QStringLiteral("NUMAROK_CONFIG_DIR"), conf);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display);
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(NUMAROK_PROGRAM), {});
        QVERIFY(p.waitForStarted(10000));
        QStringList names;
        for (int i = 0; i < 100 && !names.contains(title); ++i) {
            QTest::qWait(100);
            QProcess search;
            search.setProcessEnvironment(env);
            search.start(QStringLiteral("xdotool"),
                         {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                          QStringLiteral("--name"), QStringLiteral(".")});
            search.waitForFinished(5000);
            names.clear();
            for (const QByteArray &id : search.readAllStandardOutput().split('\n')) {
                if (id.trimmed().isEmpty()) continue;
                QProcess name;
                name.setProcessEnvironment(env);
                name.start(QStringLiteral("xdotool"),
                           {QStringLiteral("getwindowname"), QString::fromLatin1(id.trimmed())});
                name.waitForFinished(5000);
                names << QString::fromUtf8(name.readAllStandardOutput()).trimmed();
            }
        }
        p.kill();
        p.waitForFinished(5000);
        x.kill();
        x.waitForFinished(5000);
        QVERIFY2(names.contains(title), qPrintable(names.join(QStringLiteral(" | "))));
        for (const QString &n : names)
            QVERIFY2(!n.contains(QStringLiteral("Numarok")) ||
                         n == QLatin1String("Numarok (MASTER)"),
                     qPrintable(n));
    }

    void commandLineHelpAndVersion()
    {
        QProcess p;
        p.start(QStringLiteral(NUMAROK_PROGRAM), {QStringLiteral("--version")});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("^numarok \\d"))));
        p.start(QStringLiteral(NUMAROK_PROGRAM), {QStringLiteral("--help")});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().contains("/BROWSE"));
    }
};

REGISTER_TEST(SettingsTests)
REGISTER_TEST(StartupTests)
#include "tst_app.moc"
