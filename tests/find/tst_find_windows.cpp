// Search, locate and search and replace through the real main window, on a coin table
// written by python3-dbf: the grid, the count and "SEARCH ON", the questions asked, and
// the files read back by python3-dbf and index_dump.
#include "find/locate_dialog.h"
#include "find/search_replace.h"
#include "find/search_window.h"
#include "find_fixture.h"
#include "main/main_window.h"
#include "platform/help_window.h"
#include "platform/modal.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

namespace
{

// Canada 1967 Fine, Argentina 1980 FINE, Qatar 1967 Very Fine, Chile 1950 Good,
// canada 2001 fine: python3-dbf writes them as MASTER.DBF before the program starts.
const char *const kCoins = R"([
 {"COUNTRY": "Canada", "YEAR": "1967", "CONDITION": "Fine", "MARKETVALU": 12.5, "PURCHDATE": "2001-02-03"},
 {"COUNTRY": "Argentina", "YEAR": "1980", "CONDITION": "FINE", "MARKETVALU": 20},
 {"COUNTRY": "Qatar", "YEAR": "1967", "CONDITION": "Very Fine", "MARKETVALU": 5},
 {"COUNTRY": "Chile", "YEAR": "1950", "CONDITION": "Good", "MARKETVALU": 12.25},
 {"COUNTRY": "canada", "YEAR": "2001", "CONDITION": "fine", "MARKETVALU": 7}
])";

struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::unique_ptr<TMain> w;

    Fixture()
    {
        useDirectories(dir.path());
        QDir().mkpath(dir.path() + QStringLiteral("/home"));
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(NUMAROK_TEST_DIR "/scripts/make_coins.py"),
                  dir.path() + QStringLiteral("/home/MASTER.DBF")});
        py.write(kCoins);
        py.closeWriteChannel();
        py.waitForFinished(30000);
        w = std::make_unique<TMain>();
        w->FormCreate({});
        w->FormShow();
    }
    template <class T> T *find(const char *name) const
    {
        return w->findChild<T *>(QLatin1String(name));
    }
    QString count() const { return find<QLabel>("CountLabel")->text(); }
    int gridRows() const { return find<QTableView>("ViewerGrid")->model()->rowCount(); }
    bool searchShown() const { return !find<QLabel>("SearchOnLabel")->isHidden(); }
    QString country()
    {
        return QString::fromStdString(
            w->database().table().asString(w->database().table().fieldByName("COUNTRY")));
    }
    QStringList countries()
    {
        QStringList out;
        const int keep = w->database().table().currentRow();
        for (int r = 0; r < w->database().table().recordCount(); ++r) {
            w->database().table().moveToRow(r);
            out << country();
        }
        w->database().table().moveToRow(keep);
        return out;
    }
    // Runs the search form with the levels given as lists of (row, text), then `last`.
    void search(const QList<QList<QPair<int, QString>>> &levels,
                const char *lastButton = "OkButton",
                const std::function<void(TMySearch *)> &more = {})
    {
        modal::enqueue([=](QDialog *d) {
            auto *s = static_cast<TMySearch *>(d);
            for (int i = 0; i < levels.size(); ++i) {
                for (const auto &cell : levels.at(i))
                    s->setCriteriaText(cell.first, cell.second);
                if (i + 1 < levels.size()) s->MoreButton->click();
            }
            if (more) more(s);
            if (d->isVisible()) d->findChild<QPushButton *>(QLatin1String(lastButton))->click();
            if (d->isVisible()) s->ExitButton->click();
        });
        w->action(QStringLiteral("MenuSearch"))->trigger();
    }
};

} // namespace

class SearchWindowTests : public QObject
{
    Q_OBJECT
private slots:
    void searchNarrowsAndEndSearchRestores()
    {
        Fixture f;
        QCOMPARE(f.count(), QStringLiteral("5"));
        f.search({{{1, QStringLiteral("ar")}}});
        QVERIFY(f.w->database().searchOn());
        QVERIFY(f.searchShown());
        QVERIFY(f.w->action(QStringLiteral("MenuEndSearch"))->isEnabled());
        QCOMPARE(f.count(), QStringLiteral("2"));
        QCOMPARE(f.gridRows(), 2);
        QCOMPARE(f.countries(), (strings({"Argentina", "Qatar"})));
        f.w->action(QStringLiteral("MenuEndSearch"))->trigger();
        QVERIFY(!f.w->database().searchOn());
        QVERIFY(!f.searchShown());
        QCOMPARE(f.count(), QStringLiteral("5"));
        QCOMPARE(f.gridRows(), 5);
        QVERIFY(f.prompts.asked().isEmpty());
    }

    // Typing into the masked cell editor: the "=" of the mask stays, the value is read.
    void typingInTheCellEditor()
    {
        Fixture f;
        f.search({}, "OkButton", [](TMySearch *s) {
            s->SearchGrid->setCurrentCell(6, 2);
            auto *editor = qobject_cast<QLineEdit *>(
                s->SearchGrid->indexWidget(s->SearchGrid->currentIndex()));
            QVERIFY(editor);
            editor->setCursorPosition(0);
            QTest::keyClicks(editor, QStringLiteral("12.5"));
            QCOMPARE(s->criteriaText(7).trimmed(), QStringLiteral("= 12.5"));
            // Tab goes on to the next row's criteria cell, Shift+Tab back.
            QTest::keyClick(editor, Qt::Key_Tab);
            QCOMPARE(s->SearchGrid->currentRow(), 7);
            QCOMPARE(s->SearchGrid->currentColumn(), 2);
            QTest::keyClick(s->SearchGrid->indexWidget(s->SearchGrid->currentIndex()),
                            Qt::Key_Backtab);
            QCOMPARE(s->SearchGrid->currentRow(), 6);
            QCOMPARE(s->SearchGrid->currentColumn(), 2);
        });
        QCOMPARE(f.countries(), strings({"Canada"}));
        QCOMPARE(f.count(), QStringLiteral("1"));
    }

    void twoLevelsAndANewSearchReplacingIt()
    {
        Fixture f;
        f.search({{{1, QStringLiteral("canada")}}, {{3, QStringLiteral("1967")}}});
        QCOMPARE(f.countries(), (strings({"Canada", "Qatar", "canada"})));
        QCOMPARE(f.count(), QStringLiteral("3"));
        // The new search replaces the applied one rather than narrowing it further.
        f.search({{{4, QStringLiteral("good")}}});
        QCOMPARE(f.countries(), (strings({"Chile"})));
        QCOMPARE(f.count(), QStringLiteral("1"));
    }

    void noMatchClearsAndEndsTheSearch()
    {
        Fixture f;
        f.search({{{1, QStringLiteral("ar")}}});
        QCOMPARE(f.count(), QStringLiteral("2"));
        int level = 0, items = -1;
        QString title;
        f.search({{{1, QStringLiteral("zzz")}}}, "OkButton", {});
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{
                     QStringLiteral("No valid matches found.  Search criteria will be cleared.")});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Notice"));
        auto *s = f.w->findChild<TMySearch *>(QStringLiteral("TMySearch"));
        level = s->SearchLevel();
        items = s->ItemCount();
        title = s->SearchGrid->horizontalHeaderItem(2)->text();
        QCOMPARE(level, 1);
        QCOMPARE(items, 0);
        QCOMPARE(title, QStringLiteral(" SEARCH CRITERIA    (Level 1)"));
        QCOMPARE(s->criteriaText(1), QString());
        QVERIFY(!f.w->database().searchOn());
        QVERIFY(!f.searchShown());
        QCOMPARE(f.count(), QStringLiteral("5"));
    }

    // Leaving with Exit keeps the applied search's items, so the viewer still shows its
    // matches and new records are still tested against them.
    void exitKeepsTheAppliedSearch()
    {
        Fixture f;
        f.search({{{1, QStringLiteral("ar")}}});
        f.search({{{1, QStringLiteral("chile")}}}, "ExitButton");
        QVERIFY(f.w->database().searchOn());
        QCOMPARE(f.count(), QStringLiteral("2"));
        f.w->database().table().refilter();
        QCOMPARE(f.countries(), (strings({"Argentina", "Qatar"})));
    }

    void messagesOfBadLevels()
    {
        Fixture f;
        f.search({}, "ExitButton", [](TMySearch *s) {
            s->OkButton->click(); // nothing typed
            s->setCriteriaText(3, QStringLiteral("1967"));
            s->OperatorCodes[10] = 1;
            s->setCriteriaText(11, QStringLiteral("= 13/01/2001"));
            s->OkButton->click();
            QCOMPARE(s->SearchGrid->currentRow(), 10);
            QCOMPARE(s->ItemCount(), 0);
        });
        QCOMPARE(f.prompts.askedTexts(),
                 (strings({"No search criteria entered.",
                           "Invalid search criteria entered.  Please correct."})));
        QCOMPARE(f.prompts.asked().at(0).caption, QStringLiteral("Error"));
        QCOMPARE(f.prompts.asked().at(1).caption, QStringLiteral("Error"));
        QVERIFY(!f.w->database().searchOn());
    }

    void tenthLevelDisablesFindMore()
    {
        Fixture f;
        f.search({}, "ExitButton", [](TMySearch *s) {
            for (int level = 1; level < 10; ++level) {
                QVERIFY(s->MoreButton->isEnabled());
                s->setCriteriaText(1, QStringLiteral("a"));
                s->MoreButton->click();
            }
            QCOMPARE(s->SearchLevel(), 10);
            QVERIFY(!s->MoreButton->isEnabled());
            QCOMPARE(s->SearchGrid->horizontalHeaderItem(2)->text(),
                     QStringLiteral(" SEARCH CRITERIA    (Level 10)"));
            s->ClearButton->click();
            QVERIFY(s->MoreButton->isEnabled());
            QCOMPARE(s->ItemCount(), 0);
        });
    }

    void seventySixthItemClearsEverything()
    {
        Fixture f;
        f.search({}, "ExitButton", [](TMySearch *s) {
            for (int level = 1; level <= 6; ++level) {
                for (int row = 1; row <= 20; ++row)
                    if (finding::searchRow(row).kind == finding::RowKind::Text)
                        s->setCriteriaText(row, QStringLiteral("x"));
                s->MoreButton->click();
            }
            QCOMPARE(s->ItemCount(), 0);
            QCOMPARE(s->SearchLevel(), 1);
            QCOMPARE(s->criteriaText(1), QString());
        });
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "More than 75 search items have been entered.  This exceeds the "
                     "maximum allowable.  Search criteria will be cleared.")});
    }

    void operatorPickAndMasks()
    {
        Fixture f;
        f.search({}, "OkButton", [](TMySearch *s) {
            QCOMPARE(s->SearchGridGetEditMask(6), QStringLiteral("= xxxxxxxxx; "));
            QCOMPARE(s->SearchGridGetEditMask(1), QString());
            QCOMPARE(s->SearchGridGetEditMask(11), QStringLiteral("= 00/00/0000; "));
            modal::enqueue([](QDialog *d) {
                auto *o = static_cast<TSearchOptions *>(d);
                QCOMPARE(o->windowTitle(), QStringLiteral("Search Options"));
                QCOMPARE(o->FieldNameLabel->text(), QStringLiteral("Market Value"));
                QStringList entries;
                for (int i = 0; i < o->ListBox1->count(); ++i)
                    entries << o->ListBox1->item(i)->text();
                QCOMPARE(entries, (strings({" = ", " > ", " < ", " > X < "})));
                QCOMPARE(o->ListBox1->currentRow(), 0);
                o->ListBox1->setCurrentRow(3);
                o->OkButton->click();
            });
            s->SearchGridMouseUp(7, 1);
            QCOMPARE(s->OperatorCodes[6], 4);
            QCOMPARE(s->SearchGridGetEditMask(7),
                     QStringLiteral("\\> xxxxxxxxx \\A\\N\\D \\< xxxxxxxx; "));
            QCOMPARE(s->SearchGrid->currentRow(), 6);
            // The cell editor takes the new mask: typing fills the range's two places.
            auto *editor = qobject_cast<QLineEdit *>(
                s->SearchGrid->indexWidget(s->SearchGrid->currentIndex()));
            QVERIFY(editor);
            QCOMPARE(editor->inputMask(), QStringLiteral("\\> xxxxxxxxx \\A\\N\\D \\< xxxxxxxx"));
            modal::enqueue([](QDialog *d) {
                auto *o = static_cast<TSearchOptions *>(d);
                QCOMPARE(o->ListBox1->count(), 2);
                o->ListBox1->setCurrentRow(0);
                o->OkButton->click();
            });
            s->SearchGridMouseUp(16, 1); // Wanted: YES / NO
            QCOMPARE(s->criteriaText(16), QStringLiteral("YES"));
            s->SearchGridMouseUp(2, 1); // a text row without a list: nothing happens
            QCOMPARE(modal::pending(), 0);
            s->setCriteriaText(16, QString());
            s->setCriteriaText(7, QStringLiteral(">  10      AND < 15      "));
        });
        // The range 10 < market value < 15: 12.5 and 12.25.
        QCOMPARE(f.countries(), (strings({"Canada", "Chile"})));
    }

    void helpOpensAtTheSearchWindow()
    {
        Fixture f;
        f.search({}, "ExitButton", [](TMySearch *s) { s->HelpButton->click(); });
        QVERIFY(help::browser());
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Search_Window"));
    }

    void dateMaskFollowsTheSeparator()
    {
        Fixture f;
        f.w->chooseDateStyle(3); // a style with "."
        const QChar sep = QLatin1Char(dbase::DateStyle::current().separator());
        f.search({}, "ExitButton", [sep](TMySearch *s) {
            QCOMPARE(s->SearchGridGetEditMask(11), QStringLiteral("= 00") + sep +
                                                       QStringLiteral("00") + sep +
                                                       QStringLiteral("0000; "));
        });
    }

    void countryListInThePickDialog()
    {
        Fixture f;
        f.w->lists.setList(picklists::Country, {QStringLiteral("Chile"), QStringLiteral("Peru")});
        f.search({}, "OkButton", [](TMySearch *s) {
            modal::enqueue([](QDialog *d) {
                auto *o = static_cast<TSearchOptions *>(d);
                QCOMPARE(o->ListBox1->count(), 2);
                o->ListBox1->setCurrentRow(0);
                o->OkButton->click();
            });
            s->SearchGridMouseUp(1, 1);
            QCOMPARE(s->criteriaText(1), QStringLiteral("Chile"));
        });
        QCOMPARE(f.countries(), strings({"Chile"}));
    }
};

class LocateWindowTests : public QObject
{
    Q_OBJECT
private:
    // Runs Locate with the form filled in, then the button.
    static void locate(Fixture &f, const QString &label, const QString &value, const char *button,
                       bool caseSensitive = false, const char *type = "PartialMatchStartBtn")
    {
        modal::enqueue([=](QDialog *d) {
            auto *l = static_cast<TMyLocateDlg *>(d);
            l->FieldNameComboBox->setCurrentIndex(l->FieldNameComboBox->findText(label));
            l->SearchValue->setText(value);
            l->CaseSensitiveCheckBox->setChecked(caseSensitive);
            l->findChild<QRadioButton *>(QLatin1String(type))->setChecked(true);
            l->findChild<QPushButton *>(QLatin1String(button))->click();
            if (l->isVisible()) l->CancelButton->click();
        });
        f.w->action(QStringLiteral("MenuFind"))->trigger();
    }
private slots:
    void locateFirstAndNext()
    {
        Fixture f;
        f.w->database().table().moveToRow(2);
        modal::enqueue([](QDialog *d) {
            auto *l = static_cast<TMyLocateDlg *>(d);
            QCOMPARE(l->windowTitle(), QStringLiteral("Locate Field Value"));
            QVERIFY(l->PartialMatchStartBtn->isChecked());
            QVERIFY(l->NextButton->isDefault());
            QCOMPARE(l->FieldNameComboBox->currentIndex(), -1);
            QCOMPARE(l->FieldNameComboBox->count(), 20);
            QCOMPARE(l->FieldNameComboBox->itemText(0), QStringLiteral("Approx Year")); // sorted
            l->CancelButton->click();
        });
        f.w->action(QStringLiteral("MenuFind"))->trigger();
        QCOMPARE(f.w->database().table().currentRow(), 2);

        locate(f, QStringLiteral("Country"), QStringLiteral("can"), "FirstButton");
        QCOMPARE(f.w->database().table().currentRow(), 0);
        QCOMPARE(f.find<QTableView>("ViewerGrid")->currentIndex().row(), 0);
        // Locate Next repeats it from the current record without the form.
        f.w->action(QStringLiteral("MenuFindNext"))->trigger();
        QCOMPARE(f.w->database().table().currentRow(), 4);
        QCOMPARE(f.find<QTableView>("ViewerGrid")->currentIndex().row(), 4);
        f.w->action(QStringLiteral("MenuFindNext"))->trigger();
        QCOMPARE(f.w->database().table().currentRow(), 4);
        QCOMPARE(f.prompts.askedTexts(), QStringList{QStringLiteral("No more matches found")});
        QCOMPARE(f.prompts.asked().last().icon, Prompts::Icon::Information);
    }

    void caseSensitiveAndNotFound()
    {
        Fixture f;
        f.w->database().table().moveToRow(1);
        locate(f, QStringLiteral("Country"), QStringLiteral("can"), "FirstButton", true);
        QCOMPARE(f.w->database().table().currentRow(), 4);
        QCOMPARE(f.country(), QStringLiteral("canada"));
        f.w->database().table().moveToRow(1);
        locate(f, QStringLiteral("Country"), QStringLiteral("Peru"), "FirstButton");
        QCOMPARE(f.prompts.askedTexts(), QStringList{QStringLiteral("No matches found")});
        QCOMPARE(f.w->database().table().currentRow(), 1);
    }

    void exactNumberFindsTrailingZeros()
    {
        Fixture f;
        locate(f, QStringLiteral("Market Value"), QStringLiteral("12.50"), "FirstButton", false,
               "ExactMatchBtn");
        QCOMPARE(f.country(), QStringLiteral("Canada"));
        locate(f, QStringLiteral("Market Value"), QStringLiteral("12.2"), "FirstButton", false,
               "ExactMatchBtn");
        QCOMPARE(f.prompts.askedTexts(), QStringList{QStringLiteral("No matches found")});
    }

    void searchHidesAMatch()
    {
        Fixture f;
        f.search({{{3, QStringLiteral("1967")}}});
        QCOMPARE(f.countries(), (strings({"Canada", "Qatar"})));
        f.w->database().table().moveToRow(1);
        locate(f, QStringLiteral("Country"), QStringLiteral("canada"), "NextButton", false,
               "ExactMatchBtn");
        QCOMPARE(f.prompts.askedTexts(), QStringList{QStringLiteral("No more matches found")});
        QCOMPARE(f.country(), QStringLiteral("Qatar"));
    }

    void rememberedAndOtherFieldEmptiesTheValue()
    {
        Fixture f;
        locate(f, QStringLiteral("Year"), QStringLiteral("19"), "FirstButton", true,
               "PartialMatchAnyBtn");
        modal::enqueue([](QDialog *d) {
            auto *l = static_cast<TMyLocateDlg *>(d);
            QCOMPARE(l->FieldNameComboBox->currentText(), QStringLiteral("Year"));
            QCOMPARE(l->SearchValue->text(), QStringLiteral("19"));
            QVERIFY(l->CaseSensitiveCheckBox->isChecked());
            QVERIFY(l->PartialMatchAnyBtn->isChecked());
            const int other = l->FieldNameComboBox->findText(QStringLiteral("Country"));
            l->FieldNameComboBox->setCurrentIndex(other);
            emit l->FieldNameComboBox->activated(other);
            QCOMPARE(l->SearchValue->text(), QString());
            l->CancelButton->click();
        });
        f.w->action(QStringLiteral("MenuFind"))->trigger();
    }

    void fieldSelectionListsTheShownFields()
    {
        Fixture f;
        f.w->database().settings().displayFields.fill(false);
        f.w->database().settings().displayFields[coin::Country - 1] = true;
        f.w->database().settings().displayFields[coin::Year - 1] = true;
        // The component is made at the first use.
        modal::enqueue([](QDialog *d) { static_cast<TMyLocateDlg *>(d)->CancelButton->click(); });
        f.w->action(QStringLiteral("MenuFind"))->trigger();
        auto *component = f.w->findChild<TMyLocateDialog *>(QStringLiteral("TMyLocateDialog"));
        QVERIFY(component);
        component->FieldSelection = true;
        component->SortFields = fsSortByFieldNo;
        QStringList listed;
        modal::enqueue([&](QDialog *d) {
            auto *l = static_cast<TMyLocateDlg *>(d);
            for (int i = 0; i < l->FieldNameComboBox->count(); ++i)
                listed << l->FieldNameComboBox->itemText(i);
            l->CancelButton->click();
        });
        f.w->action(QStringLiteral("MenuFind"))->trigger();
        QCOMPARE(listed, (strings({"Country", "Year"})));
    }

    // While the field list has the focus, Enter does not start a search.
    void fieldListFocusTakesTheDefaultButton()
    {
        Fixture f;
        modal::enqueue([](QDialog *d) {
            auto *l = static_cast<TMyLocateDlg *>(d);
            QVERIFY(l->NextButton->isDefault());
            l->FieldNameComboBoxEnter();
            QVERIFY(!l->NextButton->isDefault());
            QVERIFY(!l->FirstButton->isDefault());
            l->FieldNameComboBoxExit();
            QVERIFY(l->NextButton->isDefault());
            l->CancelButton->click();
        });
        f.w->action(QStringLiteral("MenuFind"))->trigger();
    }

    void messagesWithoutAnOpenTable()
    {
        Fixture f;
        f.w->database().table().close();
        f.w->action(QStringLiteral("MenuFind"))->trigger();
        f.w->action(QStringLiteral("MenuFindNext"))->trigger();
        QCOMPARE(f.prompts.askedTexts(),
                 (strings({"DataSource does not reference an active DataSet",
                           "DataSource does not refer to an active table!"})));
        QCOMPARE(f.prompts.asked().at(0).caption, QStringLiteral("Error"));
        QCOMPARE(f.prompts.asked().at(1).caption, QStringLiteral("Warning"));
        QCOMPARE(modal::pending(), 0);
    }

    // The speed buttons and the lettered buttons open the same windows as the menu.
    void buttonsReachTheWindows()
    {
        Fixture f;
        QStringList shown;
        auto record = [&](QDialog *d) {
            shown << d->objectName();
            d->reject();
        };
        for (const char *b : {"SearchSpeed", "LocateSpeed", "LocateNextSpeed"}) {
            modal::enqueue(record);
            f.find<QToolButton>(b)->click();
        }
        f.w->action(QStringLiteral("MenuButtons"))->trigger();
        modal::enqueue(record);
        f.find<QPushButton>("SearchButton")->click();
        QCOMPARE(shown, (strings({"TMySearch", "TMyLocateDlg", "TMyLocateDlg", "TMySearch"})));
    }

    void labelsWithTildeShowBlanks()
    {
        Fixture f;
        f.w->database().settings().fieldNames[0] = QStringLiteral("Land~of~Issue");
        locate(f, QStringLiteral("Land of Issue"), QStringLiteral("chi"), "FirstButton");
        QCOMPARE(f.country(), QStringLiteral("Chile"));
    }
};

class SearchReplaceWindowTests : public QObject
{
    Q_OBJECT
private:
    static void replace(Fixture &f, int field, const QString &search, const QString &replacement,
                        bool confirm = false)
    {
        modal::enqueue([=](QDialog *d) {
            auto *r = static_cast<TSearchAndReplace *>(d);
            r->FieldBox->setCurrentIndex(field - 1);
            r->SearchText->setText(search);
            r->ReplaceText->setText(replacement);
            r->ConfirmBox->setChecked(confirm);
            r->StartButton->click();
            if (r->isVisible()) r->CancelButton->click();
        });
        f.w->action(QStringLiteral("MenuSearchReplace"))->trigger();
    }
    static QStringList column(const QString &path, int field)
    {
        QStringList out;
        for (const auto &r : dumpTable(path)[QStringLiteral("records")].toArray())
            out << r.toObject()[QStringLiteral("values")]
                       .toArray()
                       .at(field - 1)
                       .toVariant()
                       .toString();
        return out;
    }
    static QStringList indexWalk(const QString &indexFile)
    {
        QProcess dump;
        dump.start(QStringLiteral("index_dump"), {indexFile, QStringLiteral("NewIndex")});
        dump.waitForFinished(30000);
        QStringList recnos;
        for (const QByteArray &line : dump.readAllStandardOutput().split('\n'))
            if (!line.trimmed().isEmpty())
                recnos << QString::fromLatin1(line.trimmed().split(' ').last());
        return recnos;
    }
private slots:
    void fineBecomesVeryFine()
    {
        Fixture f;
        // Sorted by condition, so the walk of the rebuilt index shows the new values' order.
        f.w->database().settings().sortLevels[0] = coin::Condition;
        f.w->database().buildSortString();
        f.w->reopenShared();
        replace(f, coin::Condition, QStringLiteral("fine"), QStringLiteral("Very Fine"));
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("Global Search and Replace Complete.")});
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Finished"));
        QVERIFY(f.w->database().table().isOpen());
        QVERIFY(!f.w->database().table().exclusive());
        QCOMPARE(QString::fromStdString(f.w->database().table().indexName()),
                 QStringLiteral("NewIndex"));
        QCOMPARE(column(f.w->database().currentPath(), coin::Condition),
                 (strings({"Very Fine", "Very Fine", "Very Fine", "Good", "Very Fine"})));
        // Good sorts before Very Fine; equal keys in record order.
        QCOMPARE(indexWalk(f.w->database().indexFilePath()), (strings({"4", "1", "2", "3", "5"})));
        QCOMPARE(f.countries(), (strings({"Chile", "Canada", "Argentina", "Qatar", "canada"})));
    }

    void noToEveryQuestionChangesNothing()
    {
        Fixture f;
        f.w->database().table().close();
        const QByteArray before = readBytes(f.w->database().currentPath());
        f.w->reopenShared();
        for (int i = 0; i < 3; ++i)
            f.prompts.answer(int(QMessageBox::No));
        int found = -1, changed = -1;
        modal::enqueue([&](QDialog *d) {
            auto *r = static_cast<TSearchAndReplace *>(d);
            r->FieldBox->setCurrentIndex(coin::Condition - 1);
            r->SearchText->setText(QStringLiteral("FINE"));
            r->ReplaceText->setText(QStringLiteral("Poor"));
            r->ConfirmBox->setChecked(true);
            r->StartButton->click();
            found = r->Found;
            changed = r->Changed;
            QCOMPARE(r->FoundCount->text(), QStringLiteral("3"));
        });
        f.w->action(QStringLiteral("MenuSearchReplace"))->trigger();
        QCOMPARE(found, 3);
        QCOMPARE(changed, 0);
        QCOMPARE(f.prompts.asked().at(0).text,
                 QStringLiteral("Item = \"Canada\".  Change this record?"));
        QCOMPARE(f.prompts.asked().at(0).caption, QStringLiteral("Confirm"));
        QCOMPARE(f.prompts.asked().at(1).text,
                 QStringLiteral("Item = \"Argentina\".  Change this record?"));
        f.w->database().table().close();
        QCOMPARE(readBytes(f.w->database().currentPath()), before);
    }

    void numberMatchesExactly()
    {
        Fixture f;
        replace(f, coin::MarketValu, QStringLiteral("12.5"), QStringLiteral("13"));
        QCOMPARE(column(f.w->database().currentPath(), coin::MarketValu),
                 (strings({"13", "20", "5", "12.25", "7"})));
    }

    void runWhileASearchIsOn()
    {
        Fixture f;
        f.search({{{1, QStringLiteral("canada")}}});
        QCOMPARE(f.count(), QStringLiteral("2"));
        int processed = 0;
        modal::enqueue([&](QDialog *d) {
            auto *r = static_cast<TSearchAndReplace *>(d);
            r->FieldBox->setCurrentIndex(coin::Year - 1);
            r->SearchText->setText(QStringLiteral("1967"));
            r->ReplaceText->setText(QStringLiteral("1968"));
            r->StartButton->click();
            processed = r->Processed;
        });
        f.w->action(QStringLiteral("MenuSearchReplace"))->trigger();
        QCOMPARE(processed, 5);
        QCOMPARE(column(f.w->database().currentPath(), coin::Year),
                 (strings({"1968", "1980", "1968", "1950", "2001"})));
        QVERIFY(f.w->database().searchOn());
        QVERIFY(f.searchShown());
        QCOMPARE(f.count(), QStringLiteral("2"));
        QCOMPARE(f.countries(), (strings({"Canada", "canada"})));
    }

    void refusedWhileAnotherProgramHoldsTheTable()
    {
        Fixture f;
        f.w->database().table().close();
        const QByteArray before = readBytes(f.w->database().currentPath());
        f.w->reopenShared();
        QProcess holder;
        holder.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral(NUMAROK_TEST_SCRIPTS "/hold_open.py"), f.w->database().currentPath()});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("ready"));
        bool stillOpen = false;
        modal::enqueue([&](QDialog *d) {
            auto *r = static_cast<TSearchAndReplace *>(d);
            r->FieldBox->setCurrentIndex(coin::Condition - 1);
            r->SearchText->setText(QStringLiteral("fine"));
            r->ReplaceText->setText(QStringLiteral("Poor"));
            r->StartButton->click();
            stillOpen = r->isVisible();
            r->CancelButton->click();
        });
        f.w->action(QStringLiteral("MenuSearchReplace"))->trigger();
        holder.write("\n");
        holder.waitForFinished(10000);
        QVERIFY(stillOpen);
        QCOMPARE(
            f.prompts.askedTexts(),
            QStringList{QStringLiteral("Search and Replace requires exclusive use of the DBase "
                                       "File.  Make sure that the DBase "
                                       "File is not in use by another program  or that no other "
                                       "users are running the software "
                                       "or that no other copies of the software are in use.")});
        QVERIFY(f.w->database().table().isOpen());
        QVERIFY(!f.w->database().table().exclusive());
        QCOMPARE(f.count(), QStringLiteral("5"));
        f.w->database().table().close();
        QCOMPARE(readBytes(f.w->database().currentPath()), before);
    }

    void inputChecksAndFocus()
    {
        Fixture f;
        modal::enqueue([](QDialog *d) {
            auto *r = static_cast<TSearchAndReplace *>(d);
            QCOMPARE(r->FieldBox->count(), 20);
            QCOMPARE(r->FieldBox->maxVisibleItems(), 15);
            r->StartButton->click();
            r->FieldBox->setCurrentIndex(coin::PurchDate - 1);
            QCOMPARE(r->SearchText->inputMask(), QStringLiteral("00/00/0000"));
            r->StartButton->click(); // untouched date mask
            r->FieldBox->setCurrentIndex(coin::Quantity - 1);
            r->SearchText->setText(QStringLiteral("3"));
            r->ReplaceText->setText(QStringLiteral("x"));
            r->StartButton->click();
            r->FieldBox->setCurrentIndex(coin::MintMark - 1);
            QCOMPARE(r->SearchText->text(), QString()); // a new field empties both boxes
            QCOMPARE(r->SearchText->maxLength(), 3);
            r->CancelButton->click();
        });
        f.w->action(QStringLiteral("MenuSearchReplace"))->trigger();
        QCOMPARE(f.prompts.askedTexts(),
                 (strings({"No field has been selected.",
                           "Invalid search date entered.  Please correct.",
                           "Invalid replacement value entered.  Please correct."})));
    }

    // A value the field cannot hold ends the walk: the abort message, the table shared
    // again with its sort index, nothing changed.
    void failedPostAborts()
    {
        Fixture f;
        f.w->database().table().close();
        const QByteArray before = readBytes(f.w->database().currentPath());
        f.w->reopenShared();
        replace(f, coin::MarketValu, QStringLiteral("20"), QStringLiteral("1e30"));
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "Error in running search and replace.  Search and replace will be aborted.")});
        QVERIFY(f.w->database().table().isOpen());
        QVERIFY(!f.w->database().table().exclusive());
        QCOMPARE(QString::fromStdString(f.w->database().table().indexName()),
                 QStringLiteral("NewIndex"));
        QCOMPARE(indexWalk(f.w->database().indexFilePath()).size(), 5);
        QCOMPARE(f.count(), QStringLiteral("5"));
        f.w->database().table().close();
        QCOMPARE(readBytes(f.w->database().currentPath()), before);
    }

    void counterText()
    {
        QCOMPARE(TSearchAndReplace::groupedCount(0), QStringLiteral("0"));
        QCOMPARE(TSearchAndReplace::groupedCount(999), QStringLiteral("999"));
        QCOMPARE(TSearchAndReplace::groupedCount(1000), QStringLiteral("1,000"));
        QCOMPARE(TSearchAndReplace::groupedCount(1234567), QStringLiteral("1,234,567"));
    }

    void browseModeDisablesOnlySearchAndReplace()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        ScriptedPrompts prompts;
        TMain browse;
        browse.FormCreate({QStringLiteral("/BROWSE")});
        QVERIFY(!browse.action(QStringLiteral("MenuSearchReplace"))->isEnabled());
        for (const char *a : {"MenuSearch", "MenuFind", "MenuFindNext"})
            QVERIFY2(browse.action(QLatin1String(a))->isEnabled(), a);
        QCOMPARE(browse.action(QStringLiteral("MenuSearch"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(browse.action(QStringLiteral("MenuEndSearch"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+I")));
        QCOMPARE(browse.action(QStringLiteral("MenuFind"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+L")));
        QCOMPARE(browse.action(QStringLiteral("MenuFindNext"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(browse.action(QStringLiteral("MenuSearchReplace"))->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+F")));
    }
};

REGISTER_TEST(SearchWindowTests)
REGISTER_TEST(LocateWindowTests)
REGISTER_TEST(SearchReplaceWindowTests)
#include "tst_find_windows.moc"
