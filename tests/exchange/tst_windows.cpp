// The import and export windows through the prompt seams: the format choice, the
// matching grid and its edge cases, refused and unreadable sources, the export grid kept
// in the settings, the search choices and the file choices.
#include "app/settings.h"
#include "config/font_setting.h"
#include "db/coin_schema.h"
#include "dbase/date_style.h"
#include "dbase/table.h"
#include "exchange/exchange_context.h"
#include "exchange/export_window.h"
#include "exchange/import_window.h"
#include "platform/help_window.h"
#include "platform/modal.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"
#include "ui/window_options.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace
{

QString text(dbase::Table &t, int number)
{
    return QString::fromStdString(t.asString(t.fieldByName(coin::field(number).storedName)));
}

// One field of every record, joined by "|".
QString column(dbase::Table &t, int number)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << text(t, number);
    return out.join(QLatin1Char('|'));
}

// A coin table in a temporary directory with the settings and prompts the windows use.
struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    Settings settings;
    dbase::Table table;
    bool searchOn = false;
    int ended = 0, resumed = 0;

    Fixture()
    {
        useDirectories(dir.path());
        dbase::DateStyle::setCurrent(dbase::DateStyle("m/d/yy"));
        table.setDatabaseName(dir.path().toStdString());
        table.setTableName("COINS");
        table.createTable(coin::tableDefinition());
        table.open();
        modal::clear();
    }
    ~Fixture() { modal::clear(); }
    ExchangeContext context()
    {
        ExchangeContext c{table, settings, false, {}, {}, {}, 1.0};
        c.searchOn = searchOn;
        c.endSearch = [this] {
            ++ended;
            table.clearFilter();
        };
        c.resumeSearch = [this] {
            ++resumed;
            setSearch();
        };
        return c;
    }
    // A search for the coins of France.
    void setSearch()
    {
        searchOn = true;
        table.setFilter([](const dbase::Table &t) { return t.asString(0) == "France"; });
    }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        writeBytes(path, bytes);
        return path;
    }
    void addCoin(const QString &country, const QString &comment,
                 const QString &wanted = QStringLiteral("No"))
    {
        table.append();
        table.setAsString(0, country.toStdString());
        table.setAsString(13, comment.toStdString());
        table.setAsString(15, wanted.toStdString());
        table.post();
    }
    QByteArray tableBytes() { return readBytes(QString::fromStdString(table.filePath())); }

    // Runs the import of `path` (format 1 text, 2 dBase) with `act` on the import form
    // before "&Start Import"; false when no import form was shown.
    bool import(const QString &path, int format, const std::function<void(TMyImport *)> &act = {})
    {
        settings.importFileType = format;
        TImportFormat form(context());
        form.FormShow();
        prompts.answer(path);
        bool shown = false;
        modal::enqueue([&](QDialog *d) {
            auto *imp = qobject_cast<TMyImport *>(d);
            QVERIFY(imp);
            shown = true;
            if (act) act(imp);
            imp->StartButtonClick();
        });
        form.FileButtonClick();
        if (!shown) modal::clear();
        return shown;
    }
};

QTableWidget *grid(QWidget *w, const char *name)
{
    return w->findChild<QTableWidget *>(QLatin1String(name));
}

QStringList gridColumn(QTableWidget *g, int c, int rows)
{
    QStringList out;
    for (int r = 0; r < rows; ++r)
        out << g->item(r, c)->text();
    return out;
}

} // namespace

class ImportWindowTests : public QObject
{
    Q_OBJECT
private slots:
    void gridAsShown()
    {
        Fixture f;
        const QString path =
            f.file(QStringLiteral("IN.TXT"), "\"Land\",\"\",\"A name longer than twenty\"\r\n");
        f.import(path, 1, [&](TMyImport *imp) {
            QCOMPARE(imp->windowTitle(), QStringLiteral("Ascii Delimited Text Import"));
            QTableWidget *g = grid(imp, "ImportGrid");
            QCOMPARE(g->rowCount(), 20);
            QCOMPARE(g->horizontalHeaderItem(0)->text(), QStringLiteral("NUMAROK FIELDS"));
            QCOMPARE(g->horizontalHeaderItem(1)->text(), QStringLiteral("IMPORT FIELDS"));
            QCOMPARE(g->horizontalHeaderItem(2)->text(), QStringLiteral("USE"));
            QCOMPARE(g->item(10, 0)->text(), QStringLiteral("Purch Date"));
            QCOMPARE(
                gridColumn(g, 1, 4),
                (QStringList{QStringLiteral("Land"), QStringLiteral("<BLANK FIELD>"),
                             QStringLiteral("A name longer than t"), QStringLiteral("<EMPTY>")}));
            QCOMPARE(gridColumn(g, 2, 4), (QStringList{QStringLiteral("Yes"), QStringLiteral("Yes"),
                                                       QStringLiteral("Yes"), QStringLiteral("")}));
            imp->ImportGridDblClick(3, 2); // an empty cell stays empty
            QCOMPARE(g->item(3, 2)->text(), QString());
            QVERIFY(imp->findChild<QCheckBox *>(QStringLiteral("SkipFirst"))->isVisible());
        });
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("Import Complete."));
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Ok"));
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Import Data"));
    }

    void skipFirstRecord_data()
    {
        QTest::addColumn<bool>("skip");
        QTest::addColumn<QString>("countries");
        QTest::newRow("skip") << true << "France|Spain";
        QTest::newRow("no skip") << false << "Country|France|Spain";
    }
    void skipFirstRecord()
    {
        QFETCH(bool, skip);
        QFETCH(QString, countries);
        Fixture f;
        f.settings.importSkipFirst = !skip;
        const QString path =
            f.file(QStringLiteral("IN.TXT"),
                   "\"Country\",\"Face Value\"\r\n\"France\",\"1\"\r\n\"Spain\",\"2\"\r\n\r\n");
        QVERIFY(f.import(path, 1, [&](TMyImport *imp) {
            auto *box = imp->findChild<QCheckBox *>(QStringLiteral("SkipFirst"));
            box->click();
            QCOMPARE(box->isChecked(), skip);
        }));
        QCOMPARE(f.settings.importSkipFirst, skip);
        QCOMPARE(column(f.table, 1), countries);
    }

    void noFieldUsed()
    {
        Fixture f;
        const QString path = f.file(QStringLiteral("IN.TXT"), "\"C\"\r\n\"France\"\r\n");
        bool stayed = false;
        QVERIFY(f.import(path, 1, [&](TMyImport *imp) {
            imp->ImportGridDblClick(0, 2);
            imp->StartButtonClick();
            stayed = imp->isVisible();
            imp->reject();
        }));
        QVERIFY(stayed);
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("No fields selected for import."));
        QCOMPARE(f.table.recordCount(), 0);
    }

    void useNoLeavesFieldEmpty()
    {
        Fixture f;
        const QString path = f.file(QStringLiteral("IN.TXT"),
                                    "\"C\",\"F\"\r\n\"France\",\"1\"\r\n\"Spain\",\"2\"\r\n");
        QVERIFY(f.import(path, 1, [](TMyImport *imp) { imp->ImportGridDblClick(0, 2); }));
        QCOMPARE(column(f.table, 1), QStringLiteral("|"));
        QCOMPARE(column(f.table, 2), QStringLiteral("1|2"));
    }

    // Both blank names go to the first row that shows "<BLANK FIELD>".
    void blankFieldTwice()
    {
        Fixture f;
        const QString path =
            f.file(QStringLiteral("IN.TXT"), "\"\",\"Coin\",\"\"\r\n\"a\",\"b\",\"c\"\r\n");
        QVERIFY(f.import(path, 1));
        f.table.first();
        QCOMPARE(text(f.table, 1), QStringLiteral("c"));
        QCOMPARE(text(f.table, 2), QStringLiteral("b"));
        QCOMPARE(text(f.table, 3), QString());
    }

    // One column moved down to the purchase date's row with the Down button.
    void datesAndDownButton()
    {
        Fixture f;
        const QString path =
            f.file(QStringLiteral("IN.TXT"), "\"Bought\"\r\n\"12/25/1996\"\r\n\"Dec 25 1996\"\r\n");
        QVERIFY(f.import(path, 1, [](TMyImport *imp) {
            QTableWidget *g = grid(imp, "ImportGrid");
            g->setCurrentCell(0, 1);
            for (int i = 0; i < 10; ++i)
                imp->DownButtonClick();
            QCOMPARE(g->currentRow(), 10);
            QCOMPARE(g->item(10, 1)->text(), QStringLiteral("Bought"));
            QCOMPARE(g->item(10, 0)->text(), QStringLiteral("Purch Date"));
            QCOMPARE(g->item(0, 1)->text(), QStringLiteral("<EMPTY>"));
        }));
        QCOMPARE(column(f.table, 11), QStringLiteral("12/25/96|"));
        QCOMPARE(column(f.table, 1), QStringLiteral("|"));
    }

    void fieldsBelowTwentyNotImported_data()
    {
        QTest::addColumn<bool>("moveUp");
        QTest::addColumn<QString>("userDef4");
        QTest::newRow("as shown") << false << "20";
        QTest::newRow("21 moved up") << true << "21";
    }
    void fieldsBelowTwentyNotImported()
    {
        QFETCH(bool, moveUp);
        QFETCH(QString, userDef4);
        Fixture f;
        QVERIFY(f.import(QStringLiteral(NUMAROK_TEST_DATA "/ascii_30_fields.txt"), 1,
                         [&](TMyImport *imp) {
                             QTableWidget *g = grid(imp, "ImportGrid");
                             QCOMPARE(g->rowCount(), 30);
                             QCOMPARE(g->item(20, 0)->text(), QString());
                             QCOMPARE(g->item(29, 1)->text(), QStringLiteral("F30"));
                             if (moveUp) {
                                 g->setCurrentCell(20, 1);
                                 imp->UpButtonClick();
                             }
                         }));
        QCOMPARE(f.table.recordCount(), 1);
        f.table.first();
        QCOMPARE(text(f.table, 1), QStringLiteral("1"));
        QCOMPARE(text(f.table, 20), userDef4);
    }

    void refusedFirstLine_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("ending");
        QTest::newRow("31 fields")
            << "ascii_31_fields.txt"
            << "The selected file has too many fields.  There are at least 10 more fields than "
               "are required by Numarok.";
        QTest::newRow("bare word")
            << "ascii_bare_word.txt"
            << "The selected file had an unexpected end of a line most likely due to an "
               "unmatched quote.";
        QTest::newRow("256 characters")
            << "ascii_long_first.txt"
            << "The selected file has a field that is greater than 255 characters.";
    }
    void refusedFirstLine()
    {
        QFETCH(QString, file);
        QFETCH(QString, ending);
        Fixture f;
        QVERIFY(!f.import(QStringLiteral(NUMAROK_TEST_DATA "/") + file, 1));
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Error"));
        QVERIFY(f.prompts.asked().last().text.startsWith(QStringLiteral(
            "The file selected does not appear to be an ASCII delimited text file.  ")));
        QVERIFY(f.prompts.asked().last().text.endsWith(ending));
        QCOMPARE(f.table.recordCount(), 0);
    }

    // A bad date refuses the file before anything is appended: the table's bytes stay.
    void badDate()
    {
        Fixture f;
        f.addCoin(QStringLiteral("Kept"), QString());
        const QByteArray before = f.tableBytes();
        const QString path =
            f.file(QStringLiteral("IN.TXT"), "\"Land\",\"Bought\"\r\n\"A\",\"12/25/1996\"\r\n"
                                             "\"B\",\"13/45/1996\"\r\n");
        bool stayed = false;
        QVERIFY(f.import(path, 1, [&](TMyImport *imp) {
            QTableWidget *g = grid(imp, "ImportGrid");
            g->setCurrentCell(1, 1);
            for (int i = 0; i < 9; ++i)
                imp->DownButtonClick();
            imp->StartButtonClick();
            stayed = imp->isVisible();
            imp->reject();
        }));
        QVERIFY(stayed);
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Error"));
        QCOMPARE(f.prompts.asked().last().text,
                 QStringLiteral("Line 3: '13/45/1996' is not a valid date for Purch Date.  "
                                "Nothing was imported."));
        QCOMPARE(f.table.recordCount(), 1);
        QCOMPARE(f.tableBytes(), before);
    }

    void unreadableSource_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("says");
        QTest::newRow("directory") << 1 << "SUB.TXT"
                                   << "it is a directory";
        QTest::newRow("vanished") << 1 << "GONE.TXT"
                                  << "Unable to read";
        QTest::newRow("binary") << 1 << "BIN.TXT"
                                << "is not a text file";
        QTest::newRow("not a table") << 2 << "BIN.DBF"
                                     << "Unable to read";
        QTest::newRow("dBase vanished") << 2 << "GONE.DBF"
                                        << "Unable to read";
    }
    void unreadableSource()
    {
        QFETCH(int, format);
        QFETCH(QString, name);
        QFETCH(QString, says);
        Fixture f;
        QDir(f.dir.path()).mkdir(QStringLiteral("SUB.TXT"));
        f.file(QStringLiteral("BIN.TXT"), QByteArray("\"a\"\0\x01\x02", 6));
        f.file(QStringLiteral("BIN.DBF"), QByteArray("\x7F"
                                                     "ELF\0\0\0garbage",
                                                     14));
        const QByteArray before = f.tableBytes();
        QVERIFY(!f.import(f.dir.filePath(name), format));
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Error"));
        QVERIFY2(f.prompts.asked().last().text.contains(says),
                 qPrintable(f.prompts.asked().last().text));
        QCOMPARE(f.tableBytes(), before);
    }

    void invalidDbaseName()
    {
        Fixture f;
        QVERIFY(!f.import(f.file(QStringLiteral("IN.TXT"), "\"a\"\r\n"), 2));
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("Invalid file type selected."));
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Error"));
    }

    // A table written by python3-dbf: no "Skip First Record", every record imported.
    void dbaseSource()
    {
        Fixture f;
        const QString src = f.dir.filePath(QStringLiteral("SOURCE.DBF"));
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral(
                      "import dbf, datetime, sys\n"
                      "t = dbf.Table(sys.argv[1], 'COUNTRY C(20); FACEVALUE C(20); YEAR C(7); "
                      "CONDITION C(30); MINTMARK C(3); PURCHASEPR N(12,2)', dbf_type='db3', "
                      "codepage='cp1252')\n"
                      "t.open(dbf.READ_WRITE)\n"
                      "t.append(('Österreich', '1 S', '1960', 'VF', 'W', 2.5))\n"
                      "t.append(('Norge', '', '', '', '', None))\n"
                      "t.close()\n"),
                  src});
        py.waitForFinished(60000);
        QCOMPARE(py.exitCode(), 0);
        f.settings.importSkipFirst = true;
        QVERIFY(f.import(src, 2, [](TMyImport *imp) {
            QCOMPARE(imp->windowTitle(), QStringLiteral("DBase File Import"));
            QVERIFY(!imp->findChild<QCheckBox *>(QStringLiteral("SkipFirst"))->isVisibleTo(imp));
            QCOMPARE(grid(imp, "ImportGrid")->item(5, 1)->text(), QStringLiteral("PURCHASEPR"));
        }));
        QCOMPARE(column(f.table, 1), QStringLiteral(u"Österreich|Norge"));
        QCOMPARE(column(f.table, 6), QStringLiteral("2.5|"));
    }

    // The count with group separators, and the finished message with what was changed.
    void countAndFinishedMessage()
    {
        Fixture f;
        QByteArray bytes = "\xEF\xBB\xBF\"Land\",\"Note\"\r\n";
        for (int i = 0; i < 1500; ++i)
            bytes += "\"\xC5\x81\xC3\xB3"
                     "d"
                     "\xC5\xBA\",\"" +
                     QByteArray(300, 'n') + "\"\r\n";
        const QString path = f.file(QStringLiteral("IN.TXT"), bytes);
        QString count;
        QVERIFY(f.import(path, 1, [&](TMyImport *imp) {
            imp->StartButtonClick();
            count = imp->findChild<QLabel *>(QStringLiteral("ImportCountBox"))->text();
        }));
        QCOMPARE(count, QStringLiteral("1,500"));
        QCOMPARE(f.prompts.asked().last().text,
                 QStringLiteral(
                     "Import Complete.  1500 values longer than 255 characters were cut to 255 "
                     "characters.  3000 characters that the database cannot hold were stored as "
                     "\"?\"."));
        f.table.first();
        QCOMPARE(text(f.table, 1), QStringLiteral(u"?ód?"));
        QCOMPARE(text(f.table, 2), QString(20, QLatin1Char('n')));
    }

    // A dBase source with more than 30 fields offers its first 30.
    void dbaseSourceOver30Fields()
    {
        Fixture f;
        const QString src = f.dir.filePath(QStringLiteral("WIDE.DBF"));
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import dbf, sys\n"
                                 "spec = '; '.join('F%d C(3)' % i for i in range(1, 33))\n"
                                 "t = dbf.Table(sys.argv[1], spec, dbf_type='db3')\n"
                                 "t.open(dbf.READ_WRITE)\n"
                                 "t.append(tuple('v%d' % i for i in range(1, 33)))\n"
                                 "t.close()\n"),
                  src});
        py.waitForFinished(60000);
        QCOMPARE(py.exitCode(), 0);
        QVERIFY(f.import(src, 2, [](TMyImport *imp) {
            QCOMPARE(imp->ImportCount, 30);
            QTableWidget *g = grid(imp, "ImportGrid");
            QCOMPARE(g->rowCount(), 30);
            QCOMPARE(g->item(29, 1)->text(), QStringLiteral("F30"));
        }));
        f.table.first();
        QCOMPARE(text(f.table, 1), QStringLiteral("v1"));
    }

    void help()
    {
        Fixture f;
        QString anchor;
        QVERIFY(f.import(f.file(QStringLiteral("IN.TXT"), "\"a\"\r\n\"b\"\r\n"), 1,
                         [&](TMyImport *imp) {
                             imp->HelpButtonClick();
                             QVERIFY(help::browser());
                             anchor = help::browser()->property("anchor").toString();
                         }));
        QCOMPARE(anchor, QStringLiteral("Import_Window"));
    }

    void formatRemembered()
    {
        Fixture f;
        f.settings.importFileType = 1;
        {
            TImportFormat form(f.context());
            form.FormShow();
            QVERIFY(form.findChild<QRadioButton *>(QStringLiteral("AsciiDelimited"))->isChecked());
            form.findChild<QRadioButton *>(QStringLiteral("DBFFormat"))->setChecked(true);
            form.reject();
        }
        QCOMPARE(f.settings.importFileType, 2);
        TImportFormat form(f.context());
        form.FormShow();
        QVERIFY(form.findChild<QRadioButton *>(QStringLiteral("DBFFormat"))->isChecked());
        QCOMPARE(form.windowTitle(), QStringLiteral("Import Format"));
    }
};

class ExportWindowTests : public QObject
{
    Q_OBJECT
private slots:
    void searchChoices_data()
    {
        QTest::addColumn<bool>("searchOnly");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("ended");
        QTest::newRow("search only") << true << QByteArray("\"France\"\r\n\"France\"\r\n") << 0;
        QTest::newRow("entire database")
            << false << QByteArray("\"France\"\r\n\"Spain\"\r\n\"France\"\r\n") << 1;
    }
    void searchChoices()
    {
        QFETCH(bool, searchOnly);
        QFETCH(QByteArray, bytes);
        QFETCH(int, ended);
        Fixture f;
        f.addCoin(QStringLiteral("France"), QString());
        f.addCoin(QStringLiteral("Spain"), QString());
        f.addCoin(QStringLiteral("France"), QString());
        f.setSearch();
        f.settings.exportFirstRow = false;
        for (int i = 1; i < 20; ++i)
            f.settings.exportFields[i] = false;
        TMyExport form(f.context());
        form.FormShow();
        auto *search = form.findChild<QRadioButton *>(QStringLiteral("ExportSearch"));
        QVERIFY(search->isEnabled());
        QVERIFY(search->isChecked());
        if (!searchOnly)
            form.findChild<QRadioButton *>(QStringLiteral("ExportEntire"))->setChecked(true);
        const QString path = f.dir.filePath(QStringLiteral("OUT.TXT"));
        f.prompts.answer(path);
        form.StartExportButtonClick();
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("Export Complete."));
        QCOMPARE(readBytes(path), bytes);
        QCOMPARE(f.ended, ended);
        QCOMPARE(f.resumed, ended);
        QCOMPARE(f.table.recordCount(), 2); // the search applies again
    }

    // The form at its designed size fits the smallest screen size, 640 x 480.
    void fitsTheSmallestScreen()
    {
        Fixture f;
        ExchangeContext c = f.context();
        const Settings defaults; // the fonts a new user has
        c.place = [&defaults](QWidget *d) {
            windowopts::applyFonts(d, fonts::toFont(defaults.labelFont),
                                   fonts::toFont(defaults.editFont),
                                   fonts::toFont(defaults.buttonFont));
            windowopts::scale(d, 1.0);
        };
        TMyExport form(c);
        form.FormShow();
        const QSize hint = form.minimumSizeHint();
        QVERIFY2(hint.width() <= 640 && hint.height() <= 480,
                 qPrintable(QStringLiteral("%1 x %2").arg(hint.width()).arg(hint.height())));
    }

    void searchNotOffered()
    {
        Fixture f;
        TMyExport form(f.context());
        form.FormShow();
        QVERIFY(!form.findChild<QRadioButton *>(QStringLiteral("ExportSearch"))->isEnabled());
        QVERIFY(form.findChild<QRadioButton *>(QStringLiteral("ExportEntire"))->isChecked());
    }

    // Comment moved to the top and Wanted set to No: so written, and so shown again after
    // the settings were written and read back.
    void arrangementKept()
    {
        Fixture f;
        f.addCoin(QStringLiteral("France"), QStringLiteral("say \"hi\""), QStringLiteral("Yes"));
        const QString ini = f.dir.filePath(QStringLiteral("COINS.INI"));
        {
            TMyExport form(f.context());
            form.FormShow();
            QTableWidget *g = grid(&form, "ExportGrid");
            g->setCurrentCell(13, 0);
            for (int i = 0; i < 13; ++i)
                form.UpButtonClick();
            QCOMPARE(g->item(0, 0)->text(), QStringLiteral("Comment"));
            QCOMPARE(g->item(15, 0)->text(), QStringLiteral("Wanted"));
            form.ExportGridDblClick(15, 1);
            QCOMPARE(g->item(15, 1)->text(), QStringLiteral("No"));
            f.prompts.answer(f.dir.filePath(QStringLiteral("OUT.TXT")));
            form.StartExportButtonClick();
        }
        const QList<QByteArray> lines =
            readBytes(f.dir.filePath(QStringLiteral("OUT.TXT"))).split('\n');
        QVERIFY(lines[0].startsWith("\"Comment\",\"Country\",\"Face Value\""));
        QVERIFY(!lines[0].contains("Wanted"));
        QVERIFY(lines[1].startsWith("\"say \"\"hi\"\"\",\"France\""));
        QVERIFY(!lines[1].contains("Yes"));
        QVERIFY(SaveSettings(f.settings, SettingsScope::Database, ini));

        Settings again;
        LoadSettings(again, SettingsScope::Database, ini);
        QCOMPARE(again.exportOrder[13], 1);
        QCOMPARE(again.exportFields[15], false);
        f.settings = again;
        TMyExport form(f.context());
        form.FormShow();
        QTableWidget *g = grid(&form, "ExportGrid");
        QCOMPARE(g->item(0, 0)->text(), QStringLiteral("Comment"));
        QCOMPARE(g->item(15, 0)->text(), QStringLiteral("Wanted"));
        QCOMPARE(g->item(15, 1)->text(), QStringLiteral("No"));
        QCOMPARE(g->item(1, 1)->text(), QStringLiteral("Yes"));
    }

    void firstRowOff()
    {
        Fixture f;
        f.addCoin(QStringLiteral("France"), QString());
        f.settings.exportFirstRow = true;
        TMyExport form(f.context());
        form.FormShow();
        auto *box = form.findChild<QCheckBox *>(QStringLiteral("FirstRow"));
        box->click();
        QVERIFY(!f.settings.exportFirstRow);
        const QString path = f.dir.filePath(QStringLiteral("OUT.TXT"));
        f.prompts.answer(path);
        form.StartExportButtonClick();
        QVERIFY(readBytes(path).startsWith("\"France\","));
        QCOMPARE(f.prompts.asked().first().kind, QStringLiteral("save"));
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Export Data"));
    }

    void defaultsAskFirst()
    {
        Fixture f;
        f.settings.exportOrder[0] = 2;
        f.settings.exportOrder[1] = 1;
        f.settings.exportFields[5] = false;
        TMyExport form(f.context());
        form.FormShow();
        QTableWidget *g = grid(&form, "ExportGrid");
        f.prompts.answer(int(QMessageBox::No));
        form.DefaultsButtonClick();
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Re-Order"));
        QCOMPARE(f.prompts.asked().last().text,
                 QStringLiteral(
                     "This will set the order of fields to the program defaults.  Continue?"));
        QCOMPARE(g->item(0, 0)->text(), QStringLiteral("Face Value"));
        QCOMPARE(g->item(5, 1)->text(), QStringLiteral("No"));
        f.prompts.answer(int(QMessageBox::Yes));
        form.DefaultsButtonClick();
        QCOMPARE(g->item(0, 0)->text(), QStringLiteral("Country"));
        QCOMPARE(gridColumn(g, 1, 20), QStringList(20, QStringLiteral("Yes")));
    }

    void refusals()
    {
        Fixture f;
        for (bool &e : f.settings.exportFields)
            e = false;
        TMyExport form(f.context());
        form.FormShow();
        form.StartExportButtonClick();
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("No fields selected for export."));
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Error"));
        form.ExportGridDblClick(0, 1);
        auto *dbaseFile = form.findChild<QRadioButton *>(QStringLiteral("DBaseFile"));
        dbaseFile->click();
        QVERIFY(!form.findChild<QCheckBox *>(QStringLiteral("FirstRow"))->isVisibleTo(&form));
        f.prompts.answer(f.dir.filePath(QStringLiteral("OUT.TXT")));
        form.StartExportButtonClick();
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("Invalid file type selected."));
        QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("OUT.TXT"))));
        form.reject();
        QCOMPARE(f.settings.exportFileType, 2);
        QCOMPARE(f.settings.exportFields[0], true);
    }

    // A file that cannot be written: a clear error, no file, the form stays for another try.
    void failingWrite()
    {
        Fixture f;
        f.addCoin(QStringLiteral("France"), QString());
        const QString blocker = f.file(QStringLiteral("PLAIN"), "x");
        TMyExport form(f.context());
        form.FormShow();
        form.setProperty("modalKeepOpen", true);
        form.show();
        f.prompts.answer(blocker + QStringLiteral("/OUT.TXT"));
        form.StartExportButtonClick();
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Error"));
        QVERIFY2(f.prompts.asked().last().text.startsWith(QStringLiteral("Unable to create ")),
                 qPrintable(f.prompts.asked().last().text));
        QVERIFY(form.isVisible());
        QCOMPARE(form.findChild<QProgressBar *>(QStringLiteral("MyGauge"))->value(), 0);
        QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("OUT*")}, QDir::Files),
                 QStringList());
        form.HelpButtonClick();
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Export_Window"));
        form.reject();
    }

    void dbaseExport()
    {
        Fixture f;
        f.addCoin(QStringLiteral(u"Österreich"), QStringLiteral("c"));
        f.settings.exportFileType = 2;
        TMyExport form(f.context());
        form.FormShow();
        const QString path = f.dir.filePath(QStringLiteral("OUT.DBF"));
        f.prompts.answer(path);
        form.StartExportButtonClick();
        QCOMPARE(f.prompts.asked().last().text, QStringLiteral("Export Complete."));
        dbase::Table out;
        out.setDatabaseName(f.dir.path().toStdString());
        out.setTableName("OUT.DBF");
        out.open();
        QCOMPARE(out.fieldCount(), 20);
        QCOMPARE(out.recordCount(), 1);
        out.first();
        QCOMPARE(QString::fromStdString(out.asString(0)), QStringLiteral(u"Österreich"));
    }
};

REGISTER_TEST(ImportWindowTests)
REGISTER_TEST(ExportWindowTests)
#include "tst_windows.moc"
