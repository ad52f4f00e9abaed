// The record editor in the real main window: the update checks, the Wanted rule, the pick
// lists it feeds, its questions and moves, the saved defaults, a round trip read back by
// python3-dbf, and Print Record through a real CUPS queue.
#include "db/coin_schema.h"
#include "dbase/error.h"
#include "dbase/fileio.h"
#include "editor/list_dialogs.h"
#include "editor/pick_lists.h"
#include "editor/record_editor.h"
#include "editor/record_print.h"
#include "platform/help_window.h"
#include "platform/ini_file.h"
#include "platform/modal.h"
#include "test_registry.h"
#include "window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <pwd.h>
#include <unistd.h>

namespace
{

using Values = QHash<int, QString>; // field number -> text

void addRecord(dbase::Table &t, const Values &values)
{
    t.append();
    for (auto it = values.begin(); it != values.end(); ++it)
        t.setAsString(t.fieldByName(coin::field(it.key()).name), it.value().toStdString());
    t.post();
}

// Three coins in natural order.
void threeCoins(dbase::Table &t)
{
    addRecord(t,
              {{coin::Country, QStringLiteral("Austria")}, {coin::Quantity, QStringLiteral("1")}});
    addRecord(t,
              {{coin::Country, QStringLiteral("Belgium")}, {coin::Quantity, QStringLiteral("2")}});
    addRecord(t, {{coin::Country, QStringLiteral("Chile")}, {coin::Quantity, QStringLiteral("3")}});
}

struct EditorFixture : WindowFixture {
    using WindowFixture::WindowFixture;

    // Opens the editor with a main-window command and runs `steps` while it shows.
    void inEditor(void (TMain::*command)(), const std::function<void(TMyEdit &)> &steps)
    {
        modal::enqueue([steps](QDialog *d) { steps(*static_cast<TMyEdit *>(d)); });
        (w.get()->*command)();
    }
    QString stored(int field)
    {
        return QString::fromStdString(w->database().table().asString(
            w->database().table().fieldByName(coin::field(field).name)));
    }
};

template <class T> T *child(TMyEdit &e, const char *name)
{
    T *w = e.findChild<T *>(QLatin1String(name));
    if (!w) qFatal("no control %s", name);
    return w;
}

void trigger(TMyEdit &e, const char *action)
{
    e.action(QLatin1String(action))->trigger();
}

} // namespace

class EditorUpdateTests : public QObject
{
    Q_OBJECT
private slots:
    void blankDateStoresEmpty_data()
    {
        QTest::addColumn<int>("style");
        QTest::newRow("slash") << 1;
        QTest::newRow("dash") << 5;
        QTest::newRow("dot") << 9;
    }
    void blankDateStoresEmpty()
    {
        QFETCH(int, style);
        EditorFixture f;
        f.w->chooseDateStyle(style);
        QString shown;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            shown = e.controlText(coin::PurchDate);
            e.setControlText(coin::Country, QStringLiteral("Peru"));
            trigger(e, "MenuUpdateExit");
        });
        const QChar sep = QLatin1Char(dbase::DateStyle::current().separator());
        QCOMPARE(shown, QStringLiteral("  %1  %1    ").arg(sep));
        QCOMPARE(f.w->database().table().recordCount(), 1);
        QVERIFY(f.w->database().table().isNull(f.w->database().table().fieldByName("PurchDate")));
        QVERIFY(f.prompts.asked().isEmpty());
    }

    void refusals_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString date = QStringLiteral("Invalid acquired date specified.  Please correct.");
        QTest::newRow("month 13") << int(coin::PurchDate) << "13/01/2020" << date;
        QTest::newRow("half a date") << int(coin::PurchDate) << "12/__/____" << date;
        QTest::newRow("31 February") << int(coin::PurchDate) << "02/31/2020" << date;
        QTest::newRow("price with letters")
            << int(coin::PurchasePr) << "12x"
            << QStringLiteral("Invalid purchase price specified.  Please correct.");
        QTest::newRow("market value with two points")
            << int(coin::MarketValu) << "1.2.3"
            << QStringLiteral("Invalid market value specified.  Please correct.");
        QTest::newRow("premium value a word")
            << int(coin::PremiumVal) << "abc"
            << QStringLiteral("Invalid premium value specified.  Please correct.");
        QTest::newRow("quantity with decimals")
            << int(coin::Quantity) << "2.5"
            << QStringLiteral("Invalid quantity specified.  Please correct.");
        QTest::newRow("quantity a word")
            << int(coin::Quantity) << "one"
            << QStringLiteral("Invalid quantity specified.  Please correct.");
        QTest::newRow("a joined list longer than its field")
            << int(coin::Miscellane) << QString(111, QLatin1Char('m'))
            << QStringLiteral("Miscellaneous is longer than the 110 characters the database can "
                              "hold.  Please shorten it.");
    }
    void refusals()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        EditorFixture f;
        const QByteArray before = readBytes(f.w->database().currentPath());
        bool stillOpen = false;
        QWidget *focused = nullptr;
        QWidget *box = nullptr;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&e));
            e.setControlText(coin::Country, QStringLiteral("Atlantis"));
            e.setControlText(field, text);
            box = e.findChild<QWidget *>(QLatin1String(field == coin::PurchDate    ? "PurchDate"
                                                       : field == coin::Quantity   ? "Quantity"
                                                       : field == coin::PurchasePr ? "PurchasePrice"
                                                       : field == coin::MarketValu ? "MarketValue"
                                                       : field == coin::PremiumVal ? "PremiumValue"
                                                                                   : "Misc"));
            trigger(e, "MenuUpdateExit");
            stillOpen = e.isVisible();
            focused = QApplication::focusWidget();
            f.prompts.answer(int(QMessageBox::Yes)); // leave without updating
            trigger(e, "MenuExit");
        });
        QVERIFY(stillOpen);
        QCOMPARE(focused, box);
        QCOMPARE(f.prompts.askedTexts().first(), message);
        QCOMPARE(f.prompts.asked().first().caption, QStringLiteral("Error"));
        QCOMPARE(f.w->database().table().recordCount(), 0);
        QCOMPARE(readBytes(f.w->database().currentPath()), before);
        QCOMPARE(f.w->MyEdit->mode(), EditorMode::New);
        QVERIFY(!f.w->lists.list(picklists::Country)
                     .contains(QStringLiteral("Atlantis"))); // no list changed either
    }

    void emptyNumbersStoreZero()
    {
        EditorFixture f;
        QStringList totals;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            for (int n : {int(coin::PurchasePr), int(coin::MarketValu), int(coin::PremiumVal),
                          int(coin::Quantity)})
                e.setControlText(n, QString());
            e.CalcTotals();
            for (const char *name : {"TotalPPriceLabel", "TotalMValueLabel", "TotalPValueLabel"})
                totals << child<QLabel>(e, name)->text();
            trigger(e, "MenuUpdateExit");
        });
        QCOMPARE(totals, QStringList(3, QStringLiteral("0.00 ")));
        QCOMPARE(f.w->database().table().recordCount(), 1);
        for (int n : {int(coin::PurchasePr), int(coin::MarketValu), int(coin::PremiumVal),
                      int(coin::Quantity)}) {
            QVERIFY(!f.w->database().table().isNull(
                f.w->database().table().fieldByName(coin::field(n).name)));
            QCOMPARE(f.w->database().table().asFloat(
                         f.w->database().table().fieldByName(coin::field(n).name)),
                     0.0);
        }
    }

    void shownAmountsAreNotCutByTheTypingLimit_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("stored");
        QTest::newRow("price of ten digits")
            << "PurchasePrice" << int(coin::PurchasePr) << "1234567890"
            << "1,234,567,890.00" << 1234567890.0;
        QTest::newRow("typing stops at 12")
            << "MarketValue" << int(coin::MarketValu) << "1234567890123"
            << "123,456,789,012.00" << 123456789012.0;
        QTest::newRow("quantity of five digits") << "Quantity" << int(coin::Quantity) << "12345"
                                                 << "12,345" << 12345.0;
    }
    void shownAmountsAreNotCutByTheTypingLimit()
    {
        QFETCH(QString, box);
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(double, stored);
        EditorFixture f;
        QString after;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            auto *edit = child<QLineEdit>(e, box.toLatin1().constData());
            edit->clear();
            QTest::keyClicks(edit, typed);
            if (field == coin::Quantity)
                e.QuantityExit();
            else
                field == coin::PurchasePr ? e.PurchasePriceExit() : e.MarketValueExit();
            QTest::keyClick(edit, Qt::Key_9); // the user cannot make it longer still
            after = edit->text();
            trigger(e, "MenuUpdateExit");
        });
        QCOMPARE(after, shown);
        QCOMPARE(f.w->database().table().recordCount(), 1);
        QCOMPARE(f.w->database().table().asFloat(
                     f.w->database().table().fieldByName(coin::field(field).name)),
                 stored);
    }

    void fieldExitsReformatAndTotal()
    {
        EditorFixture f;
        QStringList shown;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.setControlText(coin::Quantity, QStringLiteral("1,200"));
            e.QuantityExit();
            e.setControlText(coin::PurchasePr, QStringLiteral(" 1234.5 "));
            e.PurchasePriceExit();
            e.setControlText(coin::MarketValu, QStringLiteral("2x")); // left alone, counts as 2
            e.MarketValueExit();
            shown << e.controlText(coin::Quantity) << e.KeptQuantity
                  << e.controlText(coin::PurchasePr) << e.controlText(coin::MarketValu)
                  << child<QLabel>(e, "TotalPPriceLabel")->text()
                  << child<QLabel>(e, "TotalMValueLabel")->text();
            f.prompts.answer(int(QMessageBox::Yes));
        });
        QCOMPARE(shown,
                 (QStringList{QStringLiteral("1,200"), QStringLiteral("1,200"),
                              QStringLiteral("1,234.50"), QStringLiteral("2x"),
                              QStringLiteral("1,481,400.00 "), QStringLiteral("2,400.00 ")}));
    }
};

class EditorWantedTests : public QObject
{
    Q_OBJECT
private slots:
    void checkingAndUnchecking()
    {
        EditorFixture f;
        QStringList seen;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            auto *quantity = child<QLineEdit>(e, "Quantity");
            auto *wanted = child<QCheckBox>(e, "Wanted");
            e.setControlText(coin::Quantity, QStringLiteral("3"));
            e.setControlText(coin::PurchasePr, QStringLiteral("2.50"));
            e.CalcTotals();
            seen << child<QLabel>(e, "TotalPPriceLabel")->text();
            wanted->click();
            seen << quantity->text()
                 << (quantity->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"))
                 << child<QLabel>(e, "TotalPPriceLabel")->text();
            wanted->click();
            seen << quantity->text()
                 << (quantity->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"))
                 << child<QLabel>(e, "TotalPPriceLabel")->text();
            f.prompts.answer(int(QMessageBox::Yes));
        });
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("7.50 "), QStringLiteral("0"), QStringLiteral("off"),
                              QStringLiteral("0.00 "), QStringLiteral("3"), QStringLiteral("on"),
                              QStringLiteral("7.50 ")}));
    }

    void loadedWantedStoresZero()
    {
        EditorFixture f([](dbase::Table &t) {
            addRecord(t, {{coin::Country, QStringLiteral("Peru")},
                          {coin::Quantity, QStringLiteral("5")},
                          {coin::Wanted, QStringLiteral("Yes")},
                          {coin::YearApprox, QStringLiteral("yes")}});
        });
        QString quantity;
        bool enabled = true, approx = true;
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            quantity = e.controlText(coin::Quantity);
            enabled = child<QLineEdit>(e, "Quantity")->isEnabled();
            approx = child<QCheckBox>(e, "Approx")->isChecked(); // "yes" is not "Yes"
            trigger(e, "MenuUpdateExit");
        });
        QCOMPARE(quantity, QStringLiteral("0"));
        QVERIFY(!enabled);
        QVERIFY(!approx);
        QCOMPARE(f.w->database().table().recordCount(), 1);
        QCOMPARE(f.stored(coin::Quantity), QStringLiteral("0"));
        QCOMPARE(f.stored(coin::Wanted), QStringLiteral("Yes"));
        QCOMPARE(f.stored(coin::YearApprox), QStringLiteral("No"));
    }
};

class EditorListTests : public QObject
{
    Q_OBJECT
private slots:
    void typedValuesReachBothListsAndTheFile()
    {
        EditorFixture f;
        auto countIn = [](const QStringList &l, const char *s) {
            return l.count(QLatin1String(s));
        };
        QStringList editorItems;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            auto *country = child<QComboBox>(e, "Country");
            country->setFocus();
            QTest::keyClicks(country, QStringLiteral("  Atlantis  "));
            e.setControlText(coin::Topic, QStringLiteral("Ships"));
            trigger(e, "MenuUpdate");
            trigger(e, "MenuUpdate"); // again: no second entry
            e.setControlText(coin::Country, QStringLiteral("atlantis"));
            trigger(e, "MenuUpdate");
            for (int i = 0; i < country->count(); ++i)
                editorItems << country->itemText(i);
            trigger(e, "MenuExit");
        });
        const QStringList list = f.w->lists.list(picklists::Country);
        QCOMPARE(countIn(list, "Atlantis"), 1);
        QCOMPARE(countIn(list, "atlantis"), 1);
        QCOMPARE(list.mid(list.size() - 2),
                 (QStringList{QStringLiteral("Atlantis"), QStringLiteral("atlantis")}));
        QCOMPARE(editorItems, list);
        auto *grid = f.w->findChild<QComboBox *>(QStringLiteral("MyComboCountry"));
        QVERIFY(grid->findText(QStringLiteral("Atlantis"),
                               Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0);
        QVERIFY(f.w->lists.list(picklists::Topic).contains(QStringLiteral("Ships")));
        const QStringList file = picklists::readListFile(
            picklists::perDatabaseFile(f.w->database().basePath(), picklists::Country));
        QCOMPARE(countIn(file, "Atlantis"), 1);
        QCOMPARE(f.w->database().table().recordCount(), 1); // the second and third Update edited it
        QCOMPARE(f.stored(coin::Country), QStringLiteral("atlantis"));
    }
    // The Country, Topic and Condition boxes keep the letter case as typed or stored:
    // another letter case is another entry, never a reason to change what was written.
    void typedCaseIsKept_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("kind");
        QTest::newRow("Country") << int(coin::Country) << int(picklists::Country);
        QTest::newRow("Topic") << int(coin::Topic) << int(picklists::Topic);
        QTest::newRow("Condition") << int(coin::Condition) << int(picklists::Condition);
    }
    void typedCaseIsKept()
    {
        QFETCH(int, field);
        QFETCH(int, kind);
        EditorFixture f;
        f.w->lists.setList(picklists::Kind(kind),
                           {QStringLiteral("Canada"), QStringLiteral("Nowhere")});
        QString shown;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            auto *box = child<QComboBox>(e, coin::field(field).name);
            box->setFocus();
            QTest::keyClicks(box, QStringLiteral("canada"));
            emit box->lineEdit()->editingFinished(); // the box is left
            shown = box->currentText();
            trigger(e, "MenuUpdate");
            trigger(e, "MenuExit");
        });
        QCOMPARE(shown, QStringLiteral("canada"));
        QCOMPARE(f.stored(field), QStringLiteral("canada"));
        QVERIFY(f.w->lists.list(picklists::Kind(kind)).contains(QStringLiteral("canada")));
    }

    void walkingThroughChangesNothing_data() { typedCaseIsKept_data(); }
    void walkingThroughChangesNothing()
    {
        QFETCH(int, field);
        QFETCH(int, kind);
        EditorFixture f([field](dbase::Table &t) {
            addRecord(t, {{field, QStringLiteral("nowhere")}});
        });
        f.w->lists.setList(picklists::Kind(kind),
                           {QStringLiteral("Canada"), QStringLiteral("Nowhere")});
        const QByteArray before = readBytes(f.w->database().currentPath());
        QString shown;
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            for (const char *name : {"Country", "Condition", "Topic"}) {
                auto *box = child<QComboBox>(e, name);
                box->setFocus();
                emit box->lineEdit()->editingFinished();
            }
            shown = child<QComboBox>(e, coin::field(field).name)->currentText();
            trigger(e, "MenuExit"); // nothing changed: no question
        });
        QCOMPARE(shown, QStringLiteral("nowhere"));
        QVERIFY2(f.prompts.asked().isEmpty(),
                 qPrintable(f.prompts.askedTexts().join(QLatin1Char('|'))));
        QCOMPARE(readBytes(f.w->database().currentPath()), before);
    }

    // The lists are saved when the editor closes: a file that cannot be written (here a
    // directory is in its place) is said so; the typed entry stays in the list.
    void listsThatCannotBeWrittenOnClose()
    {
        EditorFixture f;
        const QString country =
            picklists::perDatabaseFile(f.w->database().basePath(), picklists::Country);
        QVERIFY(QDir().mkpath(country));
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.setControlText(coin::Country, QStringLiteral("Atlantis"));
            trigger(e, "MenuUpdate");
            trigger(e, "MenuExit");
        });
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("The Data List file \"") + country +
                             QStringLiteral("\" could not be written.")});
        QVERIFY(f.w->lists.list(picklists::Country).contains(QStringLiteral("Atlantis")));
    }
};

class EditorNavigationTests : public QObject
{
    Q_OBJECT
private slots:
    void newModeAsksEvenUntouched()
    {
        EditorFixture f(threeCoins);
        f.w->database().table().first();
        QString country;
        EditorMode mode = EditorMode::New;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            f.prompts.answer(int(QMessageBox::No));
            trigger(e, "MenuNext");
            country = e.controlText(coin::Country);
            mode = f.w->MyEdit->mode();
            trigger(e, "MenuExit");
        });
        QCOMPARE(f.prompts.askedTexts().first(),
                 QStringLiteral("This record has not been updated yet.  Update this record before "
                                "moving to the next "
                                "record?"));
        const auto &q = f.prompts.asked().first();
        QCOMPARE(q.caption, QStringLiteral("Warning"));
        QCOMPARE(q.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(q.defaultButton, QMessageBox::No);
        QCOMPARE(country, QStringLiteral("Belgium"));
        QCOMPARE(mode, EditorMode::Edit);
        QCOMPARE(f.w->database().table().recordCount(), 3);
    }

    void movesStopAtTheEnds()
    {
        EditorFixture f(threeCoins);
        f.w->database().table().last();
        QStringList seen;
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            trigger(e, "MenuNext");
            seen << e.controlText(coin::Country);
            trigger(e, "MenuPrevious");
            trigger(e, "MenuPrevious");
            trigger(e, "MenuPrevious");
            seen << e.controlText(coin::Country) << e.windowTitle();
            trigger(e, "MenuExit");
        });
        QCOMPARE(seen, (QStringList{QStringLiteral("Chile"), QStringLiteral("Austria"),
                                    QStringLiteral("Edit")}));
        QVERIFY(f.prompts.asked().isEmpty()); // nothing changed, nothing asked
        QCOMPARE(f.w->database().table().recordCount(), 3);
    }

    void changedDataQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shownAfter");
        QTest::addColumn<QString>("storedFirst");
        QTest::newRow("cancel stays") << int(QMessageBox::Cancel) << "Zaire"
                                      << "Austria";
        QTest::newRow("no moves on") << int(QMessageBox::No) << "Belgium"
                                     << "Austria";
        QTest::newRow("yes updates and moves") << int(QMessageBox::Yes) << "Belgium"
                                               << "Zaire";
    }
    void changedDataQuestion()
    {
        QFETCH(int, answer);
        QFETCH(QString, shownAfter);
        QFETCH(QString, storedFirst);
        EditorFixture f(threeCoins);
        f.w->database().table().first();
        QString shown;
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            e.setControlText(coin::Country, QStringLiteral("Zaire"));
            f.prompts.answer(answer);
            trigger(e, "MenuNext");
            shown = e.controlText(coin::Country);
            f.prompts.answer(int(QMessageBox::Yes));
            trigger(e, "MenuExit");
        });
        QCOMPARE(f.prompts.askedTexts().first(),
                 QStringLiteral(
                     "Data has changed.  Update this record before moving to the next record?"));
        QCOMPARE(shown, shownAfter);
        f.w->database().table().first();
        QCOMPARE(f.stored(coin::Country), storedFirst);
        QCOMPARE(f.w->database().table().recordCount(), 3);
    }

    void exitAsksOnlyAfterChanges_data()
    {
        QTest::addColumn<bool>("browse");
        QTest::addColumn<bool>("change");
        QTest::addColumn<int>("questions");
        QTest::newRow("unchanged") << false << false << 0;
        QTest::newRow("changed") << false << true << 1;
        QTest::newRow("changed in browse mode") << true << true << 0;
    }
    void exitAsksOnlyAfterChanges()
    {
        QFETCH(bool, browse);
        QFETCH(bool, change);
        QFETCH(int, questions);
        EditorFixture f(threeCoins,
                        browse ? QStringList{QStringLiteral("/BROWSE")} : QStringList{});
        bool openAfterNo = false, closed = false;
        bool updateOn = true;
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            updateOn = e.action(QStringLiteral("MenuUpdate"))->isEnabled();
            if (change) e.setControlText(coin::Year, QStringLiteral("1901"));
            f.prompts.answer(int(QMessageBox::No));
            trigger(e, "MenuExit");
            openAfterNo = e.isVisible();
            if (openAfterNo) {
                f.prompts.answer(int(QMessageBox::Yes));
                e.close(); // the close box asks too
            }
            closed = !e.isVisible();
        });
        QCOMPARE(int(f.prompts.asked().size()), questions * 2);
        if (questions)
            QCOMPARE(f.prompts.askedTexts().first(),
                     QStringLiteral("Data has changed.  Do you want to exit without updating?"));
        QCOMPARE(openAfterNo, questions > 0);
        QVERIFY(closed);
        QCOMPARE(updateOn, !browse);
        f.w->database().table().first();
        QCOMPARE(f.stored(coin::Year), QString()); // leaving never writes
    }

    void newAndCopyCaptions()
    {
        EditorFixture f(threeCoins);
        f.w->database().table().first();
        QStringList seen;
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            seen << e.windowTitle();
            trigger(e, "MenuCopyRecord");
            seen << e.windowTitle() << e.controlText(coin::Country);
            trigger(e, "MenuUpdate"); // appends the copy
            trigger(e, "MenuNew");
            seen << e.windowTitle() << e.controlText(coin::Country)
                 << e.controlText(coin::Quantity);
            e.setControlText(coin::Country, QStringLiteral("Denmark"));
            f.prompts.answer(int(QMessageBox::Cancel));
            trigger(e, "MenuNew"); // changed data: asked, cancelled
            seen << e.controlText(coin::Country);
            f.prompts.answer(int(QMessageBox::Yes));
            trigger(e, "MenuExit");
        });
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("Edit"), QStringLiteral("Edit (New Copied Record)"),
                              QStringLiteral("Austria"), QStringLiteral("Edit (New Record)"),
                              QStringLiteral(""), QStringLiteral("1"), QStringLiteral("Denmark")}));
        QCOMPARE(f.prompts.askedTexts().first(),
                 QStringLiteral("Data has changed.  Update this record before creating new one?"));
        QCOMPARE(f.w->database().table().recordCount(), 4);
    }

    void enterMovesAlongTheRing()
    {
        EditorFixture f;
        QStringList seen;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&e));
            for (const char *start : {"PremiumValue", "Country", "Wanted", "PurchDate"}) {
                QWidget *w = child<QWidget>(e, start);
                w->setFocus();
                QTest::keyClick(w, Qt::Key_Return);
                seen << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                     : QString());
            }
            trigger(e, "MenuExit");
        });
        QCOMPARE(seen, (QStringList{QStringLiteral("Country"), QStringLiteral("FaceValue"),
                                    QStringLiteral("Misc"), QStringLiteral("Wanted")}));
        QCOMPARE(f.w->database().table().recordCount(), 0); // Enter never pressed a button
    }

    void windowShortcutsWinOverTheBoxes()
    {
        EditorFixture f;
        bool checked = false;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&e));
            auto *year = child<QLineEdit>(e, "Year");
            year->setFocus();
            QTest::keyClick(year, Qt::Key_A, Qt::ControlModifier); // not the box's select-all
            checked = e.action(QStringLiteral("MenuDefaultsAdd"))->isChecked();
            trigger(e, "MenuExit");
        });
        QVERIFY(checked);
        QVERIFY(f.w->database().settings().defaults.loadWithAdd);
    }
};

class EditorCommandTests : public QObject
{
    Q_OBJECT
private slots:
    void failedAppendKeepsTheNewRecord()
    {
        EditorFixture f(threeCoins);
        f.w->database().table().first();
        EditorMode modeAfterFailure = EditorMode::Edit;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.setControlText(coin::Country, QStringLiteral("Denmark"));
            dbase::setFaultHook([](std::string_view point) {
                if (point == "append:before-count") throw dbase::Error("simulated full disk");
            });
            trigger(e, "MenuUpdate");
            dbase::setFaultHook({});
            modeAfterFailure = f.w->MyEdit->mode();
            trigger(e, "MenuUpdateExit"); // tried again: appended, nothing overwritten
        });
        QCOMPARE(f.prompts.askedTexts(), QStringList{QStringLiteral("simulated full disk")});
        QCOMPARE(modeAfterFailure, EditorMode::New);
        QCOMPARE(f.w->database().table().recordCount(), 4);
        QStringList countries;
        for (f.w->database().table().first(); !f.w->database().table().eof();
             f.w->database().table().next())
            countries << f.stored(coin::Country);
        countries.sort();
        QCOMPARE(countries, (QStringList{QStringLiteral("Austria"), QStringLiteral("Belgium"),
                                         QStringLiteral("Chile"), QStringLiteral("Denmark")}));
    }

    void selectJoinsTheChosenEntries()
    {
        EditorFixture f;
        QStringList preselected;
        QString misc;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.setControlText(coin::Miscellane, QStringLiteral("Proof, toned"));
            modal::enqueue([&](QDialog *d) {
                auto *dialog = static_cast<TMyMiscellaneous *>(d);
                preselected = dialog->chosen();
                auto *list = d->findChild<QListWidget *>(QStringLiteral("MiscList"));
                list->findItems(QStringLiteral("Gold"), Qt::MatchExactly)
                    .first()
                    ->setSelected(true);
                dialog->OkButtonClick();
            });
            child<QPushButton>(e, "MiscSelect")->click();
            misc = e.controlText(coin::Miscellane);
            f.prompts.answer(int(QMessageBox::Yes));
        });
        QCOMPARE(preselected, (QStringList{QStringLiteral("Proof"),
                                           QStringLiteral("Toned")})); // the list's own spelling
        QCOMPARE(misc, QStringLiteral("Gold, Proof, Toned"));
    }

    void editMenuActsOnTheFocusedBox()
    {
        EditorFixture f;
        QStringList seen;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&e));
            auto *year = child<QLineEdit>(e, "Year");
            e.setControlText(coin::Year, QStringLiteral("1901"));
            year->setFocus();
            year->selectAll();
            trigger(e, "MenuCut");
            seen << year->text() << QApplication::clipboard()->text();
            year->setText(QStringLiteral("1902"));
            year->setCursorPosition(0);
            trigger(e, "MenuDelete"); // nothing selected: nothing deleted
            year->setSelection(2, 2);
            trigger(e, "MenuDelete");
            seen << year->text();
            child<QComboBox>(e, "Country")->setFocus();
            trigger(e, "MenuPaste");
            seen << e.controlText(coin::Country);
            child<QLineEdit>(e, "PurchDate")->setFocus();
            trigger(e, "MenuPaste"); // the date box takes nothing
            seen << e.controlText(coin::PurchDate);
            f.prompts.answer(int(QMessageBox::Yes));
        });
        QCOMPARE(seen,
                 (QStringList{QStringLiteral(""), QStringLiteral("1901"), QStringLiteral("19"),
                              QStringLiteral("1901"), QStringLiteral("  /  /    ")}));
    }

    void gridDoubleClickEdits()
    {
        EditorFixture f(threeCoins);
        auto *grid = f.w->findChild<QTableView *>(QStringLiteral("ViewerGrid"));
        const QModelIndex second = grid->model()->index(1, 0);
        QString country, caption;
        modal::enqueue([&](QDialog *d) {
            auto *e = static_cast<TMyEdit *>(d);
            country = e->controlText(coin::Country);
            caption = e->windowTitle();
            e->setControlText(coin::Year, QStringLiteral("1950"));
            trigger(*e, "MenuUpdateExit");
        });
        grid->setCurrentIndex(second);
        emit grid->doubleClicked(second);
        QCOMPARE(f.w->MyEdit->mode(), EditorMode::Edit);
        QCOMPARE(caption, QStringLiteral("Edit"));
        QCOMPARE(country, QStringLiteral("Belgium")); // the row clicked
        QCOMPARE(f.stored(coin::Country), QStringLiteral("Belgium"));
        QCOMPARE(f.stored(coin::Year), QStringLiteral("1950"));
        QCOMPARE(f.w->database().table().recordCount(), 3);
    }

    void helpOpensAtInputWindow()
    {
        EditorFixture f;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) { trigger(e, "MenuHelpItem"); });
        QVERIFY(help::browser());
        QCOMPARE(help::browser()->property("anchor").toString(), QStringLiteral("Input_Window"));
    }
};

class EditorDefaultsTests : public QObject
{
    Q_OBJECT
private slots:
    void savedDefaultsFillNewRecords()
    {
        EditorFixture f;
        QStringList seen;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            e.setControlText(coin::Country, QStringLiteral("Peru"));
            e.setControlText(coin::Quantity, QStringLiteral("4"));
            e.setControlText(coin::PurchDate, QStringLiteral("01/02/2003"));
            child<QCheckBox>(e, "Wanted")->click();
            trigger(e, "MenuSaveDefaults");
            trigger(e, "MenuClear"); // the Clear flag is off: an empty record
            seen << e.controlText(coin::Country) << e.controlText(coin::Quantity)
                 << e.controlText(coin::PurchasePr);
            trigger(e, "MenuLoadDefaults");
            seen << e.controlText(coin::Country) << e.controlText(coin::Quantity)
                 << e.controlText(coin::PurchDate) << e.KeptQuantity;
            trigger(e, "MenuDefaultsAdd");
            f.prompts.answer(int(QMessageBox::Yes));
            trigger(e, "MenuExit");
        });
        // Wanted was on when the defaults were saved, so their quantity is the "0" shown.
        QCOMPARE(seen, (QStringList{QStringLiteral(""), QStringLiteral("1"), QStringLiteral("0"),
                                    QStringLiteral("Peru"), QStringLiteral("0"),
                                    QStringLiteral("01/02/2003"), QStringLiteral("0")}));
        // Written to NUMAROK.INI at once.
        IniFile ini(paths::programSettingsFile());
        QCOMPARE(ini.value(QStringLiteral("Defaults"), QStringLiteral("Country"), QString()),
                 QStringLiteral("Peru"));
        QCOMPARE(ini.value(QStringLiteral("Defaults"), QStringLiteral("Quantity"), QString()),
                 QStringLiteral("0"));
        QCOMPARE(ini.value(QStringLiteral("Defaults"), QStringLiteral("Wanted"), QString()),
                 QStringLiteral("Yes"));
        // With "Load Defaults With Add" a new record starts from them.
        QString country;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            country = e.controlText(coin::Country);
            trigger(e, "MenuExit");
        });
        QCOMPARE(country, QStringLiteral("Peru"));
        QVERIFY(f.prompts.asked().size() == 1); // the first Exit only: a fresh start has no changes
    }
};

class EditorRoundTripTests : public QObject
{
    Q_OBJECT
private slots:
    void throughTheWindowAndBack()
    {
        EditorFixture f;
        f.w->chooseDateStyle(7); // mm/dd/yyyy
        const QString database = f.w->database().currentPath();
        auto type = [](TMyEdit &e, const char *name, const QString &text) {
            QWidget *w = child<QWidget>(e, name);
            w->setFocus();
            if (auto *l = qobject_cast<QLineEdit *>(w)) {
                l->selectAll();
                l->del();
            }
            QTest::keyClicks(w, text);
        };
        auto addCoin = [&](const char *country, const char *price, const char *date, bool wanted) {
            f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
                type(e, "Country", QLatin1String(country));
                type(e, "FaceValue", QStringLiteral("1 Sol"));
                type(e, "PurchasePrice", QLatin1String(price));
                child<QLineEdit>(e, "PurchDate")->setCursorPosition(0);
                type(e, "PurchDate", QLatin1String(date));
                if (wanted) child<QCheckBox>(e, "Wanted")->click();
                child<QCheckBox>(e, "Approx")->click();
                trigger(e, "MenuUpdateExit");
            });
        };
        addCoin("Peru", "12.5", "03152024", false);
        addCoin("Chile", "1,000", "12312001", true);
        addCoin("Bolivia", "0.25", "", false);
        QCOMPARE(f.w->database().table().recordCount(), 3);
        // The grid's current row is the new coin, and the count is right.
        QCOMPARE(f.w->findChild<QLabel *>(QStringLiteral("CountLabel"))->text(),
                 QStringLiteral("3"));
        QCOMPARE(f.w->findChild<QTableView *>(QStringLiteral("ViewerGrid"))->currentIndex().row(),
                 f.w->database().table().currentRow());
        QCOMPARE(f.stored(coin::Country), QStringLiteral("Bolivia"));
        // Edit Peru, then copy it.
        QVERIFY(f.w->database().table().moveToRecNo(1));
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            type(e, "Comments", QStringLiteral("Edge knock"));
            type(e, "Quantity", QStringLiteral("2"));
            trigger(e, "MenuUpdateExit");
        });
        f.inEditor(&TMain::DoCopy, [&](TMyEdit &e) {
            type(e, "Year", QStringLiteral("1999"));
            trigger(e, "MenuUpdateExit");
        });
        QCOMPARE(f.w->database().table().recordCount(), 4);
        f.w->close();
        f.w.reset();

        // The program started again sees the same four coins.
        f.w = std::make_unique<TMain>();
        QVERIFY(f.w->FormCreate({}));
        QCOMPARE(f.w->database().currentPath(), database);
        QCOMPARE(f.w->database().table().recordCount(), 4);
        QVERIFY(picklists::readListFile(
                    picklists::perDatabaseFile(f.w->database().basePath(), picklists::Country))
                    .contains(QStringLiteral("Bolivia")));
        f.w.reset();

        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(NUMAROK_TEST_SCRIPTS "/dump_dbf.py"), database});
        QVERIFY(py.waitForFinished(30000));
        QCOMPARE(py.exitCode(), 0);
        const QJsonObject dump = QJsonDocument::fromJson(py.readAllStandardOutput()).object();
        QStringList rows;
        for (const QJsonValue &r : dump[QStringLiteral("records")].toArray()) {
            const QJsonArray v = r.toObject()[QStringLiteral("values")].toArray();
            rows << QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                        .arg(v[0].toString(), v[1].toString(), v[2].toString(),
                             QString::number(v[5].toDouble()), v[10].toString(),
                             QString::number(v[12].toDouble()), v[13].toString(), v[14].toString(),
                             v[15].toString());
        }
        QCOMPARE(rows, (QStringList{
                           QStringLiteral("Peru|1 Sol||12.5|2024-03-15|2|Edge knock|Yes|No"),
                           QStringLiteral("Chile|1 Sol||1000|2001-12-31|0||Yes|Yes"),
                           QStringLiteral("Bolivia|1 Sol||0.25||1||Yes|No"),
                           QStringLiteral("Peru|1 Sol|1999|12.5|2024-03-15|2|Edge knock|Yes|No"),
                       }));
    }

    // A date that only the rule for years divisible by 400 makes real: 29 February 2000
    // loads into the editor and survives an Update of another field.
    void leapDayOf2000SurvivesAnUpdate()
    {
        EditorFixture f([](dbase::Table &t) {
            t.append();
            t.setAsString(coin::Country - 1, "Peru");
            t.post();
            // The date's bytes go straight into the file, as another program writes them.
            const QString path = QString::fromStdString(t.filePath());
            const int offset = t.field(coin::PurchDate - 1).offset;
            t.close();
            QByteArray bytes = readBytes(path);
            const int header =
                static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
            bytes.replace(header + offset, 8, "20000229");
            writeBytes(path, bytes);
            t.open();
        });
        f.w->chooseDateStyle(7); // mm/dd/yyyy
        QString shown;
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            shown = child<QLineEdit>(e, "PurchDate")->text();
            auto *comments = child<QLineEdit>(e, "Comments");
            comments->setFocus();
            QTest::keyClicks(comments, QStringLiteral("Leap day"));
            trigger(e, "MenuUpdateExit");
        });
        QCOMPARE(shown, QStringLiteral("02/29/2000"));
        QVERIFY(f.prompts.asked().isEmpty());
        const QString database = f.w->database().currentPath();
        f.w->database().table().close();
        QProcess py;
        py.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(NUMAROK_TEST_SCRIPTS "/dump_dbf.py"), database});
        QVERIFY(py.waitForFinished(30000));
        QCOMPARE(py.exitCode(), 0);
        const QJsonArray v = QJsonDocument::fromJson(py.readAllStandardOutput())
                                 .object()[QStringLiteral("records")]
                                 .toArray()[0]
                                 .toObject()[QStringLiteral("values")]
                                 .toArray();
        QCOMPARE(v[coin::PurchDate - 1].toString(), QStringLiteral("2000-02-29"));
        QCOMPARE(v[coin::Comment - 1].toString(), QStringLiteral("Leap day"));
    }
};

class PrintTests : public QObject
{
    Q_OBJECT

    static QString pdfDirectory()
    {
        // The queue's PDF files land in the submitting user's ~/PDF.
        const passwd *pw = getpwuid(getuid());
        return QString::fromLocal8Bit(pw ? pw->pw_dir : "") + QStringLiteral("/PDF");
    }
    static QString run(const QString &program, const QStringList &args)
    {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(30000);
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    }

private slots:
    void linesCutTheNameAt22()
    {
        QCOMPARE(recordprint::line(QStringLiteral("Country"), QStringLiteral("Peru")),
                 QStringLiteral("Country: Peru"));
        QCOMPARE(recordprint::line(QStringLiteral("A very long field label"), QStringLiteral("x")),
                 QStringLiteral("A very long field labex"));
        QCOMPARE(recordprint::line(QStringLiteral("Twenty characters!!!"), QStringLiteral("x")),
                 QStringLiteral("Twenty characters!!!: x"));
    }

    void busyPrinterRefuses()
    {
        EditorFixture f;
        QTemporaryDir out;
        QPrinter &printer = Prompts::printer();
        printer.setOutputFileName(out.path() + QStringLiteral("/other.pdf"));
        QPainter other(&printer); // another job is running
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            trigger(e, "MenuPrintRecord");
            trigger(e, "MenuExit");
        });
        other.end();
        printer.setOutputFileName(QString());
        QCOMPARE(f.prompts.askedTexts(),
                 QStringList{QStringLiteral("Other print job currently in progress.")});
    }

    void twoCopiesThroughCups()
    {
        const QString queue = QStringLiteral("NumarokPDF");
        if (!run(QStringLiteral("lpstat"), {QStringLiteral("-v"), queue}).contains(queue))
            QFAIL("The PDF print queue NumarokPDF is missing; scripts/test sets it up.");
        EditorFixture f([](dbase::Table &t) {
            addRecord(t, {{coin::Country, QStringLiteral("Peru")},
                          {coin::PurchasePr, QStringLiteral("12.5")},
                          {coin::Wanted, QStringLiteral("Yes")}});
        });
        f.w->database().settings().fieldNames[coin::Descriptio - 1] =
            QStringLiteral("A very long description label");
        const QString dir = pdfDirectory();
        const QStringList before =
            QDir(dir).entryList({QStringLiteral("Numarok*.pdf")}, QDir::Files);
        f.prompts.printerChoice = [&](QPrinter *p) {
            p->setPrinterName(queue);
            p->setCopyCount(2);
        };
        f.prompts.answer(true);
        f.inEditor(&TMain::DoEdit, [&](TMyEdit &e) {
            trigger(e, "MenuPrintRecord");
            trigger(e, "MenuExit");
        });
        QCOMPARE(f.prompts.asked().size(), 1); // the print dialog only
        QString pdf;
        QElapsedTimer waited;
        waited.start();
        while (pdf.isEmpty() && waited.elapsed() < 90000) {
            for (const QString &name :
                 QDir(dir).entryList({QStringLiteral("Numarok*.pdf")}, QDir::Files))
                if (!before.contains(name)) pdf = dir + QLatin1Char('/') + name;
            QTest::qWait(250);
        }
        QVERIFY2(!pdf.isEmpty(), "no PDF came out of the queue");
        QTest::qWait(500); // the file is complete once the backend has closed it
        QVERIFY(run(QStringLiteral("pdfinfo"), {pdf})
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b"))));
        for (int page : {1, 2}) {
            const QString text =
                run(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                     QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
            QStringList lines;
            for (const QString &l : text.split(QLatin1Char('\n')))
                if (!l.trimmed().isEmpty()) lines << l.simplified();
            QCOMPARE(lines.size(), 20);
            QCOMPARE(lines[0], QStringLiteral("Country: Peru"));
            QCOMPARE(lines[5], QStringLiteral("Purchase Price: 12.50"));
            QCOMPARE(lines[9], QStringLiteral("A very long descriptio"));
            QCOMPARE(lines[10], QStringLiteral("Purch Date: / /"));
            QCOMPARE(lines[19], QStringLiteral("Wanted: Yes"));
        }
        QFile::remove(pdf);
    }
};

// A CUPS client that finds no server: no printers at all. The client library reads its
// server once per process, so the check runs in a process of its own, whatever ran before.
class NoPrinterTests : public QObject
{
    Q_OBJECT
private slots:
    void saysSoInsteadOfPrinting()
    {
        if (qEnvironmentVariableIsSet("NUMAROK_NO_PRINTER_PROCESS")) {
            EditorFixture f;
            f.prompts.answer(true);
            f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
                trigger(e, "MenuPrintRecord");
                trigger(e, "MenuExit");
            });
            QCOMPARE(f.prompts.askedTexts(),
                     QStringList{QStringLiteral("No printers are defined, aborting print job.")});
            QCOMPARE(f.prompts.pending(), 1); // the print dialog never opened
            return;
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("/nonexistent/cups.sock"));
        env.insert(QStringLiteral("NUMAROK_NO_PRINTER_PROCESS"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("NoPrinterTests"), QStringLiteral("saysSoInsteadOfPrinting")});
        QVERIFY(p.waitForFinished(120000));
        const QByteArray out = p.readAll();
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, out.constData());
        QVERIFY2(out.contains("PASS   : NoPrinterTests::saysSoInsteadOfPrinting()"),
                 out.constData());
    }
};

REGISTER_TEST(EditorUpdateTests)
REGISTER_TEST(EditorWantedTests)
REGISTER_TEST(EditorListTests)
REGISTER_TEST(EditorNavigationTests)
REGISTER_TEST(EditorCommandTests)
REGISTER_TEST(EditorDefaultsTests)
REGISTER_TEST(EditorRoundTripTests)
REGISTER_TEST(PrintTests)
REGISTER_TEST(NoPrinterTests)
#include "tst_record_editor.moc"
