// Pick lists: the list file format, the database's and the default lists, and the two
// list dialogs.
#include "editor/list_dialogs.h"
#include "editor/pick_lists.h"
#include "main/main_window.h"
#include "platform/modal.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace picklists;

class ListFileTests : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString file(const char *name) const
    {
        return m_dir.path() + QLatin1Char('/') + QLatin1String(name);
    }

private slots:
    void reading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("spaces around a name are kept")
            << QByteArray("  Peru  \r\nChile\r\n")
            << QStringList{QStringLiteral("  Peru  "), QStringLiteral("Chile")};
        QTest::newRow("empty and blank lines go")
            << QByteArray("\r\n   \r\nA\r\n\r\n") << QStringList{QStringLiteral("A")};
        QTest::newRow("any line end, no final one")
            << QByteArray("A\nB\rC")
            << QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
        QTest::newRow("Windows-1252")
            << QByteArray("\xD6sterreich\r\n") << QStringList{QStringLiteral("Österreich")};
        QTest::newRow("long line cut at 255")
            << QByteArray(300, 'x') + "\r\nB\r\n"
            << QStringList{QString(255, QLatin1Char('x')), QStringLiteral("B")};
        QTest::newRow("missing file") << QByteArray() << QStringList{};
    }
    void reading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        const QString path = file(QTest::currentDataTag());
        if (!bytes.isEmpty()) writeBytes(path, bytes);
        QCOMPARE(readListFile(path), entries);
    }

    void writing()
    {
        QVERIFY(writeListFile(file("w.lst"), {QStringLiteral(" Zürich "), QStringLiteral("B")}));
        QCOMPARE(readBytes(file("w.lst")), QByteArray(" Z\xFCrich \r\nB\r\n"));
        QVERIFY(!writeListFile(file("no/dir/w.lst"), {QStringLiteral("A")}));
    }

    // An entry is one line of the file: a line break inside one (text pasted into a box)
    // would come back as two entries, or as a blank one lost.
    void lineBreaksInAnEntry()
    {
        QVERIFY(writeListFile(file("breaks.lst"),
                              {QStringLiteral("Upper\r\nVolta"), QStringLiteral("B\n\nC\r")}));
        QCOMPARE(readBytes(file("breaks.lst")), QByteArray("Upper Volta\r\nB C \r\n"));
        QCOMPARE(readListFile(file("breaks.lst")),
                 (QStringList{QStringLiteral("Upper Volta"), QStringLiteral("B C ")}));
        // A typed value is added as the line it is saved as.
        QStringList list{QStringLiteral("Upper Volta")};
        QVERIFY(!addEntry(list, QStringLiteral("Upper\nVolta")));
        QVERIFY(addEntry(list, QStringLiteral("Gold\r\nCoast\n")));
        QCOMPARE(list.last(), QStringLiteral("Gold Coast"));
    }

    void addingTypedValues()
    {
        QStringList list{QStringLiteral("France")};
        QVERIFY(addEntry(list, QStringLiteral("  Peru ")));
        QVERIFY(!addEntry(list, QStringLiteral("Peru")));
        QVERIFY(addEntry(list, QStringLiteral("peru"))); // another letter case is another entry
        QVERIFY(!addEntry(list, QStringLiteral("   ")));
        QCOMPARE(list, (QStringList{QStringLiteral("France"), QStringLiteral("Peru"),
                                    QStringLiteral("peru")}));
    }

    void miscellaneousText()
    {
        QCOMPARE(splitMiscellaneous(QStringLiteral("Proof, Toned ,  Key Date ")),
                 (QStringList{QStringLiteral("Proof"), QStringLiteral("Toned "),
                              QStringLiteral("Key Date")}));
        QCOMPARE(splitMiscellaneous(QString()), QStringList{});
        QCOMPARE(joinMiscellaneous({QStringLiteral("A"), QStringLiteral("B")}),
                 QStringLiteral("A, B"));
        QCOMPARE(joinMiscellaneous({}), QString());
    }

    void databaseAndDefaultLists()
    {
        useDirectories(m_dir.path());
        installDefaults(); // an empty program directory gets the shipped lists
        QVERIFY(readListFile(defaultFile(Condition)).contains(QStringLiteral("Very Fine")));
        writeBytes(defaultFile(Country), "Peru\r\n");
        installDefaults(); // and never again over what is there
        QCOMPARE(readListFile(defaultFile(Country)), QStringList{QStringLiteral("Peru")});

        QComboBox gridCountry, gridTopic, gridCondition;
        PickLists lists;
        lists.setGridCombos(&gridCountry, &gridTopic, &gridCondition);
        const QString base = file("COINS");
        lists.LoadAllList(base); // no .001: the defaults
        QCOMPARE(lists.list(Country), QStringList{QStringLiteral("Peru")});
        QCOMPARE(gridCountry.count(), 1);
        lists.addToList(Country, QStringLiteral(" Chile "));
        lists.addToList(Country, QStringLiteral("Chile"));
        QCOMPARE(lists.list(Country),
                 (QStringList{QStringLiteral("Peru"), QStringLiteral("Chile")}));
        QCOMPARE(gridCountry.itemText(1), QStringLiteral("Chile"));
        QCOMPARE(gridCountry.count(), 2);
        lists.SaveAllLists(base);
        QCOMPARE(readBytes(base + QStringLiteral(".001")), QByteArray("Peru\r\nChile\r\n"));
        QVERIFY(QFile::exists(base + QStringLiteral(".002")) &&
                QFile::exists(base + QStringLiteral(".003")));
        // With a .001, a missing .002 gives an empty Topic list.
        QFile::remove(base + QStringLiteral(".002"));
        lists.LoadAllList(base);
        QVERIFY(lists.list(Topic).isEmpty());
        QCOMPARE(lists.list(Country),
                 (QStringList{QStringLiteral("Peru"), QStringLiteral("Chile")}));
    }
};

class ListDialogTests : public QObject
{
    Q_OBJECT
    static QListWidget *list(QDialog *d, const char *name)
    {
        return d->findChild<QListWidget *>(QLatin1String(name));
    }
    static void click(QDialog *d, const char *name)
    {
        d->findChild<QPushButton *>(QLatin1String(name))->click();
    }
    static QStringList texts(QListWidget *l)
    {
        QStringList out;
        for (int i = 0; i < l->count(); ++i)
            out << l->item(i)->text();
        return out;
    }

private slots:
    void maintenanceRules()
    {
        ScriptedPrompts prompts;
        TMyEditBox box(
            1, QStringLiteral("Country"), 20,
            {QStringLiteral("peru"), QStringLiteral("Chile"), QStringLiteral("Argentina")});
        QCOMPARE(box.windowTitle(), QStringLiteral("Edit \"Country\" List"));
        box.FormShow();
        QListWidget *the = list(&box, "TheList");
        QCOMPARE(the->currentRow(), 0);
        auto *add = box.findChild<QLineEdit *>(QStringLiteral("AddInfo"));
        QCOMPARE(add->maxLength(), 20);
        add->setText(QStringLiteral("  Peru "));
        click(&box, "AddButton");
        add->setText(QStringLiteral("Chile")); // already there: accepted all the same
        click(&box, "AddButton");
        QCOMPARE(texts(the), (QStringList{QStringLiteral("peru"), QStringLiteral("Chile"),
                                          QStringLiteral("Argentina"), QStringLiteral("Peru"),
                                          QStringLiteral("Chile")}));
        QVERIFY(add->text().isEmpty());
        prompts.answer(int(QMessageBox::Yes));
        click(&box, "SortButton");
        QCOMPARE(
            prompts.asked()[0].text,
            QStringLiteral("Are you sure you want to sort the data?  Sorting cannot be undone."));
        QCOMPARE(prompts.asked()[0].caption, QStringLiteral("Confirm"));
        QCOMPARE(texts(the), (QStringList{QStringLiteral("Argentina"), QStringLiteral("Chile"),
                                          QStringLiteral("Chile"), QStringLiteral("peru"),
                                          QStringLiteral("Peru")}));
        // Deleting the last entry selects the new last one.
        the->setCurrentRow(4);
        click(&box, "DeleteButton");
        QCOMPARE(the->currentRow(), 3);
        QCOMPARE(texts(the).size(), 4);
        TMyEditBox single(2, QStringLiteral("Topic"), 20, {QStringLiteral("Only")});
        single.FormShow();
        click(&single, "DeleteButton");
        QCOMPARE(list(&single, "TheList")->count(), 0);
        QCOMPARE(list(&single, "TheList")->currentRow(), -1);
        click(&single, "DeleteButton"); // nothing selected: nothing happens
    }

    void maintenanceThroughTheMainWindow()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        const QStringList before = w.lists.list(Country);
        QVERIFY(!before.isEmpty()); // the shipped defaults
        // Cancel changes no list and no file.
        modal::enqueue([](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("AddInfo"))
                ->setText(QStringLiteral("Atlantis"));
            click(d, "AddButton");
            click(d, "CancelButton");
        });
        w.action(QStringLiteral("MenuListCountry"))->trigger();
        QCOMPARE(w.lists.list(Country), before);
        QVERIFY(!QFile::exists(w.database().basePath() + QStringLiteral(".001")));
        // Ok replaces both copies and writes the database's files.
        QString caption;
        modal::enqueue([&caption](QDialog *d) {
            caption = d->windowTitle();
            d->findChild<QLineEdit *>(QStringLiteral("AddInfo"))
                ->setText(QStringLiteral("Atlantis"));
            click(d, "AddButton");
            click(d, "OkButton");
        });
        w.action(QStringLiteral("MenuListCountry"))->trigger();
        QCOMPARE(caption, QStringLiteral("Edit \"Country\" List"));
        QCOMPARE(w.lists.list(Country).last(), QStringLiteral("Atlantis"));
        auto *grid = w.findChild<QComboBox *>(QStringLiteral("MyComboCountry"));
        QCOMPARE(grid->itemText(grid->count() - 1), QStringLiteral("Atlantis"));
        QVERIFY(readListFile(w.database().basePath() + QStringLiteral(".001"))
                    .contains(QStringLiteral("Atlantis")));
        // Miscellaneous edits MISC.LST itself.
        modal::enqueue([](QDialog *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("AddInfo"))->maxLength(), 25);
            d->findChild<QLineEdit *>(QStringLiteral("AddInfo"))
                ->setText(QStringLiteral("Ex Jewelry"));
            click(d, "AddButton");
            click(d, "OkButton");
        });
        w.action(QStringLiteral("MenuListMisc"))->trigger();
        QCOMPARE(readListFile(miscFile()).last(), QStringLiteral("Ex Jewelry"));
        // Save As Defaults writes the current lists as the program's defaults.
        prompts.answer(int(QMessageBox::Yes));
        w.action(QStringLiteral("MenuSaveDefaults"))->trigger();
        QCOMPARE(readListFile(defaultFile(Country)).last(), QStringLiteral("Atlantis"));
    }

    // MISC.LST is the only copy of its list: when it cannot be written (here a directory is in
    // its place) the user is told, and the dialog stays open with the entries.
    void miscellaneousThatCannotBeWritten()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        QVERIFY(QDir().mkpath(miscFile()));
        ScriptedPrompts prompts;
        TMyEditBox box(4, QStringLiteral("Miscellaneous"), 25, {QStringLiteral("Proof")});
        bool told = false;
        box.onOk = [&told](const QStringList &) { told = true; };
        box.FormShow();
        box.findChild<QLineEdit *>(QStringLiteral("AddInfo"))->setText(QStringLiteral("Holed"));
        click(&box, "AddButton");
        click(&box, "OkButton");
        QCOMPARE(prompts.askedTexts(),
                 QStringList{QStringLiteral("The Data List file \"") + miscFile() +
                             QStringLiteral("\" could not be written.")});
        QCOMPARE(prompts.asked().first().caption, QStringLiteral("Error"));
        QVERIFY(!told);
        QCOMPARE(box.result(), int(QDialog::Rejected));
        QCOMPARE(texts(list(&box, "TheList")),
                 (QStringList{QStringLiteral("Proof"), QStringLiteral("Holed")}));
    }

    // A database list file or a default list file that cannot be written: the user is told
    // which; the list itself stays in memory for the next save.
    void listFilesThatCannotBeWritten()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        const QString country = perDatabaseFile(w.database().basePath(), Country);
        QVERIFY(QDir().mkpath(country));
        modal::enqueue([](QDialog *d) {
            d->findChild<QLineEdit *>(QStringLiteral("AddInfo"))
                ->setText(QStringLiteral("Atlantis"));
            click(d, "AddButton");
            click(d, "OkButton");
        });
        w.action(QStringLiteral("MenuListCountry"))->trigger();
        const auto notWritten = [](const QString &path) {
            return QStringLiteral("The Data List file \"") + path +
                   QStringLiteral("\" could not be written.");
        };
        QCOMPARE(prompts.askedTexts(), QStringList{notWritten(country)});
        QCOMPARE(w.lists.list(Country).last(), QStringLiteral("Atlantis"));
        // The other two are written all the same.
        QVERIFY(QFileInfo(perDatabaseFile(w.database().basePath(), Topic)).isFile());

        prompts.clear();
        QFile::remove(defaultFile(Topic));
        QVERIFY(QDir().mkpath(defaultFile(Topic)));
        prompts.answer(int(QMessageBox::Yes));
        w.action(QStringLiteral("MenuSaveDefaults"))->trigger();
        QCOMPARE(prompts.askedTexts().size(), 2);
        QCOMPARE(prompts.askedTexts().last(), notWritten(defaultFile(Topic)));
        QCOMPARE(readListFile(defaultFile(Country)).last(), QStringLiteral("Atlantis"));
    }

    void miscellaneousChoice()
    {
        const QStringList entries{QStringLiteral("Toned"), QStringLiteral("proof"),
                                  QStringLiteral("Holed")};
        TMyMiscellaneous d(entries, QStringLiteral("Holed, Cleaned ,toned"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Miscellaneous"));
        QListWidget *misc = list(&d, "MiscList");
        // Sorted without regard to case. "Cleaned " and "toned" are not there exactly, so
        // they are added; what gets selected is the first entry equal ignoring case.
        QCOMPARE(texts(misc), (QStringList{QStringLiteral("Cleaned "), QStringLiteral("Holed"),
                                           QStringLiteral("proof"), QStringLiteral("Toned"),
                                           QStringLiteral("toned")}));
        QCOMPARE(d.chosen(), (QStringList{QStringLiteral("Cleaned "), QStringLiteral("Holed"),
                                          QStringLiteral("Toned")}));
        click(&d, "OkButton");
        QCOMPARE(d.result(), QStringLiteral("Cleaned , Holed, Toned"));

        TMyMiscellaneous none(entries, QStringLiteral("Holed"));
        list(&none, "MiscList")->clearSelection();
        click(&none, "OkButton");
        QCOMPARE(none.result(), QString());
    }
};

REGISTER_TEST(ListFileTests)
REGISTER_TEST(ListDialogTests)
#include "tst_editor.moc"
