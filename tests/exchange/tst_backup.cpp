// Backup and restore: the whole-file copy on real files (a full medium through a file size
// limit, permissions, the identical-file test by path and by inode), and both windows
// through the main window's commands and the prompt seams, on real tables.
#include "db/coin_schema.h"
#include "db/database_files.h"
#include "dbase/table.h"
#include "exchange/backup_window.h"
#include "exchange/file_copy.h"
#include "platform/help_window.h"
#include "platform/modal.h"
#include "reports/report_file.h"
#include "reports/report_windows.h"
#include "window_fixture.h"

#include "file_size_limit.h"
#include "test_registry.h"

#include <QAction>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString kError = QStringLiteral("Error");
const QString kNotice = QStringLiteral("Notice");
const QString kWarning = QStringLiteral("Warning");
const QString kBackupDone = QStringLiteral("Backup completed successfully.");
const QString kRestoreDone = QStringLiteral("Restore completed successfully.");
const QString kBackupFailed =
    QStringLiteral("An error occurred during backup.  Backup not completed.");
const QString kRestoreFailed =
    QStringLiteral("An error occurred during restore.  Restore not completed.");

QString caseOf(const ScriptedPrompts::Question &q)
{
    return q.caption + QStringLiteral(": ") + q.text;
}

QStringList asked(const ScriptedPrompts &prompts)
{
    QStringList out;
    for (const ScriptedPrompts::Question &q : prompts.asked())
        if (q.kind == QLatin1String("message")) out << caseOf(q);
    return out;
}

void addCoins(dbase::Table &t, const QStringList &countries)
{
    for (const QString &country : countries) {
        t.append();
        t.setAsString(0, country.toStdString());
        t.setAsString(13, std::string(60, 'x')); // some bulk for the size limit
        t.post();
    }
}

// A coin table at `path` with one record per country.
void makeTable(const QString &path, const QStringList &countries)
{
    dbase::Table t;
    QVERIFY(dbfiles::createCoinTable(t, path));
    t.open();
    addCoins(t, countries);
    t.close();
}

QStringList countries(dbase::Table &t)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << QString::fromStdString(t.asString(0));
    return out;
}

// The index tag walked by index_dump: the keys' first words, in index order.
QStringList indexKeys(const QString &mdx, const QString &tag)
{
    QProcess p;
    p.start(QStringLiteral("index_dump"), {mdx, tag});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {QStringLiteral("index_dump failed")};
    QStringList keys;
    for (const QString &line :
         QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        keys << line.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    return keys;
}

QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// A main window on MASTER.DBF in its program directory, and a backup directory beside it.
struct Backups : WindowFixture {
    QString backupDir;

    explicit Backups(const QStringList &coins = {QStringLiteral("Spain"), QStringLiteral("France"),
                                                 QStringLiteral("Italy")})
        : WindowFixture([&coins](dbase::Table &t) { addCoins(t, coins); })
    {
        backupDir = dir.filePath(QStringLiteral("backup"));
        QDir().mkpath(backupDir);
        modal::clear();
        prompts.clear();
    }
    ~Backups() { modal::clear(); }

    QString home() const { return paths::programDirectory(); }
    QString master() const { return paths::programFile(QStringLiteral("MASTER.DBF")); }
    dbase::Table &table() { return w->database().table(); }

    // The backup command with one kind chosen, to `to`; `during` runs around the start.
    // Returns the cancel button's caption after the run.
    QString backup(const char *kind, const QString &to,
                   const std::function<void(TMyBackup *)> &during = {})
    {
        QString cancel;
        modal::enqueue([&](QDialog *d) {
            auto *b = qobject_cast<TMyBackup *>(d);
            QVERIFY(b);
            QCOMPARE(b->windowTitle(), QStringLiteral("Backup"));
            b->findChild<QRadioButton *>(QLatin1String(kind))->setChecked(true);
            b->setDirectory(to);
            if (during)
                during(b);
            else
                b->StartButton->click();
            cancel = b->CancelButton->text();
            d->reject();
        });
        w->action(QStringLiteral("MenuBackup"))->trigger();
        return cancel;
    }

    // The restore command with one kind chosen and `chosen` picked in the file dialog.
    QString restore(const char *kind, const QString &chosen,
                    const std::function<void(TMyRestore *)> &during = {})
    {
        prompts.answer(chosen);
        QString cancel;
        modal::enqueue([&](QDialog *d) {
            auto *r = qobject_cast<TMyRestore *>(d);
            QVERIFY(r);
            QCOMPARE(r->windowTitle(), QStringLiteral("Restore"));
            r->findChild<QRadioButton *>(QLatin1String(kind))->setChecked(true);
            if (during)
                during(r);
            else
                r->StartButton->click();
            cancel = r->CancelButton->text();
            d->reject();
        });
        w->action(QStringLiteral("MenuRestore"))->trigger();
        return cancel;
    }

    // A search for the coins of France, as the search form sets it.
    void searchFrance()
    {
        w->database().searchTest = [](const dbase::Table &t) { return t.asString(0) == "France"; };
        w->EnableEndSearch();
        table().refilter();
        w->DisplayCount();
    }

    // The context the main window gives, with the free space a test chooses.
    BackupContext context(qint64 free)
    {
        return {w->database(),
                {},
                [this] { w->DoEndSearch(); },
                {},
                {},
                {},
                {},
                [free](const QString &) { return free; }};
    }
};

} // namespace

class FileCopyTests : public QObject
{
    Q_OBJECT
private slots:
    void copies()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("A.DBF"));
        QByteArray bytes;
        for (int i = 0; i < 200000; ++i)
            bytes += char(i * 7);
        writeBytes(source, bytes);
        const QString destination = dir.filePath(QStringLiteral("B.DBF"));
        qint64 last = 0;
        QVERIFY(filecopy::copyFile(source, destination, nullptr, [&](qint64 done, qint64 total) {
            QVERIFY(done > last && total == bytes.size());
            last = done;
        }));
        QCOMPARE(readBytes(destination), bytes);
        QCOMPARE(last, qint64(bytes.size()));
        QCOMPARE(filesIn(dir.path()),
                 QStringList({QStringLiteral("A.DBF"), QStringLiteral("B.DBF")}));
    }

    // A full medium: the copy fails with the reason, and the destination keeps its bytes,
    // its permissions, and no temporary file is left.
    void fullMedium()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("A.DBF"));
        writeBytes(source, QByteArray(300000, 'n'));
        const QString destination = dir.filePath(QStringLiteral("B.DBF"));
        writeBytes(destination, "the earlier backup");
        QVERIFY(QFile::setPermissions(destination, QFile::ReadOwner | QFile::WriteOwner));
        QString why;
        {
            const FileSizeLimit limit(100000);
            QVERIFY(!filecopy::copyFile(source, destination, &why));
        }
        QVERIFY2(why.contains(QStringLiteral("B.DBF")), qPrintable(why));
        QCOMPARE(readBytes(destination), QByteArray("the earlier backup"));
        QCOMPARE(filesIn(dir.path()),
                 QStringList({QStringLiteral("A.DBF"), QStringLiteral("B.DBF")}));

        // Once there is room the copy replaces it, keeping its permissions.
        QVERIFY(filecopy::copyFile(source, destination, &why));
        QCOMPARE(readBytes(destination), QByteArray(300000, 'n'));
        QCOMPARE(QFile::permissions(destination),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }

    void failures()
    {
        QTemporaryDir dir;
        QString why;
        QVERIFY(!filecopy::copyFile(dir.filePath(QStringLiteral("MISSING.DBF")),
                                    dir.filePath(QStringLiteral("B.DBF")), &why));
        QVERIFY(why.contains(QStringLiteral("MISSING.DBF")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("B.DBF"))));
        writeBytes(dir.filePath(QStringLiteral("A.DBF")), "abc");
        QVERIFY(!filecopy::copyFile(dir.filePath(QStringLiteral("A.DBF")),
                                    dir.filePath(QStringLiteral("NO/SUCH/B.DBF")), &why));
        QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("A.DBF")});
    }

    void sameFile_data()
    {
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("same");
        QTest::newRow("same path") << QStringLiteral("data/COINS.DBF") << true;
        QTest::newRow("other letter case") << QStringLiteral("DATA/coins.dbf") << true;
        QTest::newRow("dots in the path") << QStringLiteral("data/../data/./COINS.DBF") << true;
        QTest::newRow("hard link") << QStringLiteral("linked/HARD.DBF") << true;
        QTest::newRow("linked directory") << QStringLiteral("alias/COINS.DBF") << true;
        QTest::newRow("a copy") << QStringLiteral("linked/COPY.DBF") << false;
        QTest::newRow("missing") << QStringLiteral("linked/COINS.DBF") << false;
    }
    void sameFile()
    {
        QFETCH(QString, other);
        QFETCH(bool, same);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("data"));
        QDir(dir.path()).mkpath(QStringLiteral("linked"));
        const QString coins = dir.filePath(QStringLiteral("data/COINS.DBF"));
        writeBytes(coins, "coins");
        writeBytes(dir.filePath(QStringLiteral("linked/COPY.DBF")), "coins");
        QCOMPARE(
            ::link(QFile::encodeName(coins).constData(),
                   QFile::encodeName(dir.filePath(QStringLiteral("linked/HARD.DBF"))).constData()),
            0);
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("data")),
                            dir.filePath(QStringLiteral("alias"))));
        QCOMPARE(filecopy::sameFile(coins, dir.filePath(other)), same);
        QCOMPARE(filecopy::sameFile(dir.filePath(other), coins), same);
    }

    void paths()
    {
        QCOMPARE(filecopy::joinPath(QStringLiteral("/"), QStringLiteral("A.DBF")),
                 QStringLiteral("/A.DBF"));
        QCOMPARE(filecopy::joinPath(QStringLiteral("/media/usb"), QStringLiteral("A.DBF")),
                 QStringLiteral("/media/usb/A.DBF"));
        QCOMPARE(filecopy::joinPath(QStringLiteral("/media/usb/"), QStringLiteral("A.DBF")),
                 QStringLiteral("/media/usb/A.DBF"));
        QTemporaryDir dir;
        writeBytes(dir.filePath(QStringLiteral("coins.002")), "x");
        QCOMPARE(filecopy::findFile(dir.path(), QStringLiteral("COINS.002")),
                 dir.filePath(QStringLiteral("coins.002")));
        QCOMPARE(filecopy::findFile(dir.path(), QStringLiteral("COINS.001")),
                 dir.filePath(QStringLiteral("COINS.001")));
        QVERIFY(filecopy::freeSpace(dir.path()) > 0);
    }
};

class BackupWindowTests : public QObject
{
    Q_OBJECT
private slots:
    void init() { modal::clear(); }

    void command()
    {
        Backups f;
        QAction *backup = f.w->action(QStringLiteral("MenuBackup"));
        QAction *restore = f.w->action(QStringLiteral("MenuRestore"));
        QCOMPARE(backup->shortcut(), QKeySequence(QStringLiteral("Ctrl+B")));
        QCOMPARE(restore->shortcut(), QKeySequence(QStringLiteral("Ctrl+Y")));
        QStringList shown;
        modal::enqueue([&](QDialog *d) {
            auto *b = qobject_cast<TMyBackup *>(d);
            QVERIFY(b);
            // The first kind checked, the chooser in the program directory.
            QVERIFY(b->BackDBF->isChecked());
            QCOMPARE(b->directory(), f.home());
            QCOMPARE(b->StartButton->text(), QStringLiteral("&Start Back Up"));
            QVERIFY(b->StartButton->isDefault());
            QCOMPARE(b->CancelButton->text(), QStringLiteral("&Cancel"));
            // A folder typed into the path box is shown in the tree.
            QTest::keyClick(b->DirEdit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(b->DirEdit, f.backupDir);
            emit b->DirEdit->editingFinished();
            auto *model = qobject_cast<QFileSystemModel *>(b->DirBox->model());
            QCOMPARE(model->filePath(b->DirBox->currentIndex()), f.backupDir);
            QCOMPARE(b->directory(), f.backupDir);
            for (QRadioButton *r : {b->BackDBF, b->BackLST, b->BackURP, b->BackINI})
                shown << r->text();
            b->CancelButton->click();
        });
        backup->trigger();
        modal::enqueue([&](QDialog *d) {
            auto *r = qobject_cast<TMyRestore *>(d);
            QVERIFY(r);
            QVERIFY(r->RestoreDBF->isChecked());
            QCOMPARE(r->StartButton->text(), QStringLiteral("&Start Restore"));
            for (QRadioButton *b : {r->RestoreDBF, r->RestoreLST, r->RestoreURP, r->RestoreINI})
                shown << b->text();
            r->CancelButton->click();
        });
        restore->trigger();
        QCOMPARE(shown, QStringList({QStringLiteral("Current &Database (*.DBF)"),
                                     QStringLiteral("Data &Lists of Current Database (*.0xx)"),
                                     QStringLiteral("Global &Report Definitions (*.URP)"),
                                     QStringLiteral("Config &File of Current Database (*.INI)"),
                                     QStringLiteral("&Database File (*.DBF)"),
                                     QStringLiteral("Data &Lists of a Database (*.0xx)"),
                                     QStringLiteral("Global &Report Definitions (*.URP)"),
                                     QStringLiteral("Config &File of a Database (*.INI)")}));
        QCOMPARE(modal::pending(), 0);
    }

    void browseMode()
    {
        WindowFixture f({}, {QStringLiteral("/BROWSE")});
        QVERIFY(!f.w->action(QStringLiteral("MenuBackup"))->isEnabled());
        QVERIFY(!f.w->action(QStringLiteral("MenuRestore"))->isEnabled());
    }

    // The table copied whole; a search on before is on after, with its records.
    void tableWithSearch()
    {
        Backups f;
        f.searchFrance();
        QCOMPARE(f.table().recordCount(), 1);
        // The folder picked in the tree.
        const QString cancel = f.backup("BackDBF", f.home(), [&](TMyBackup *b) {
            auto *model = qobject_cast<QFileSystemModel *>(b->DirBox->model());
            b->DirBox->setCurrentIndex(model->index(f.backupDir));
            QCOMPARE(b->DirEdit->text(), f.backupDir);
            b->StartButton->click();
        });
        QCOMPARE(asked(f.prompts), QStringList{kNotice + QStringLiteral(": ") + kBackupDone});
        QCOMPARE(cancel, QStringLiteral("&Close"));
        const QString copy = f.backupDir + QStringLiteral("/MASTER.DBF");
        QCOMPARE(readBytes(copy), readBytes(f.master()));
        dbase::Table t; // a copy has no index file beside it
        t.setDatabaseName(f.backupDir.toStdString());
        t.setTableName("MASTER");
        t.setIgnoreIndexFile(true);
        t.open();
        QCOMPARE(countries(t), QStringList({QStringLiteral("Spain"), QStringLiteral("France"),
                                            QStringLiteral("Italy")}));
        t.close();
        QVERIFY(f.w->database().searchOn());
        QVERIFY(f.table().isOpen());
        QVERIFY(!f.table().exclusive());
        QCOMPARE(countries(f.table()), QStringList{QStringLiteral("France")});
        QCOMPARE(filesIn(f.backupDir), QStringList{QStringLiteral("MASTER.DBF")});
    }

    // Backing up to the folder that holds the table: refused before the table is touched.
    void identicalKeepsTableOpen()
    {
        Backups f;
        int closed = 0;
        const int id = f.table().addListener([&](dbase::Table::Event e) {
            if (e == dbase::Table::Event::Closed) ++closed;
        });
        const QString cancel = f.backup("BackDBF", f.home());
        f.table().removeListener(id);
        QCOMPARE(asked(f.prompts),
                 QStringList{kError + QStringLiteral(": Destination File and Source File are "
                                                     "identical.  You cannot copy a file  over "
                                                     "top of itself.  Please choose a different "
                                                     "directory/folder to backup to.")});
        QCOMPARE(closed, 0);
        QVERIFY(f.table().isOpen());
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
    }

    // The same folder reached through a link is the same file.
    void identicalThroughLink()
    {
        Backups f;
        const QString alias = f.dir.filePath(QStringLiteral("alias"));
        QVERIFY(QFile::link(f.home(), alias));
        f.backup("BackDBF", alias);
        QCOMPARE(asked(f.prompts).size(), 1);
        QVERIFY(asked(f.prompts).first().startsWith(
            kError + QStringLiteral(": Destination File and Source File are identical.")));
        QCOMPARE(f.table().recordCount(), 3);
    }

    // Another program has the table open: refused, the table open again, the search on.
    void otherProgramHoldsTable()
    {
        Backups f;
        f.searchFrance();
        dbase::Table other;
        dbfiles::locate(other, f.master());
        other.open();
        f.backup("BackDBF", f.backupDir);
        QCOMPARE(asked(f.prompts),
                 QStringList{kError +
                             QStringLiteral(": Backing up the database requires exclusive use of "
                                            "the DBase File.  Make sure that the DBase File is not "
                                            "in use by another program  or that no other users are "
                                            "running the software or that no other copies of the "
                                            "software are in use.")});
        QVERIFY(f.table().isOpen());
        QVERIFY(f.w->database().searchOn());
        QCOMPARE(countries(f.table()), QStringList{QStringLiteral("France")});
        QVERIFY(filesIn(f.backupDir).isEmpty());
        // Once the other program is gone the backup runs, in the order of the sort index.
        other.close();
        f.prompts.clear();
        f.backup("BackDBF", f.backupDir);
        QCOMPARE(asked(f.prompts), QStringList{kNotice + QStringLiteral(": ") + kBackupDone});
        QCOMPARE(QString::fromStdString(f.table().indexName()), QStringLiteral("NewIndex"));
    }

    // A full medium: the error message, never the success notice, and the earlier backup
    // on the medium keeps its bytes.
    void fullMedium()
    {
        QStringList coins;
        for (int i = 0; i < 300; ++i)
            coins << QStringLiteral("Country %1").arg(i);
        Backups f(coins);
        const QString copy = f.backupDir + QStringLiteral("/MASTER.DBF");
        writeBytes(copy, "the earlier backup");
        const QString cancel = f.backup("BackDBF", f.backupDir, [&](TMyBackup *b) {
            const FileSizeLimit limit(64 * 1024);
            b->StartButton->click();
        });
        QCOMPARE(asked(f.prompts), QStringList{kError + QStringLiteral(": ") + kBackupFailed});
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
        QCOMPARE(readBytes(copy), QByteArray("the earlier backup"));
        QCOMPARE(filesIn(f.backupDir), QStringList{QStringLiteral("MASTER.DBF")});
        QVERIFY(f.table().isOpen());
        QCOMPARE(f.table().recordCount(), 300);
    }

    // The room test with the free space told: refused when the table does not fit, run
    // when it just fits.
    void room()
    {
        Backups f;
        const qint64 size = QFileInfo(f.master()).size();
        {
            TMyBackup b(f.context(size - 1), f.w.get());
            b.FormShow();
            b.setDirectory(f.backupDir);
            b.StartButton->click();
        }
        QCOMPARE(asked(f.prompts),
                 QStringList{kError +
                             QStringLiteral(": There is not enough room on the destination drive "
                                            "to perform a backup.  If you are already using blank "
                                            "empty media, then you will need to use the ASCII "
                                            "Delimited Import/Export functions for backup and "
                                            "restore purposes.")});
        QVERIFY(filesIn(f.backupDir).isEmpty());
        QVERIFY(f.table().isOpen());
        f.prompts.clear();
        {
            const QString urp = paths::programFile(QStringLiteral("NUMAROK.URP"));
            TMyBackup b(f.context(QFileInfo(urp).size() - 1), f.w.get());
            b.FormShow();
            b.BackURP->setChecked(true);
            b.setDirectory(f.backupDir);
            b.StartButton->click();
        }
        QCOMPARE(asked(f.prompts),
                 QStringList{kError +
                             QStringLiteral(": There is not enough room on the destination drive "
                                            "to backup this file.  You will need to free up space "
                                            "on the destination drive or use an alternative method "
                                            "to backup the \"NUMAROK.URP\" file.")});
        f.prompts.clear();
        {
            TMyBackup b(f.context(size), f.w.get());
            b.FormShow();
            b.setDirectory(f.backupDir);
            b.StartButton->click();
        }
        QCOMPARE(asked(f.prompts), QStringList{kNotice + QStringLiteral(": ") + kBackupDone});
        QCOMPARE(readBytes(f.backupDir + QStringLiteral("/MASTER.DBF")), readBytes(f.master()));
    }

    // Only the list files that exist are copied (here the lists are not saved first, as
    // for a database whose Topic list was never written).
    void listsOnlyFirstAndThird()
    {
        Backups f;
        writeBytes(f.home() + QStringLiteral("/MASTER.001"), "Spain\r\n");
        QFile::remove(f.home() + QStringLiteral("/MASTER.002"));
        writeBytes(f.home() + QStringLiteral("/MASTER.003"), "Fine\r\n");
        BackupContext context = f.context(-1);
        const auto save = f.w->database().saveLists;
        f.w->database().saveLists = {};
        {
            TMyBackup b(context, f.w.get());
            b.FormShow();
            b.BackLST->setChecked(true);
            b.setDirectory(f.backupDir);
            b.StartButton->click();
            QCOMPARE(b.CancelButton->text(), QStringLiteral("&Close"));
        }
        f.w->database().saveLists = save;
        QCOMPARE(asked(f.prompts), QStringList{kNotice + QStringLiteral(": ") + kBackupDone});
        QCOMPARE(filesIn(f.backupDir),
                 QStringList({QStringLiteral("MASTER.001"), QStringLiteral("MASTER.003")}));
        QCOMPARE(readBytes(f.backupDir + QStringLiteral("/MASTER.003")), QByteArray("Fine\r\n"));
    }

    // The lists are saved first, so what the editor holds is what is backed up; the
    // settings likewise; the report definitions from the program directory.
    void listsSettingsReports()
    {
        Backups f;
        f.w->lists.setList(picklists::Topic, {QStringLiteral("Ships"), QStringLiteral("Birds")});
        f.w->database().settings().fieldNames[0] = QStringLiteral("Land");
        QCOMPARE(f.backup("BackLST", f.backupDir), QStringLiteral("&Close"));
        QCOMPARE(readBytes(f.backupDir + QStringLiteral("/MASTER.002")),
                 QByteArray("Ships\r\nBirds\r\n"));
        QCOMPARE(f.backup("BackINI", f.backupDir), QStringLiteral("&Close"));
        QVERIFY(readBytes(f.backupDir + QStringLiteral("/MASTER.INI")).contains("=Land\r\n"));
        QCOMPARE(f.backup("BackURP", f.backupDir), QStringLiteral("&Close"));
        QCOMPARE(readBytes(f.backupDir + QStringLiteral("/NUMAROK.URP")),
                 readBytes(paths::programFile(QStringLiteral("NUMAROK.URP"))));
        QCOMPARE(asked(f.prompts), QStringList(3, kNotice + QStringLiteral(": ") + kBackupDone));
        f.prompts.clear();
        f.backup("BackURP", f.home());
        QCOMPARE(asked(f.prompts),
                 QStringList{kError + QStringLiteral(": Destination File and Source File are "
                                                     "identical.  You cannot copy a file  over "
                                                     "top of itself.  Please choose a different "
                                                     "directory to backup to.")});
    }

    // Settings that cannot be written now (a full medium): the backup fails rather than
    // copy the settings as they were last saved and call that a success, and the settings
    // file keeps its bytes.
    void settingsThatCannotBeSaved()
    {
        Backups f;
        const QString ini = f.w->database().settingsFilePath();
        writeBytes(ini, "[Old]\r\n");
        f.w->database().settings().fieldNames[0] = QStringLiteral("Land");
        const QString cancel = f.backup("BackINI", f.backupDir, [&](TMyBackup *b) {
            const FileSizeLimit limit(16);
            b->StartButton->click();
        });
        QCOMPARE(asked(f.prompts), QStringList{kError + QStringLiteral(": ") + kBackupFailed});
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
        QCOMPARE(filesIn(f.backupDir), QStringList{});
        QCOMPARE(readBytes(ini), QByteArray("[Old]\r\n")); // not cut short
    }

    // Lists that cannot be saved now (a full medium): the backup fails rather than copy the
    // lists as they were last saved and call that a success, and the files keep their bytes.
    void listsThatCannotBeSaved()
    {
        Backups f;
        for (const char *ext : {"001", "002", "003"})
            writeBytes(f.home() + QStringLiteral("/MASTER.") + QLatin1String(ext), "Old\r\n");
        f.w->lists.setList(picklists::Country, {QStringLiteral("Spain"), QStringLiteral("France"),
                                                QStringLiteral("Italy"), QStringLiteral("Peru")});
        const QString cancel = f.backup("BackLST", f.backupDir, [&](TMyBackup *b) {
            const FileSizeLimit limit(16);
            b->StartButton->click();
        });
        QCOMPARE(asked(f.prompts), QStringList{kError + QStringLiteral(": ") + kBackupFailed});
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
        QCOMPARE(filesIn(f.backupDir), QStringList{});
        QCOMPARE(readBytes(f.home() + QStringLiteral("/MASTER.001")), QByteArray("Old\r\n"));
    }

    void help()
    {
        Backups f;
        QStringList anchors;
        auto ask = [&](QDialog *d) {
            d->findChild<QPushButton *>(QStringLiteral("HelpButton"))->click();
            QVERIFY(help::browser());
            anchors << help::browser()->property("anchor").toString();
            d->reject();
        };
        modal::enqueue(ask);
        f.w->action(QStringLiteral("MenuBackup"))->trigger();
        modal::enqueue(ask);
        f.w->action(QStringLiteral("MenuRestore"))->trigger();
        QCOMPARE(anchors, QStringList(2, QStringLiteral("Backup_and_Restore")));
    }
};

class RestoreWindowTests : public QObject
{
    Q_OBJECT
private slots:
    void init() { modal::clear(); }

    // A table of the open database's name from a backup replaces it: the old index file
    // goes, "NewIndex" is built afresh from the sort order, and the search ends.
    void tableOverOpenOne()
    {
        Backups f;
        f.w->database().settings().sortLevels[0] = 1; // Country
        for (int k = 1; k < 4; ++k)
            f.w->database().settings().sortLevels[k] = 0;
        f.searchFrance();
        const QString backup = f.backupDir + QStringLiteral("/MASTER.DBF");
        makeTable(backup, {QStringLiteral("Peru"), QStringLiteral("Chile"), QStringLiteral("Egypt"),
                           QStringLiteral("Benin")});
        // A second tag in the old index file, which a file built afresh does not have.
        const QString mdx = f.home() + QStringLiteral("/MASTER.MDX");
        f.table().close();
        {
            dbase::Table t;
            dbfiles::locate(t, f.master());
            t.setExclusive(true);
            t.open();
            t.addIndex("OLDTAG", "UPPER(COUNTRY)");
        }
        f.w->database().reopenShared();
        QCOMPARE(indexKeys(mdx, QStringLiteral("OLDTAG")),
                 QStringList(
                     {QStringLiteral("FRANCE"), QStringLiteral("ITALY"), QStringLiteral("SPAIN")}));
        const QByteArray oldIndex = readBytes(mdx);
        QVERIFY(!oldIndex.isEmpty());
        const QString cancel = f.restore("RestoreDBF", backup);
        QCOMPARE(cancel, QStringLiteral("&Close"));
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Restore Database File"));
        QCOMPARE(asked(f.prompts), QStringList{kNotice + QStringLiteral(": ") + kRestoreDone});
        QVERIFY(!f.w->database().searchOn());
        QCOMPARE(f.w->database().currentPath(), f.master());
        QCOMPARE(countries(f.table()),
                 QStringList({QStringLiteral("Benin"), QStringLiteral("Chile"),
                              QStringLiteral("Egypt"), QStringLiteral("Peru")}));
        QVERIFY(readBytes(mdx) != oldIndex);
        QCOMPARE(indexKeys(mdx, QStringLiteral("OLDTAG")),
                 QStringList{QStringLiteral("index_dump failed")});
        QCOMPARE(indexKeys(mdx, QStringLiteral("NewIndex")),
                 QStringList({QStringLiteral("BENIN"), QStringLiteral("CHILE"),
                              QStringLiteral("EGYPT"), QStringLiteral("PERU")}));
        QCOMPARE(f.w->findChild<QLabel *>(QStringLiteral("CountLabel"))->text(),
                 QStringLiteral("4"));
        QCOMPARE(f.w->windowTitle(), QStringLiteral("Numarok (MASTER)"));
    }

    // Another name: the restored file in the program directory becomes the open database,
    // with its own settings and lists; the one before heads the recent files.
    void tableUnderOtherName()
    {
        Backups f;
        const QString backup = f.backupDir + QStringLiteral("/COINS.DBF");
        makeTable(backup, {QStringLiteral("Peru")});
        f.restore("RestoreDBF", backup);
        QCOMPARE(asked(f.prompts), QStringList{kNotice + QStringLiteral(": ") + kRestoreDone});
        const QString restored = f.home() + QStringLiteral("/COINS.DBF");
        QVERIFY(QFile::exists(restored));
        QCOMPARE(f.w->database().currentPath(), restored);
        QCOMPARE(f.w->windowTitle(), QStringLiteral("Numarok (COINS)"));
        QCOMPARE(f.w->database().settingsFilePath(), f.home() + QStringLiteral("/COINS.INI"));
        QCOMPARE(f.w->database().basePath(), f.home() + QStringLiteral("/COINS"));
        QCOMPARE(f.w->database().settings().lastFiles[0], f.master());
        QCOMPARE(countries(f.table()), QStringList{QStringLiteral("Peru")});
        QVERIFY(QFile::exists(f.home() + QStringLiteral("/MASTER.INI")));
    }

    // A backup whose name a medium turned into small letters replaces the table of that
    // name in the program directory, the open one here, instead of landing beside it.
    void tableNameInOtherCase()
    {
        Backups f;
        const QString backup = f.backupDir + QStringLiteral("/master.dbf");
        makeTable(backup, {QStringLiteral("Peru")});
        QVERIFY(QFile::exists(backup));
        f.restore("RestoreDBF", backup);
        QCOMPARE(asked(f.prompts), QStringList{kNotice + QStringLiteral(": ") + kRestoreDone});
        QCOMPARE(filesIn(f.home()).filter(QStringLiteral(".dbf"), Qt::CaseInsensitive),
                 QStringList{QStringLiteral("MASTER.DBF")});
        QCOMPARE(f.w->database().currentPath(), f.master());
        QCOMPARE(f.w->database().settingsFilePath(), f.home() + QStringLiteral("/MASTER.INI"));
        QCOMPARE(countries(f.table()), QStringList{QStringLiteral("Peru")});
        QCOMPARE(f.w->windowTitle(), QStringLiteral("Numarok (MASTER)"));
    }

    // A file that is not a dBase table by its name (here a renamed copy, with a table of
    // the open database's name beside it) is refused before anything is copied or removed.
    void tableOfOtherFileType()
    {
        Backups f;
        const QString backup = f.backupDir + QStringLiteral("/MASTER.BAK");
        makeTable(f.backupDir + QStringLiteral("/MASTER.DBF"), {QStringLiteral("Peru")});
        QVERIFY(QFile::copy(f.backupDir + QStringLiteral("/MASTER.DBF"), backup));
        const QStringList before = filesIn(f.home());
        const QByteArray index = readBytes(f.home() + QStringLiteral("/MASTER.MDX"));
        f.restore("RestoreDBF", backup);
        QCOMPARE(asked(f.prompts),
                 QStringList{kError + QStringLiteral(": Invalid file type selected.")});
        QCOMPARE(filesIn(f.home()), before);
        QCOMPARE(readBytes(f.home() + QStringLiteral("/MASTER.MDX")), index);
        QCOMPARE(countries(f.table()),
                 QStringList(
                     {QStringLiteral("Spain"), QStringLiteral("France"), QStringLiteral("Italy")}));
    }

    void tableIdentical()
    {
        Backups f;
        f.restore("RestoreDBF", f.master());
        QCOMPARE(asked(f.prompts),
                 QStringList{kError + QStringLiteral(": Destination File and Source File are "
                                                     "identical.  You cannot copy a file  over "
                                                     "top of itself.  Please choose a different "
                                                     "directory/folder to restore from.")});
        QCOMPARE(f.table().recordCount(), 3);
    }

    void tableNotOurs()
    {
        Backups f;
        const QString backup = f.backupDir + QStringLiteral("/OTHER.DBF");
        dbase::Table t;
        t.setDatabaseName(f.backupDir.toStdString());
        t.setTableName("OTHER");
        t.createTable({dbase::FieldDef::text("NAME", 10)});
        f.restore("RestoreDBF", backup);
        QCOMPARE(asked(f.prompts).size(), 1);
        QVERIFY(asked(f.prompts).first().contains(QStringLiteral("was not created with Numarok")));
        QVERIFY(!QFile::exists(f.home() + QStringLiteral("/OTHER.DBF")));
        QCOMPARE(f.w->database().currentPath(), f.master());
    }

    // Another program has the open table: the plain refusal, and the table as it was.
    void otherProgramHoldsTable()
    {
        Backups f;
        const QString backup = f.backupDir + QStringLiteral("/MASTER.DBF");
        makeTable(backup, {QStringLiteral("Peru")});
        const QByteArray before = readBytes(f.master());
        dbase::Table other;
        dbfiles::locate(other, f.master());
        other.open();
        const QString cancel = f.restore("RestoreDBF", backup);
        QCOMPARE(asked(f.prompts),
                 QStringList{QStringLiteral("Numarok: Unable to restore the database.  Make sure "
                                            "the database is not in use by any other users or "
                                            "by another copy of the software.")});
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
        QCOMPARE(readBytes(f.master()), before);
        QVERIFY(f.table().isOpen());
        QCOMPARE(f.table().recordCount(), 3);
    }

    // A full medium during the restore: the error, and the open table as it was.
    void fullMedium()
    {
        Backups f;
        const QString backup = f.backupDir + QStringLiteral("/MASTER.DBF");
        QStringList coins;
        for (int i = 0; i < 300; ++i)
            coins << QStringLiteral("Country %1").arg(i);
        makeTable(backup, coins);
        const QByteArray before = readBytes(f.master());
        f.restore("RestoreDBF", backup, [](TMyRestore *r) {
            const FileSizeLimit limit(64 * 1024);
            r->StartButton->click();
        });
        QCOMPARE(asked(f.prompts), QStringList{kError + QStringLiteral(": ") + kRestoreFailed});
        QCOMPARE(readBytes(f.master()), before);
        QCOMPARE(filesIn(f.home()).filter(QStringLiteral("MASTER.DBF")),
                 QStringList{QStringLiteral("MASTER.DBF")});
        QVERIFY(f.table().isOpen());
        QCOMPARE(f.table().recordCount(), 3);
        QCOMPARE(f.w->database().currentPath(), f.master());
    }

    void room()
    {
        Backups f;
        const QString backup = f.backupDir + QStringLiteral("/COINS.DBF");
        makeTable(backup, {QStringLiteral("Peru")});
        f.prompts.answer(backup);
        {
            TMyRestore r(f.context(100), f.w.get());
            r.FormShow();
            r.StartButton->click();
        }
        QCOMPARE(asked(f.prompts),
                 QStringList{kError +
                             QStringLiteral(": There is not enough room on the destination drive "
                                            "to perform a restore.  You will need to free up hard "
                                            "drive space before completing the restore.")});
        QVERIFY(!QFile::exists(f.home() + QStringLiteral("/COINS.DBF")));
        QCOMPARE(f.w->database().currentPath(), f.master());
        QVERIFY(f.table().isOpen());
    }

    // Only the Topic list in the backup: a warning for each missing one, then the notice
    // that not all were restored; the Topic list reloaded.
    void listsOnlySecond()
    {
        Backups f;
        // The lists as the editor keeps them, written beside the database.
        f.w->lists.setList(picklists::Country, {QStringLiteral("Spain")});
        f.w->database().saveLists(f.w->database().basePath());
        writeBytes(f.backupDir + QStringLiteral("/MASTER.002"), "Ships\r\nBirds\r\n");
        writeBytes(f.backupDir + QStringLiteral("/MASTER.DBF"), "any");
        const QString cancel = f.restore("RestoreLST", f.backupDir + QStringLiteral("/MASTER.DBF"));
        const QString missing = QStringLiteral(
            ": The following file \"MASTER.%1\" could not be located on the specified source "
            "drive.");
        QCOMPARE(asked(f.prompts),
                 QStringList({kWarning + missing.arg(QStringLiteral("001")),
                              kWarning + missing.arg(QStringLiteral("003")),
                              kNotice + QStringLiteral(": One or more files were not restored.  "
                                                       "Restore may not have completed "
                                                       "successfully.")}));
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Restore Data List Files"));
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
        QCOMPARE(readBytes(f.home() + QStringLiteral("/MASTER.002")),
                 QByteArray("Ships\r\nBirds\r\n"));
        QCOMPARE(f.w->lists.list(picklists::Topic),
                 QStringList({QStringLiteral("Ships"), QStringLiteral("Birds")}));
        QCOMPARE(f.w->lists.list(picklists::Country), QStringList{QStringLiteral("Spain")});
    }

    // A database whose lists were never written yet: the restored Topic list is the one the
    // editor holds afterwards and the one it saves later; the other two stay as they were.
    void listsBeforeAnyWereSaved()
    {
        Backups f;
        QVERIFY(!QFile::exists(f.home() + QStringLiteral("/MASTER.001")));
        f.w->lists.setList(picklists::Country, {QStringLiteral("Spain")});
        writeBytes(f.backupDir + QStringLiteral("/MASTER.002"), "Ships\r\nBirds\r\n");
        f.restore("RestoreLST", f.backupDir + QStringLiteral("/MASTER.DBF"));
        QCOMPARE(f.w->lists.list(picklists::Topic),
                 QStringList({QStringLiteral("Ships"), QStringLiteral("Birds")}));
        QCOMPARE(f.w->lists.list(picklists::Country), QStringList{QStringLiteral("Spain")});
        f.w->database().saveLists(f.w->database().basePath());
        QCOMPARE(readBytes(f.home() + QStringLiteral("/MASTER.002")),
                 QByteArray("Ships\r\nBirds\r\n"));
    }

    // A restore that stops at the second list (a full disk): the first one, already
    // restored, is what the editor holds, so that it does not save its older list over it.
    void listsStoppedHalfway()
    {
        Backups f;
        f.w->lists.setList(picklists::Country, {QStringLiteral("Spain")});
        f.w->database().saveLists(f.w->database().basePath());
        const QByteArray topics = readBytes(f.home() + QStringLiteral("/MASTER.002"));
        writeBytes(f.backupDir + QStringLiteral("/MASTER.001"), "Peru\r\nChile\r\n");
        writeBytes(f.backupDir + QStringLiteral("/MASTER.002"), QByteArray(100000, 'x'));
        const QString cancel =
            f.restore("RestoreLST", f.backupDir + QStringLiteral("/MASTER.DBF"), [](TMyRestore *r) {
                const FileSizeLimit limit(64 * 1024);
                r->StartButton->click();
            });
        QCOMPARE(asked(f.prompts), QStringList{kError + QStringLiteral(": ") + kRestoreFailed});
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
        QCOMPARE(readBytes(f.home() + QStringLiteral("/MASTER.002")), topics);
        QCOMPARE(f.w->lists.list(picklists::Country),
                 QStringList({QStringLiteral("Peru"), QStringLiteral("Chile")}));
        f.w->database().saveLists(f.w->database().basePath());
        QCOMPARE(readBytes(f.home() + QStringLiteral("/MASTER.001")),
                 QByteArray("Peru\r\nChile\r\n"));
    }

    // The lists the editor holds cannot be saved first (a full medium): nothing is restored,
    // so that the lists not in the backup are not read back older than the editor's.
    void listsThatCannotBeSavedFirst()
    {
        Backups f;
        writeBytes(f.home() + QStringLiteral("/MASTER.001"), "Old\r\n");
        const QStringList countries{QStringLiteral("Spain"), QStringLiteral("France"),
                                    QStringLiteral("Italy"), QStringLiteral("Peru")};
        f.w->lists.setList(picklists::Country, countries);
        writeBytes(f.backupDir + QStringLiteral("/MASTER.002"), "Ships\r\n");
        const QString cancel =
            f.restore("RestoreLST", f.backupDir + QStringLiteral("/MASTER.DBF"), [](TMyRestore *r) {
                const FileSizeLimit limit(16);
                r->StartButton->click();
            });
        QCOMPARE(asked(f.prompts), QStringList{kError + QStringLiteral(": ") + kRestoreFailed});
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
        QCOMPARE(f.w->lists.list(picklists::Country), countries);
        QCOMPARE(readBytes(f.home() + QStringLiteral("/MASTER.001")), QByteArray("Old\r\n"));
    }

    void listsAll()
    {
        Backups f;
        for (const char *ext : {"001", "002", "003"})
            writeBytes(f.backupDir + QStringLiteral("/MASTER.") + QLatin1String(ext),
                       QByteArray("Entry ") + ext + "\r\n");
        const QString cancel = f.restore("RestoreLST", f.backupDir + QStringLiteral("/MASTER.DBF"));
        QCOMPARE(
            asked(f.prompts),
            QStringList{kNotice +
                        QStringLiteral(": ALL proper \"Data List\" files restored successfully.")});
        QCOMPARE(cancel, QStringLiteral("&Close"));
        QCOMPARE(f.w->lists.list(picklists::Country), QStringList{QStringLiteral("Entry 001")});
        QCOMPARE(f.w->lists.list(picklists::Condition), QStringList{QStringLiteral("Entry 003")});
    }

    // The open database's settings file read anew and applied at once.
    void settingsOfOpenDatabase()
    {
        Backups f;
        f.w->database().settings().fieldNames[0] = QStringLiteral("Land");
        f.w->database().saveSettings(f.w->database().settingsFilePath());
        QVERIFY(QFile::copy(f.w->database().settingsFilePath(),
                            f.backupDir + QStringLiteral("/MASTER.INI")));
        f.w->database().settings().fieldNames[0] = QStringLiteral("Nation");
        const QString cancel = f.restore("RestoreINI", f.backupDir + QStringLiteral("/MASTER.DBF"));
        QCOMPARE(
            asked(f.prompts),
            QStringList{kNotice + QStringLiteral(": Configuration File restored successfully.")});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Restore Configuration File"));
        QCOMPARE(cancel, QStringLiteral("&Close"));
        QCOMPARE(f.w->database().settings().fieldNames[0], QStringLiteral("Land"));
        QVERIFY(f.table().isOpen());
        f.prompts.clear();
        f.restore("RestoreINI", f.backupDir + QStringLiteral("/OTHER.DBF"));
        QCOMPARE(asked(f.prompts),
                 QStringList{kWarning + QStringLiteral(": The following file \"OTHER.INI\" could "
                                                       "not be located on the specified source "
                                                       "drive.")});
    }

    // The settings file of another database, named in small letters on the medium, replaces
    // that database's own file in the program directory.
    void settingsNameInOtherCase()
    {
        Backups f;
        writeBytes(f.home() + QStringLiteral("/COINS.INI"), "[Field Names]\r\nCountry=Old\r\n");
        writeBytes(f.backupDir + QStringLiteral("/coins.ini"), "[Field Names]\r\nCountry=Land\r\n");
        f.restore("RestoreINI", f.backupDir + QStringLiteral("/coins.dbf"));
        QCOMPARE(
            asked(f.prompts),
            QStringList{kNotice + QStringLiteral(": Configuration File restored successfully.")});
        QCOMPARE(filesIn(f.home()).filter(QStringLiteral("coins."), Qt::CaseInsensitive),
                 QStringList{QStringLiteral("COINS.INI")});
        QCOMPARE(readBytes(f.home() + QStringLiteral("/COINS.INI")),
                 QByteArray("[Field Names]\r\nCountry=Land\r\n"));
    }

    // Whatever file is chosen, NUMAROK.URP of its folder is restored, and an open report
    // list shows the restored reports.
    void reportsAlwaysNamed()
    {
        Backups f;
        modal::enqueue([](QDialog *d) { d->reject(); });
        f.w->DoReports();
        auto *list = f.w->findChild<QListWidget *>(QStringLiteral("ReportBox"));
        QVERIFY(list);
        QCOMPARE(list->count(), 5);
        const QByteArray all = readBytes(paths::programFile(QStringLiteral("NUMAROK.URP")));
        writeBytes(f.backupDir + QStringLiteral("/NUMAROK.URP"), all.left(2 * 20622));
        writeBytes(f.backupDir + QStringLiteral("/OTHER.URP"), all.left(20622));
        const QString cancel = f.restore("RestoreURP", f.backupDir + QStringLiteral("/OTHER.URP"));
        QCOMPARE(asked(f.prompts), QStringList{kNotice + QStringLiteral(": ") + kRestoreDone});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Restore URP File"));
        QCOMPARE(cancel, QStringLiteral("&Close"));
        QCOMPARE(readBytes(paths::programFile(QStringLiteral("NUMAROK.URP"))), all.left(2 * 20622));
        QCOMPARE(list->count(), 2);

        f.prompts.clear();
        QFile::remove(f.backupDir + QStringLiteral("/NUMAROK.URP"));
        f.restore("RestoreURP", f.backupDir + QStringLiteral("/OTHER.URP"));
        QCOMPARE(asked(f.prompts),
                 QStringList{kError + QStringLiteral(": The Report Definitions file "
                                                     "\"NUMAROK.URP\" could not be  located on "
                                                     "the specified source drive.")});
    }

    void cancelledChoice()
    {
        Backups f;
        const QString cancel = f.restore("RestoreDBF", QString());
        QCOMPARE(cancel, QStringLiteral("&Cancel"));
        QCOMPARE(asked(f.prompts), QStringList());
        QCOMPARE(f.w->database().currentPath(), f.master());
    }
};

REGISTER_TEST(FileCopyTests)
REGISTER_TEST(BackupWindowTests)
REGISTER_TEST(RestoreWindowTests)
#include "tst_backup.moc"
