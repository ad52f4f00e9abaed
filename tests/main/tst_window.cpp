// The main window's controls: enabling rules, browse mode, the grid's columns and
// model, Delete, the search state, colours and help.
#include "config/color_scheme.h"
#include "db/coin_schema.h"
#include "db/database_files.h"
#include "editor/pick_lists.h"
#include "main/main_window.h"
#include "main/viewer_model.h"
#include "platform/help_window.h"
#include "platform/ini_file.h"
#include "platform/modal.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"
#include "window_fixture.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

namespace
{

struct Fixture : WindowFixture {
    explicit Fixture(int records, const QStringList &args = {})
        : WindowFixture(
              [records](dbase::Table &t) {
                  for (int i = 0; i < records; ++i) {
                      t.append();
                      t.setAsString(0, "Country " + std::to_string(i));
                      t.setAsString(coin::Wanted - 1, i % 2 ? "Yes" : "No");
                      t.setAsString(coin::Miscellane - 1, "m" + std::to_string(i));
                      t.post();
                  }
              },
              args)
    {
        w->resize(640, 480);
        // Every test of the grid runs its model under Qt's model checks.
        tester = std::make_unique<QAbstractItemModelTester>(
            find<QTableView>("ViewerGrid")->model(),
            QAbstractItemModelTester::FailureReportingMode::QtTest);
    }
    std::unique_ptr<QAbstractItemModelTester> tester;
    bool enabled(const char *button) const { return find<QPushButton>(button)->isEnabled(); }
};

} // namespace

class WindowTests : public QObject
{
    Q_OBJECT
private slots:
    void letteredButtonsAndSearchState_data()
    {
        QTest::addColumn<bool>("browse");
        QTest::newRow("normal") << false;
        QTest::newRow("browse mode") << true;
    }
    void letteredButtonsAndSearchState()
    {
        QFETCH(bool, browse);
        Fixture f(3, browse ? QStringList{QStringLiteral("/browse")} : QStringList{});
        f.w->action(QStringLiteral("MenuButtons"))->trigger();
        QCOMPARE(f.w->database().settings().buttonBar, 2);
        for (const char *b : {"AddButton", "CopyButton", "DeleteButton", "ViewerButton"})
            QCOMPARE(f.enabled(b), !browse);
        for (const char *b :
             {"EditButton", "SearchButton", "ReportButton", "HelpButton", "ButtonExit"})
            QVERIFY(f.enabled(b));
        QVERIFY(!f.enabled("EndSearchButton"));
        QVERIFY(!f.w->action(QStringLiteral("MenuEndSearch"))->isEnabled());
        f.w->EnableEndSearch();
        QVERIFY(f.enabled("EndSearchButton"));
        QVERIFY(f.w->action(QStringLiteral("MenuEndSearch"))->isEnabled());
        QVERIFY(f.find<QToolButton>("EndSearchSpeed")->isEnabledTo(f.find<QFrame>("SpeedPanel")));
        QVERIFY(!f.find<QLabel>("SearchOnLabel")->isHidden());
        f.w->action(QStringLiteral("MenuEndSearch"))->trigger();
        QVERIFY(!f.w->database().searchOn());
        QVERIFY(f.find<QLabel>("SearchOnLabel")->isHidden());
        QVERIFY(!f.enabled("EndSearchButton"));
        QCOMPARE(f.find<QLabel>("CountLabel")->text(), QStringLiteral("3"));
        // Out of the lettered layout every lettered button is off.
        f.w->action(QStringLiteral("MenuSpeed"))->trigger();
        QVERIFY(!f.enabled("EditButton"));
        QVERIFY(f.w->action(QStringLiteral("MenuSpeed"))->isChecked());
        QVERIFY(!f.w->action(QStringLiteral("MenuButtons"))->isChecked());
    }

    void browseModeReductions()
    {
        Fixture f(2, {QStringLiteral("/BROWSE")});
        for (const char *a : {"MenuAdd", "MenuCopy", "MenuDelete", "MenuBackup", "MenuRestore",
                              "MenuViewer", "MenuImport", "MenuSearchReplace"})
            QVERIFY2(!f.w->action(QLatin1String(a))->isEnabled(), a);
        QVERIFY(f.w->action(QStringLiteral("MenuEdit"))->isEnabled());
        QVERIFY(!f.find<QMenu>("MenuListMaintenance")->menuAction()->isEnabled());
        for (const char *s : {"AddSpeed", "CopySpeed", "ImportSpeed", "DeleteSpeed", "ViewerSpeed"})
            QVERIFY2(!f.find<QToolButton>(s)->isEnabled(), s);
        QVERIFY(f.find<QToolButton>("EditSpeed")->isEnabled());
        int navigatorShown = 0;
        for (int i = 0; i < 10; ++i)
            navigatorShown +=
                f.w->findChild<QToolButton *>(QStringLiteral("NavButton%1").arg(i))->isHidden() ? 0
                                                                                                : 1;
        QCOMPARE(navigatorShown, 4);
        auto *grid = f.find<QTableView>("ViewerGrid");
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void gridColumns_data()
    {
        QTest::addColumn<QList<int>>("order");   // Field Order by field, 1-based values
        QTest::addColumn<QList<int>>("hidden");  // field numbers with Display Fields off
        QTest::addColumn<QList<int>>("columns"); // field numbers in column order
        QList<int> natural;
        for (int i = 1; i <= 20; ++i)
            natural << i;
        QTest::newRow("defaults") << natural << QList<int>{} << natural;
        QList<int> swapped = natural;
        std::swap(swapped[0], swapped[1]);
        QList<int> swappedColumns = natural;
        std::swap(swappedColumns[0], swappedColumns[1]);
        QTest::newRow("first two swapped") << swapped << QList<int>{} << swappedColumns;
        // Fields 2 and 5 both say position 2: the lower one takes it. Nobody says 5, so
        // field 1 is placed at the fifth column (moving from the front); field 5 itself
        // is never placed and stays where the moves leave it.
        QList<int> dup = natural;
        dup[4] = 2;
        QList<int> dupColumns{2,  3,  4,  5,  1,  6,  7,  8,  9,  10,
                              11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
        QTest::newRow("two fields on one position") << dup << QList<int>{} << dupColumns;
        QList<int> partial;
        for (int i = 1; i <= 20; ++i)
            if (i != 4 && i != 12) partial << i;
        QTest::newRow("two hidden") << natural << QList<int>{4, 12} << partial;
        QTest::newRow("every field hidden") << natural << natural << QList<int>{};
    }
    void gridColumns()
    {
        QFETCH(QList<int>, order);
        QFETCH(QList<int>, hidden);
        QFETCH(QList<int>, columns);
        Fixture f(4);
        for (int i = 0; i < 20; ++i) {
            f.w->database().settings().fieldOrder[i] = order[i];
            f.w->database().settings().displayFields[i] = !hidden.contains(i + 1);
        }
        f.w->database().settings().fieldNames[1] = QStringLiteral("Denomination");
        f.w->SetViewerOptions();
        auto *model = qobject_cast<ViewerModel *>(f.find<QTableView>("ViewerGrid")->model());
        QList<int> got;
        for (const auto &c : model->columns())
            got << c.field + 1;
        QCOMPARE(got, columns);
        QCOMPARE(model->columnCount(), int(columns.size()));
        QCOMPARE(model->rowCount(), 4);
        const int denomination = int(columns.indexOf(2));
        if (denomination >= 0)
            QCOMPARE(model->headerData(denomination, Qt::Horizontal).toString(),
                     QStringLiteral("Denomination"));
    }

    void modelAndFlags()
    {
        Fixture f(6);
        auto *model = qobject_cast<ViewerModel *>(f.find<QTableView>("ViewerGrid")->model());
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const int wanted = int([&] {
            for (int c = 0; c < model->columnCount(); ++c)
                if (model->columns()[c].field == coin::Wanted - 1) return c;
            return -1;
        }());
        QVERIFY(wanted >= 0);
        // Sorted on Miscellaneous: m0..m5 are records 1..6 in that order.
        QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("Country 1"));
        QCOMPARE(model->index(1, wanted).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(model->index(2, wanted).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(!model->setData(model->index(2, wanted), Qt::Checked,
                                Qt::CheckStateRole)); // editing off
        f.w->database().settings().fieldEditing = true;
        f.w->SetViewerOptions();
        QVERIFY(model->setData(model->index(2, wanted), Qt::Checked, Qt::CheckStateRole));
        QVERIFY(model->setData(model->index(0, 0), QStringLiteral("Peru"), Qt::EditRole));
        f.w->database().table().close();
        f.w->database().table().open();
        QVERIFY(f.w->database().table().moveToRecNo(3));
        QCOMPARE(QString::fromStdString(f.w->database().table().asString(coin::Wanted - 1)),
                 QStringLiteral("Yes"));
        QVERIFY(f.w->database().table().moveToRecNo(1));
        QCOMPARE(QString::fromStdString(f.w->database().table().asString(0)),
                 QStringLiteral("Peru"));
    }

    // Every cell editor of the grid stops typing where the field ends, and a longer text
    // that reaches the model anyway is refused, so nothing typed is cut silently.
    void gridEditorsStopAtTheFieldWidth()
    {
        Fixture f(2);
        f.w->database().settings().fieldEditing = true;
        f.w->SetViewerOptions();
        auto *grid = f.find<QTableView>("ViewerGrid");
        auto *model = qobject_cast<ViewerModel *>(grid->model());
        QStyleOptionViewItem option;
        for (int c = 0; c < model->columnCount(); ++c) {
            const int field = model->columns()[c].field;
            if (ViewerModel::isFlagField(field)) continue;
            QWidget *editor =
                grid->itemDelegate()->createEditor(grid->viewport(), option, model->index(0, c));
            auto *line = qobject_cast<QLineEdit *>(editor);
            if (!line)
                if (auto *combo = qobject_cast<QComboBox *>(editor)) line = combo->lineEdit();
            QVERIFY2(line, coin::kFields[field].name);
            QCOMPARE(line->maxLength(), coin::kFields[field].entrySize);
            delete editor;
        }
        int faceValue = -1;
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->columns()[c].field == coin::FaceValue - 1) faceValue = c;
        QVERIFY(faceValue >= 0);
        // Typed into the cell: the editor holds the first 20 of 36 characters.
        const QString typed = QStringLiteral("Twenty-five cents, silver, proof set");
        QCOMPARE(typed.size(), 36);
        const QModelIndex cell = model->index(0, faceValue);
        QWidget *editor = grid->itemDelegate()->createEditor(grid->viewport(), option, cell);
        grid->itemDelegate()->setEditorData(editor, cell);
        QTest::keyClicks(editor, typed);
        grid->itemDelegate()->setModelData(editor, model, cell);
        delete editor;
        // Given whole to the model, it is refused with a message and nothing is stored.
        f.prompts.clear();
        QVERIFY(!model->setData(model->index(1, faceValue), typed, Qt::EditRole));
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "Face Value is longer than the 20 characters the database can hold.  "
                     "Please shorten it.")});
        f.w->database().table().close();
        QProcess py;
        py.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(NUMAROK_TEST_SCRIPTS "/dump_dbf.py"), f.w->database().currentPath()});
        QVERIFY(py.waitForFinished(30000));
        QCOMPARE(py.exitCode(), 0);
        const QJsonArray records = QJsonDocument::fromJson(py.readAllStandardOutput())
                                       .object()[QStringLiteral("records")]
                                       .toArray();
        QStringList faceValues;
        for (const auto &r : records)
            faceValues
                << r.toObject()[QStringLiteral("values")].toArray()[coin::FaceValue - 1].toString();
        // Sorted on Miscellaneous: grid row 0 is record 1.
        QCOMPARE(faceValues, (QStringList{typed.left(20), QString()}));
    }

    // A value typed into a grid cell whose editor is still open when the program closes, or
    // when a command (menu, button, shortcut: none takes the focus) resets the grid, is stored, not
    // dropped with the editor.
    void gridEditOpenAtCloseIsStored_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("close") << QString();
        QTest::newRow("Update Database") << QStringLiteral("MenuUpdateDatabase");
    }
    void gridEditOpenAtCloseIsStored()
    {
        QFETCH(QString, command);
        Fixture f(2);
        f.w->database().settings().fieldEditing = true;
        f.w->SetViewerOptions();
        f.w->show();
        auto *grid = f.find<QTableView>("ViewerGrid");
        auto *model = qobject_cast<ViewerModel *>(grid->model());
        int faceValue = -1;
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->columns()[c].field == coin::FaceValue - 1) faceValue = c;
        QVERIFY(faceValue >= 0);
        const QModelIndex cell = model->index(0, faceValue);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto *line = grid->viewport()->findChild<QLineEdit *>();
        QVERIFY(line);
        QTest::keyClicks(line, QStringLiteral("Dime"));
        if (!command.isEmpty()) {
            modal::enqueue([](QDialog *d) { d->reject(); }); // a dialog the command opens
            f.w->action(command)->trigger();
            modal::clear();
        }
        f.w->close();
        dbase::Table t;
        dbfiles::locate(t, paths::programFile(QStringLiteral("MASTER.DBF")));
        t.open();
        QVERIFY(t.moveToRecNo(1)); // grid row 0: sorted on Miscellaneous
        QCOMPARE(QString::fromStdString(t.asString(coin::FaceValue - 1)), QStringLiteral("Dime"));
    }

    void gridListCellKeepsTheTypedCase()
    {
        Fixture f(1);
        f.w->lists.setList(picklists::Country, {QStringLiteral("Canada")});
        f.w->database().settings().fieldEditing = true;
        f.w->SetViewerOptions();
        auto *grid = f.find<QTableView>("ViewerGrid");
        auto *model = qobject_cast<ViewerModel *>(grid->model());
        const QModelIndex cell = model->index(0, 0);
        QCOMPARE(model->columns()[0].field, coin::Country - 1);
        QWidget *editor =
            grid->itemDelegate()->createEditor(grid->viewport(), QStyleOptionViewItem(), cell);
        auto *combo = qobject_cast<QComboBox *>(editor);
        QVERIFY(combo);
        combo->lineEdit()->clear();
        QTest::keyClicks(combo->lineEdit(), QStringLiteral("canada"));
        emit combo->lineEdit()->editingFinished();
        grid->itemDelegate()->setModelData(editor, model, cell);
        delete editor;
        QVERIFY(f.w->database().table().moveToRecNo(1));
        QCOMPARE(QString::fromStdString(f.w->database().table().asString(coin::Country - 1)),
                 QStringLiteral("canada"));
    }

    void deleteAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(QMessageBox::No);
        QTest::newRow("Yes") << int(QMessageBox::Yes);
    }
    void deleteAsksFirst()
    {
        QFETCH(int, answer);
        Fixture f(3);
        const QString path = f.w->database().currentPath();
        f.w->database().table().first();
        f.prompts.answer(answer);
        f.w->action(QStringLiteral("MenuDelete"))->trigger();
        QCOMPARE(f.prompts.asked().size(), 1);
        QCOMPARE(f.prompts.asked()[0].caption, QStringLiteral("Confirm"));
        QCOMPARE(f.prompts.asked()[0].text, QStringLiteral("Delete this record?"));
        QVERIFY(f.prompts.asked()[0].icon == Prompts::Icon::None);
        const int left = answer == QMessageBox::Yes ? 2 : 3;
        QCOMPARE(f.find<QLabel>("CountLabel")->text(), QString::number(left));
        dbase::Table check;
        dbfiles::locate(check, path);
        check.open();
        QCOMPARE(check.recordCount(), left);
    }

    void colourSchemeReachesPaletteAndFile()
    {
        Fixture f(1);
        f.w->database()
            .settings()
            .scheme(colors::Target::Main)
            .colors[ColorScheme::MainBackground] = 255; // red
        f.w->database().settings().scheme(colors::Target::Main).colors[ColorScheme::MajorTitle] =
            65280; // green
        f.w->SetColors();
        QCOMPARE(f.w->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(f.find<QLabel>("ViewerLabel")->palette().color(QPalette::WindowText),
                 QColor(0, 255, 0));
        f.w->MenuUpdateDatabaseClick();
        QCOMPARE(IniFile::readString(f.w->database().settingsFilePath(),
                                     QStringLiteral("Main Window Color"),
                                     QStringLiteral("Main Background"), QString()),
                 QStringLiteral("255"));
        QCOMPARE(IniFile::readString(f.w->database().settingsFilePath(),
                                     QStringLiteral("Main Window Color"),
                                     QStringLiteral("Major Title"), QString()),
                 QStringLiteral("65280"));
    }

    void gridFollowsItsSettings()
    {
        Fixture f(2);
        f.w->database().settings().gridFont.size = 20;
        f.w->database().settings().gridFont.color = 255;
        f.w->database().settings().rowLines = false;
        f.w->SetViewerOptions();
        auto *grid = f.find<QTableView>("ViewerGrid");
        QCOMPARE(grid->font().pointSize(), 20);
        QCOMPARE(grid->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(grid->property("rowLines").toBool(), false);
        QCOMPARE(grid->property("columnLines").toBool(), true);
        // The window's background does not colour its buttons.
        f.w->database()
            .settings()
            .scheme(colors::Target::Main)
            .colors[ColorScheme::MainBackground] = 255;
        f.w->SetColors();
        QVERIFY(f.find<QPushButton>("AddButton")->palette().color(QPalette::Button) !=
                QColor(255, 0, 0));
    }

    void helpOpensAtContents()
    {
        Fixture f(0);
        f.w->action(QStringLiteral("MenuContents"))->trigger();
        QVERIFY(QFile::exists(paths::programFile(QStringLiteral("NUMAROK.HLP"))));
        QVERIFY(help::browser());
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Contents"));
        QVERIFY(help::browser()->toPlainText().contains(QStringLiteral("Numarok Help")));
        // Every keyword a window opens help at has its anchor in the document.
        QFile doc(paths::programFile(QStringLiteral("NUMAROK.HLP")));
        QVERIFY(doc.open(QIODevice::ReadOnly));
        const QByteArray html = doc.readAll();
        for (const char *k : {"Input Window", "Search Window", "Import Window", "Export Window",
                              "Backup and Restore", "User Defined Reports", "Report Window",
                              "Viewer Configuration Title", "Viewer Configuration Look",
                              "Viewer Configuration Show", "Viewer Configuration Widths",
                              "Viewer Configuration Order", "Viewer Configuration Names"})
            QVERIFY2(html.contains("name=\"" + help::anchorFor(QLatin1String(k)).toUtf8() + "\""),
                     k);
        help::browser()->window()->close();
    }

    void listDefaultsAskFirst()
    {
        Fixture f(0);
        int saved = 0;
        f.w->SaveDefaultLists = [&saved] { ++saved; };
        f.prompts.answer(int(QMessageBox::No));
        f.w->action(QStringLiteral("MenuSaveDefaults"))->trigger();
        QCOMPARE(saved, 0);
        f.prompts.answer(int(QMessageBox::Yes));
        f.w->action(QStringLiteral("MenuSaveDefaults"))->trigger();
        QCOMPARE(saved, 1);
        const auto &q = f.prompts.asked().last();
        QCOMPARE(q.caption, QStringLiteral("Warning"));
        QVERIFY(q.beep);
        QCOMPARE(q.defaultButton, QMessageBox::No);
        QVERIFY(q.text.startsWith(
            QStringLiteral("Your current Data Lists will become your default list values.  ")));
    }
};

REGISTER_TEST(WindowTests)
#include "tst_window.moc"
