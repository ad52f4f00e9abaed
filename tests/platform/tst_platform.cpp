// The INI layer's profile semantics and the prompt seams.
#include "file_size_limit.h"
#include "platform/ini_file.h"
#include "platform/modal.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/save_file.h"
#include "test_files.h"
#include "test_registry.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

class IniTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const char *name) const
    {
        return m_dir.path() + QLatin1Char('/') + QLatin1String(name);
    }

private slots:
    void writingOneKeyKeepsEverythingElse_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray head = "; kept comment\r\n[Misc]\r\nButton Bar=1\r\n";
        QTest::newRow("existing key, other case")
            << "misc"
            << "BUTTON BAR"
            << QByteArray("; kept comment\r\n[Misc]\r\nButton Bar=new\r\nOdd "
                          "line\r\n\r\n[Other]\r\nA=1\r\n");
        QTest::newRow("new key goes to the end of its section")
            << "MISC"
            << "Show Tips"
            << QByteArray(head + "Odd line\r\nShow Tips=new\r\n\r\n[Other]\r\nA=1\r\n");
        QTest::newRow("new section goes to the end")
            << "Defaults"
            << "Country"
            << QByteArray(head +
                          "Odd line\r\n\r\n[Other]\r\nA=1\r\n\r\n[Defaults]\r\nCountry=new\r\n");
    }
    void writingOneKeyKeepsEverythingElse()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, expected);
        const QString path = file("keep.ini");
        // Mixed line ends on the way in; CR LF on the way out.
        writeBytes(path, "; kept comment\n[Misc]\r\nButton Bar=1\rOdd line\n\n[Other]\nA=1");
        QVERIFY(IniFile::writeString(path, section, key, QStringLiteral("new")));
        QCOMPARE(readBytes(path), expected);
    }

    void reading_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("value");
        QTest::newRow("names ignore case") << "GRID font"
                                           << "font NAME" << 0 << "Courier New";
        QTest::newRow("blanks around the value go") << "Misc"
                                                    << "Padded" << 0 << "a b";
        QTest::newRow("quotes go") << "Misc"
                                   << "Quoted" << 0 << " x ";
        QTest::newRow("cut to the buffer") << "Misc"
                                           << "Long" << 5 << "abcde";
        QTest::newRow("missing key gives the default") << "Misc"
                                                       << "Nothing" << 0 << "dflt";
        QTest::newRow("missing section gives the default") << "Nope"
                                                           << "Padded" << 0 << "dflt";
        QTest::newRow("key of another section is not taken") << "Misc"
                                                             << "Font Name" << 0 << "dflt";
        QTest::newRow("Windows-1252 text") << "Misc"
                                           << "Country" << 0 << "Österreich";
        QTest::newRow("empty value is a value") << "Misc"
                                                << "Empty" << 0 << "";
    }
    void reading()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(int, maxLength);
        QFETCH(QString, value);
        const QString path = file("read.ini");
        writeBytes(path, "[Misc]\r\nPadded =   a b  \r\nQuoted=\" x "
                         "\"\r\nLong=abcdefgh\r\nCountry=\xD6sterreich\r\n"
                         "Empty=\r\n[Grid Font]\r\nFont Name=Courier New\r\n");
        QCOMPARE(IniFile::readString(path, section, key, QStringLiteral("dflt"), maxLength), value);
    }

    void missingFileAndFailedWrite()
    {
        QCOMPARE(IniFile::readString(file("none.ini"), QStringLiteral("Misc"), QStringLiteral("A"),
                                     QStringLiteral("d")),
                 QStringLiteral("d"));
        // A file in a directory that does not exist cannot be written: false, nothing made.
        const QString bad = file("no/such/dir/x.ini");
        QVERIFY(!IniFile::writeString(bad, QStringLiteral("Misc"), QStringLiteral("A"),
                                      QStringLiteral("1")));
        QVERIFY(!QFile::exists(bad));
        // Writing Windows-1252 and reading it back.
        QVERIFY(IniFile::writeString(file("cp.ini"), QStringLiteral("Misc"), QStringLiteral("Name"),
                                     QStringLiteral("Zürich €")));
        QCOMPARE(readBytes(file("cp.ini")), QByteArray("[Misc]\r\nName=Z\xFCrich \x80\r\n"));
    }

    // A value is one line: a line break inside it (text pasted into a box) would start a
    // line of its own that reads as another key or as a section taking the keys after it.
    void lineBreaksInAValueStayInIt()
    {
        const QString path = file("breaks.ini");
        IniFile ini(path);
        ini.setValue(QStringLiteral("Defaults"), QStringLiteral("Comment"),
                     QStringLiteral("first\r\n[Other]\rCountry=x\nlast"));
        ini.setValue(QStringLiteral("Defaults"), QStringLiteral("Country"), QStringLiteral("Peru"));
        QVERIFY(ini.save());
        QCOMPARE(
            readBytes(path),
            QByteArray("[Defaults]\r\nComment=first [Other] Country=x last\r\nCountry=Peru\r\n"));
        const IniFile back(path);
        QCOMPARE(back.value(QStringLiteral("Defaults"), QStringLiteral("Country"), QString()),
                 QStringLiteral("Peru"));
        QCOMPARE(
            back.value(QStringLiteral("Other"), QStringLiteral("Country"), QStringLiteral("none")),
            QStringLiteral("none"));
    }

    void directoriesFromTheEnvironment()
    {
        const QByteArray home = qgetenv("NUMAROK_HOME"), config = qgetenv("NUMAROK_CONFIG_DIR"),
                         xdgData = qgetenv("XDG_DATA_HOME");
        qputenv("NUMAROK_HOME", file("prog").toUtf8());
        qputenv("NUMAROK_CONFIG_DIR", file("conf").toUtf8());
        QCOMPARE(paths::programDirectory(), file("prog"));
        QCOMPARE(paths::programFile(QStringLiteral("MASTER.DBF")),
                 file("prog") + QStringLiteral("/MASTER.DBF"));
        QCOMPARE(paths::programSettingsFile(), file("conf") + QStringLiteral("/NUMAROK.INI"));
        QVERIFY(QFileInfo(file("prog")).isDir()); // created on demand
        qunsetenv("NUMAROK_HOME");
        qputenv("XDG_DATA_HOME", file("xdg").toUtf8());
        QCOMPARE(paths::programDirectory(), file("xdg") + QStringLiteral("/numarok"));
        qputenv("NUMAROK_HOME", home);
        qputenv("NUMAROK_CONFIG_DIR", config);
        qputenv("XDG_DATA_HOME", xdgData);
    }
};

class PromptTests : public QObject
{
    Q_OBJECT
private slots:
    void scriptedAnswersAndRecords()
    {
        ScriptedPrompts prompts;
        prompts.answer(int(QMessageBox::No));
        QCOMPARE(Prompts::instance().message(nullptr, QStringLiteral("Delete this record?"),
                                             QStringLiteral("Confirm"), Prompts::Icon::None,
                                             QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                                             false),
                 QMessageBox::No);
        // Nothing queued: the default button, and a cancelled chooser.
        QCOMPARE(Prompts::instance().message(nullptr, QStringLiteral("Sure?"),
                                             QStringLiteral("Warning"), Prompts::Icon::Question,
                                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                                             true),
                 QMessageBox::No);
        QCOMPARE(Prompts::instance().openFile(nullptr, QStringLiteral("Open Database File"),
                                              QString(), QString()),
                 QString());
        QCOMPARE(prompts.asked().size(), 3);
        QCOMPARE(prompts.asked()[0].caption, QStringLiteral("Confirm"));
        QVERIFY(prompts.asked()[0].answered);
        QVERIFY(!prompts.asked()[1].answered);
        QVERIFY(prompts.asked()[1].beep);
        QCOMPARE(prompts.asked()[2].kind, QStringLiteral("open"));
    }

    void modalActionRunsOnTheShownForm()
    {
        QDialog dialog;
        dialog.setObjectName(QStringLiteral("Probe"));
        QString seen;
        modal::enqueue([&seen](QDialog *d) {
            seen = d->objectName() + (d->isVisible() ? QStringLiteral(" shown") : QString());
            d->accept();
        });
        QCOMPARE(modal::show(&dialog), int(QDialog::Accepted));
        QCOMPARE(seen, QStringLiteral("Probe shown"));
        // An action that does not close the form still returns (rejected).
        modal::enqueue([](QDialog *) {});
        QCOMPARE(modal::show(&dialog), int(QDialog::Rejected));
        QCOMPARE(modal::pending(), 0);
    }
};

REGISTER_TEST(IniTests)
REGISTER_TEST(PromptTests)
// A medium that fills up while a file is written beside the old one: the old file stays,
// also for a writer that does not look at what each write returned (as a PDF writer).
class SaveFileTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void fullMediumKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("pieceSize");
        QTest::addColumn<bool>("fits");
        QTest::newRow("small writes, buffered") << 40 << 25 << false;
        QTest::newRow("small writes past the buffer, results unread") << 40 << 1000 << false;
        QTest::newRow("small writes that fit") << 4 << 25 << true;
    }
    void fullMediumKeepsTheOldFile()
    {
        QFETCH(int, pieces);
        QFETCH(int, pieceSize);
        QFETCH(bool, fits);
        const QString path = m_dir.path() + QStringLiteral("/kept.txt");
        writeBytes(path, "the old file");
        bool committed = false;
        {
            const FileSizeLimit limit(512);
            QSaveFile f(path);
            if (f.open(QIODevice::WriteOnly))
                for (int i = 0; i < pieces; ++i)
                    f.write(QByteArray(pieceSize, 'x'));
            committed = platform::commitWhole(f);
        }
        QCOMPARE(committed, fits);
        QCOMPARE(readBytes(path), fits ? QByteArray(pieces * pieceSize, 'x') : "the old file");
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("kept.txt")});
    }
};

REGISTER_TEST(SaveFileTests)

#include "tst_platform.moc"
