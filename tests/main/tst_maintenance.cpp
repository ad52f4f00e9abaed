// Sort order, pack and rebuild through the main window, on real tables, with and
// without another copy of the program holding the database.
#include "db/coin_schema.h"
#include "db/database_files.h"
#include "editor/pick_lists.h"
#include "main/main_window.h"
#include "platform/ini_file.h"
#include "platform/modal.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"
#include "window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

struct Coin {
    const char *country;
    double price;
    const char *date; // m/d/yy
    int quantity;
};

// Records 1..6 as stored.
const Coin kCoins[6] = {{"peru", 10.5, "3/1/99", 12}, {"Chile", 2.25, "1/15/01", 3},
                        {"PERU", 100, "12/31/98", 1}, {"chile", 9.75, "1/15/01", 200},
                        {"Denmark", -1, "", 30},      {"argentina", 0, "7/4/76", 2}};

void addCoins(dbase::Table &t)
{
    for (const Coin &c : kCoins) {
        t.append();
        t.setAsString(coin::Country - 1, c.country);
        t.setAsFloat(coin::PurchasePr - 1, c.price);
        t.setAsString(coin::PurchDate - 1, c.date);
        t.setAsFloat(coin::Quantity - 1, c.quantity);
        t.post();
    }
}

struct Fixture : WindowFixture {
    Fixture() : WindowFixture(addCoins) {}
    std::vector<uint32_t> order()
    {
        std::vector<uint32_t> out;
        for (w->database().table().first(); !w->database().table().eof();
             w->database().table().next())
            out.push_back(w->database().table().recNo());
        return out;
    }
    // Sets the four lists and presses "&Ok"; returns whether the dialog closed.
    bool sortBy(const QList<int> &levels)
    {
        bool closed = false;
        modal::enqueue([&](QDialog *d) {
            for (int i = 0; i < 4; ++i)
                d->findChild<QComboBox *>(QStringLiteral("ComboBox%1").arg(i + 1))
                    ->setCurrentIndex(levels.value(i));
            d->findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
            closed = !d->isVisible();
            if (!closed) d->findChild<QPushButton *>(QStringLiteral("CancelButton"))->click();
        });
        w->action(QStringLiteral("MenuSortOrder"))->trigger();
        return closed;
    }
    QByteArray indexFile() const
    {
        QFile f(w->database().indexFilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace

namespace
{
// Mode bits and group of a file.
QString modeOf(const QString &path)
{
    struct stat st {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return QStringLiteral("missing");
    return QStringLiteral("%1 gid %2")
        .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'))
        .arg(st.st_gid);
}
} // namespace

class MaintenanceTests : public QObject
{
    Q_OBJECT
private slots:
    // A collection shared by a group stays writable for the group: every file replaced by
    // pack, rebuild, a new sort index, a settings write or a list write keeps its mode and
    // group.
    void replacedFilesKeepTheirMode()
    {
        const mode_t oldMask = ::umask(022);
        Fixture f;
        f.w->MenuUpdateDatabaseClick(); // writes MASTER.INI
        const QString lists = f.w->database().basePath() + QStringLiteral(".001");
        QVERIFY(picklists::writeListFile(lists, {QStringLiteral("Peru")}));
        const QStringList files{f.w->database().currentPath(), f.w->database().indexFilePath(),
                                f.w->database().settingsFilePath(), lists};
        // Root may give the files another group; anyone else keeps their own.
        const gid_t group = ::getuid() == 0 ? 100 : ::getgid();
        for (const QString &file : files) {
            QVERIFY(::chown(QFile::encodeName(file).constData(), static_cast<uid_t>(-1), group) ==
                    0);
            QVERIFY(::chmod(QFile::encodeName(file).constData(), 0666) == 0);
        }
        const QString want = QStringLiteral("0666 gid %1").arg(group);
        f.prompts.answer(int(QMessageBox::Yes));
        f.w->action(QStringLiteral("MenuPack"))->trigger();
        QCOMPARE(modeOf(f.w->database().currentPath()), want);
        QCOMPARE(modeOf(f.w->database().indexFilePath()), want);
        f.prompts.answer(int(QMessageBox::Yes));
        f.w->action(QStringLiteral("MenuRebuild"))->trigger();
        QCOMPARE(modeOf(f.w->database().indexFilePath()), want);
        QVERIFY(f.sortBy({1, 0, 0, 0})); // the old tag goes, a new index file is written
        QCOMPARE(modeOf(f.w->database().indexFilePath()), want);
        QCOMPARE(modeOf(f.w->database().settingsFilePath()), want);
        f.w->database().settings().fieldWidth[0] = 21;
        f.w->MenuUpdateDatabaseClick();
        QCOMPARE(modeOf(f.w->database().settingsFilePath()), want);
        QVERIFY(picklists::writeListFile(lists, {QStringLiteral("Chile")}));
        QCOMPARE(modeOf(lists), want);
        QVERIFY(f.prompts.asked().size() == 2); // the two confirmations
        ::umask(oldMask);
    }

    void sortOrderOnARealTable_data()
    {
        QTest::addColumn<QList<int>>("levels");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("text ignores case")
            << QList<int>{1, 0, 0, 0} << "Upper(Left(Country,80))" << QList<int>{6, 2, 4, 5, 1, 3};
        // Numbers sort by their right-aligned text: numerically, but a negative amount
        // ("       -1.00") after the amounts below 10 and before 10.50.
        QTest::newRow("money by its text")
            << QList<int>{6, 0, 0, 0} << "STR(PurchasePr,12,2)" << QList<int>{6, 2, 4, 5, 1, 3};
        QTest::newRow("dates by yyyymmdd")
            << QList<int>{11, 0, 0, 0} << "DTOS(PurchDate)" << QList<int>{5, 6, 3, 1, 2, 4};
        QTest::newRow("quantity without decimals")
            << QList<int>{13, 0, 0, 0} << "STR(Quantity,12,0)" << QList<int>{3, 6, 2, 1, 5, 4};
        QTest::newRow("none before a level")
            << QList<int>{0, 11, 6, 0} << "DTOS(PurchDate)+STR(PurchasePr,12,2)"
            << QList<int>{5, 6, 3, 1, 2, 4};
        QTest::newRow("all none: file order")
            << QList<int>{0, 0, 0, 0} << "" << QList<int>{1, 2, 3, 4, 5, 6};
    }
    void sortOrderOnARealTable()
    {
        QFETCH(QList<int>, levels);
        QFETCH(QString, expression);
        QFETCH(QList<int>, order);
        Fixture f;
        QVERIFY(f.sortBy(levels));
        QVERIFY(f.prompts.asked().isEmpty());
        QCOMPARE(f.w->database().sortString(), expression);
        std::vector<uint32_t> want(order.begin(), order.end());
        QCOMPARE(f.order(), want);
        QCOMPARE(IniFile::readString(f.w->database().settingsFilePath(),
                                     QStringLiteral("Sort Order"), QStringLiteral("Primary Sort"),
                                     QString()),
                 QString::number(levels[0]));
        QVERIFY(!f.w->database().table().exclusive());
    }

    // The settings cannot be written after the new index was built: the sort order is
    // not implemented, and the stored levels, the index and the grid all keep the old one.
    void settingsWriteFailsDuringSortOrder()
    {
        Fixture f;
        f.w->database().saveSettings(f.w->database().settingsFilePath());
        const QString ini = f.w->database().settingsFilePath();
        QByteArray settingsBefore;
        if (::geteuid() == 0) {
            // Root writes through any mode: a directory in the file's place refuses it.
            QVERIFY(QFile::remove(ini));
            QVERIFY(QDir().mkdir(ini));
        } else {
            settingsBefore = readBytes(ini);
            QVERIFY(
                QFile::setPermissions(ini, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        QVERIFY(!f.sortBy({1, 0, 0, 0})); // the dialog stays open
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "Error in implementing sort order.  New sort order not implemented.")});
        QCOMPARE(f.w->database().settings().sortLevels[0], 12);
        QCOMPARE(f.w->database().sortString(), QStringLiteral("Upper(Left(Miscellane,80))"));
        QVERIFY(f.indexFile().contains("Upper(Left(Miscellane,80))"));
        QVERIFY(!f.indexFile().contains("Upper(Left(Country,80))"));
        QCOMPARE(f.order(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6})); // not by country
        QVERIFY(f.w->database().table().isOpen());
        QVERIFY(!f.w->database().table().exclusive());
        if (::geteuid() != 0) QCOMPARE(readBytes(ini), settingsBefore);
        QDir().rmdir(ini);
        QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner);
    }

    void anotherCopyHoldsTheDatabase()
    {
        Fixture f;
        const QByteArray indexBefore = f.indexFile();
        QVERIFY(!indexBefore.isEmpty());
        f.w->database().saveSettings(f.w->database().settingsFilePath());
        const QString settingsBefore =
            IniFile::readString(f.w->database().settingsFilePath(), QStringLiteral("Sort Order"),
                                QStringLiteral("Primary Sort"), QString());
        dbase::Table other;
        dbfiles::locate(other, f.w->database().currentPath());
        other.open();

        QVERIFY(!f.sortBy({1, 0, 0, 0})); // the dialog stays open
        QCOMPARE(
            f.prompts.askedTexts().last(),
            QStringLiteral("Creating a new sort order requires exclusive use of the DBase File.  "
                           "Make sure that "
                           "the DBase File is not in use by another program  or that no other "
                           "users are running "
                           "the software or that no other copies of the software are in use."));
        f.prompts.answer(int(QMessageBox::Yes));
        f.w->action(QStringLiteral("MenuPack"))->trigger();
        QCOMPARE(
            f.prompts.askedTexts().last(),
            QStringLiteral(
                "Unable to pack table.  Packing requires exclusive use of the DBase File.  Make "
                "sure "
                "that the DBase File is not in use by another program  or that no other users are "
                "running the software or that no other copies of the software are in use."));
        f.prompts.answer(int(QMessageBox::Yes));
        f.w->action(QStringLiteral("MenuRebuild"))->trigger();
        QCOMPARE(f.prompts.askedTexts().last(),
                 QStringLiteral(
                     "Unable to reindex table.  Reindexing requires exclusive use of the DBase "
                     "File.  Make "
                     "sure that the DBase File is not in use by another program  or that no other "
                     "users are "
                     "running the software or that no other copies of the software are in use."));
        QCOMPARE(f.indexFile(), indexBefore);
        QCOMPARE(f.w->database().settings().sortLevels[0], 12);
        QCOMPARE(IniFile::readString(f.w->database().settingsFilePath(),
                                     QStringLiteral("Sort Order"), QStringLiteral("Primary Sort"),
                                     QString()),
                 settingsBefore);
        QVERIFY(f.w->database().table().isOpen());
        QVERIFY(!f.w->database().table().exclusive());
        QCOMPARE(f.w->database().table().recordCount(), 6);
    }

    void packRemovesDeletedRecords()
    {
        Fixture f;
        QVERIFY(f.sortBy({1, 0, 0, 0}));
        for (uint32_t r : {2u, 5u}) {
            QVERIFY(f.w->database().table().moveToRecNo(r));
            f.prompts.answer(int(QMessageBox::Yes));
            f.w->action(QStringLiteral("MenuDelete"))->trigger();
        }
        f.prompts.answer(int(QMessageBox::No));
        f.w->action(QStringLiteral("MenuPack"))->trigger(); // answered No: nothing happens
        f.prompts.answer(int(QMessageBox::Yes));
        f.w->action(QStringLiteral("MenuPack"))->trigger();
        QCOMPARE(f.prompts.asked().last().caption, QStringLiteral("Confirm"));
        QCOMPARE(f.w->database().table().recordCount(), 4);
        // argentina, chile, peru, PERU are now records 4, 3, 1, 2.
        QCOMPARE(f.order(), (std::vector<uint32_t>{4, 3, 1, 2}));

        QProcess py;
        py.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(NUMAROK_TEST_SCRIPTS "/dump_dbf.py"), f.w->database().currentPath()});
        QVERIFY(py.waitForFinished(30000));
        QCOMPARE(py.exitCode(), 0);
        const QJsonObject dump = QJsonDocument::fromJson(py.readAllStandardOutput()).object();
        QCOMPARE(dump[QStringLiteral("count")].toInt(), 4);
        QVERIFY(!QJsonDocument(dump).toJson().contains("\"deleted\": true"));
        QProcess dump2;
        dump2.start(QStringLiteral("index_dump"),
                    {f.w->database().indexFilePath(), QStringLiteral("NewIndex")});
        QVERIFY(dump2.waitForFinished(30000));
        QStringList recnos;
        for (const QByteArray &line : dump2.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                recnos << QString::fromLatin1(line.trimmed().split(' ').last());
        QCOMPARE(recnos, (QStringList{QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("1"),
                                      QStringLiteral("2")}));

        f.prompts.answer(int(QMessageBox::Yes));
        f.w->action(QStringLiteral("MenuRebuild"))->trigger();
        QCOMPARE(f.order(), (std::vector<uint32_t>{4, 3, 1, 2}));
    }

    // The engine work of each command runs under the wait cursor, which goes afterwards.
    void longWorkShowsTheWaitCursor_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("sort order") << QString();
        QTest::newRow("pack") << QStringLiteral("MenuPack");
        QTest::newRow("rebuild") << QStringLiteral("MenuRebuild");
    }
    void longWorkShowsTheWaitCursor()
    {
        QFETCH(QString, command);
        Fixture f;
        QList<int> shapes; // the cursor while the views are told of the table's changes
        const int id = f.w->database().table().addListener([&shapes](dbase::Table::Event e) {
            if (e == dbase::Table::Event::Reset || e == dbase::Table::Event::Opened)
                shapes << (QApplication::overrideCursor()
                               ? int(QApplication::overrideCursor()->shape())
                               : -1);
        });
        if (command.isEmpty()) {
            QVERIFY(f.sortBy({1, 0, 0, 0}));
        } else {
            f.prompts.answer(int(QMessageBox::Yes));
            f.w->action(command)->trigger();
        }
        f.w->database().table().removeListener(id);
        QVERIFY(!shapes.isEmpty());
        QVERIFY(shapes.contains(int(Qt::WaitCursor)));
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(f.w->database().table().recordCount(), 6);
    }
};

REGISTER_TEST(MaintenanceTests)
#include "tst_maintenance.moc"
