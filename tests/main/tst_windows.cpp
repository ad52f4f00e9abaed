// The windows as the user sees them: placement and scaling of nested dialogs at every
// dialog size.
#include "config/viewer_config.h"
#include "editor/record_editor.h"
#include "main/main_window.h"
#include "platform/modal.h"
#include "test_registry.h"
#include "ui/formats.h"
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <cmath>

namespace
{

struct Shown {
    QRect geometry;
    QList<QRect> controls;
    QList<qreal> fontSizes;
};

// The geometry and font size of the form and of everything in it, as shown.
Shown measure(QWidget *form)
{
    Shown s;
    s.geometry = form->frameGeometry();
    const auto all = form->findChildren<QWidget *>();
    for (QWidget *w : all) {
        if (w->isWindow()) continue;
        s.controls << w->geometry();
        s.fontSizes << w->font().pointSizeF();
    }
    return s;
}

QList<qreal> designedSizes(QWidget *form)
{
    QList<qreal> sizes;
    const auto all = form->findChildren<QWidget *>();
    for (QWidget *w : all)
        if (!w->isWindow()) sizes << w->font().pointSizeF();
    return sizes;
}

// A main window on the smallest screen that holds the dialog size, with that size chosen.
struct SizedFixture : WindowFixture {
    explicit SizedFixture(int size)
    {
        w->screenSize = formats::sizeOfChoice(size);
        w->chooseWindowSize(size);
    }
};

// The form's own controls that a screen reader announces, by their object names, whose
// accessible name is empty.
QStringList unnamedControls(QWidget *form)
{
    QStringList unnamed;
    const auto all = form->findChildren<QWidget *>();
    for (QWidget *w : all) {
        if (w->window() != form) continue; // another form's
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue; // parts Qt builds inside composite controls
        if (!qobject_cast<QAbstractButton *>(w) && !qobject_cast<QLineEdit *>(w) &&
            !qobject_cast<QComboBox *>(w) && !qobject_cast<QAbstractItemView *>(w))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        if (!iface || iface->text(QAccessible::Name).trimmed().isEmpty()) unnamed << name;
    }
    return unnamed;
}

// Four showings of a form: every control's font is its designed size times the factor,
// the form lies on the screen, and each showing looks like the first.
void checkShowings(const QList<Shown> &showings, const QList<qreal> &designed, double k,
                   const QSize &screenSize)
{
    QCOMPARE(showings.size(), 4);
    const Shown &first = showings.first();
    QCOMPARE(first.fontSizes.size(), designed.size());
    for (int i = 0; i < designed.size(); ++i)
        QVERIFY2(qAbs(first.fontSizes[i] - designed[i] * k) < 0.01,
                 qPrintable(QStringLiteral("control %1: %2 pt, designed %3 pt")
                                .arg(i)
                                .arg(first.fontSizes[i])
                                .arg(designed[i])));
    const QRect screen(QPoint(0, 0), screenSize);
    QVERIFY2(screen.contains(first.geometry), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                             .arg(first.geometry.x())
                                                             .arg(first.geometry.y())
                                                             .arg(first.geometry.width())
                                                             .arg(first.geometry.height())));
    for (int i = 1; i < 4; ++i) {
        QCOMPARE(showings[i].fontSizes, first.fontSizes);
        QCOMPARE(showings[i].controls, first.controls);
        QCOMPARE(showings[i].geometry, first.geometry);
    }
}

} // namespace

class PlacementTests : public QObject
{
    Q_OBJECT
private slots:
    void factors_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("640") << 640;
        QTest::newRow("800") << 800;
        QTest::newRow("1024") << 1024;
        QTest::newRow("1280") << 1280;
    }

    void viewerConfigScalesOnce_data() { factors_data(); }
    void viewerConfigScalesOnce()
    {
        QFETCH(int, size);
        SizedFixture f(size);
        const double k = formats::scaleFactor(size);
        QCOMPARE(f.w->scaleFactor(), k);
        QList<qreal> designed;
        {
            TViewConfig unplaced(f.w->database().settings(), k);
            designed = designedSizes(&unplaced);
        }
        QList<Shown> showings;
        int mark = 0;
        for (int i = 0; i < 4; ++i) {
            modal::enqueue([&showings, &mark](QDialog *d) {
                showings << measure(d);
                auto *check = d->findChild<QCheckBox *>(QStringLiteral("ShowGridTitle"));
                mark = check->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check);
                d->close();
            });
            f.w->DoViewer();
        }
        // Check marks grow with their text.
        QCOMPARE(mark, int(std::lround(
                           QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth) * k)));
        checkShowings(showings, designed, k, f.w->screenSize);
    }

    void editorScalesOnce_data() { factors_data(); }
    void editorScalesOnce()
    {
        QFETCH(int, size);
        SizedFixture f(size);
        const double k = formats::scaleFactor(size);
        const QList<qreal> designed = designedSizes(f.w->MyEdit);
        QList<Shown> showings;
        for (int i = 0; i < 4; ++i) {
            modal::enqueue([&showings](QDialog *d) {
                showings << measure(d);
                d->close();
            });
            f.w->DoAdd();
        }
        checkShowings(showings, designed, k, f.w->screenSize);
    }

    void editorMenuBarKeepsItsHeight()
    {
        // Going back to the designed size after a larger one gives the designed look again.
        SizedFixture f(1280);
        auto menuHeight = [&f] {
            int h = 0;
            modal::enqueue([&h](QDialog *d) {
                h = d->findChild<QMenuBar *>()->height();
                d->close();
            });
            f.w->DoAdd();
            return h;
        };
        f.w->chooseWindowSize(640);
        const int designed = menuHeight();
        f.w->chooseWindowSize(1280);
        const int large = menuHeight();
        QVERIFY(large > designed);
        f.w->chooseWindowSize(640);
        QCOMPARE(menuHeight(), designed);
    }
};

class IconTests : public QObject
{
    Q_OBJECT
private slots:
    // Every speed button and navigator button shows a picture of the icon theme, named by
    // the standard icon names, not a drawn letter tile or a text glyph.
    void buttonsUseTheIconTheme_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("icon");
        const char *speed[][2] = {{"NewSpeed", "document-new"},
                                  {"OpenSpeed", "document-open"},
                                  {"AddSpeed", "list-add"},
                                  {"EditSpeed", "document-edit"},
                                  {"CopySpeed", "edit-copy"},
                                  {"DeleteSpeed", "edit-delete"},
                                  {"ImportSpeed", "document-import"},
                                  {"ExportSpeed", "document-export"},
                                  {"SearchSpeed", "system-search"},
                                  {"EndSearchSpeed", "edit-clear"},
                                  {"LocateSpeed", "edit-find"},
                                  {"LocateNextSpeed", "go-down-search"},
                                  {"ReportSpeed", "document-print"},
                                  {"ViewerSpeed", "view-list-details"},
                                  {"ColorSpeed", "preferences-desktop-color"},
                                  {"SpeedSetOrder", "view-sort-ascending"},
                                  {"HelpSpeed", "help-contents"}};
        for (const auto &d : speed)
            QTest::newRow(d[0]) << QString::fromLatin1(d[0]) << QString::fromLatin1(d[1]);
        const char *nav[10] = {"go-first",  "go-previous", "go-next",       "go-last",
                               "list-add",  "list-remove", "document-edit", "document-save",
                               "edit-undo", "view-refresh"};
        for (int i = 0; i < 10; ++i)
            QTest::addRow("NavButton%d", i)
                << QStringLiteral("NavButton%1").arg(i) << QString::fromLatin1(nav[i]);
    }
    void buttonsUseTheIconTheme()
    {
        QFETCH(QString, button);
        QFETCH(QString, icon);
        WindowFixture f;
        auto *b = f.w->findChild<QToolButton *>(button);
        QVERIFY(b);
        QCOMPARE(b->icon().name(), icon);
        QVERIFY(!b->icon().pixmap(20, 20).isNull());
        QVERIFY(b->text().isEmpty() || b->toolButtonStyle() == Qt::ToolButtonIconOnly);
    }
};

class AccessibleNameTests : public QObject
{
    Q_OBJECT
private slots:
    void mainWindow()
    {
        WindowFixture f;
        QCOMPARE(unnamedControls(f.w.get()).join(QLatin1Char(' ')), QString());
        // Picture buttons are named by their hints.
        for (const char *name : {"NewSpeed", "ColorSpeed", "NavButton0", "NavButton9"}) {
            auto *b = f.w->findChild<QToolButton *>(QLatin1String(name));
            QCOMPARE(QAccessible::queryAccessibleInterface(b)->text(QAccessible::Name),
                     b->toolTip());
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(f.find<QWidget>("ViewerGrid"))
                     ->text(QAccessible::Name),
                 QStringLiteral("Coin Viewer"));
    }

    void dialogs()
    {
        WindowFixture f;
        QHash<QString, QStringList> unnamed;
        QHash<QString, QString> countryName;
        auto record = [&unnamed](QDialog *d) { unnamed[d->objectName()] = unnamedControls(d); };
        modal::enqueue([&](QDialog *d) {
            record(d);
            d->close();
        });
        f.w->DoViewer();
        modal::enqueue([&](QDialog *d) {
            record(d);
            d->reject();
        });
        f.w->DoSortOrder();
        modal::enqueue([&](QDialog *d) {
            record(d);
            d->reject();
        });
        f.w->DoListMaintenance(1);
        modal::enqueue([&](QDialog *d) {
            record(d);
            auto *country = d->findChild<QComboBox *>(QStringLiteral("Country"));
            countryName[QStringLiteral("Country")] =
                QAccessible::queryAccessibleInterface(country)->text(QAccessible::Name);
            modal::enqueue([&](QDialog *misc) {
                record(misc);
                misc->reject();
            });
            d->findChild<QPushButton *>(QStringLiteral("MiscSelect"))->click();
            d->close();
        });
        f.w->DoAdd();
        modal::enqueue([&](QDialog *d) {
            record(d);
            d->reject();
        });
        f.w->MenuTipsClick();
        QCOMPARE(modal::pending(), 0);
        QCOMPARE(unnamed.keys().size(), 6);
        for (auto it = unnamed.begin(); it != unnamed.end(); ++it)
            QVERIFY2(it.value().isEmpty(), qPrintable(it.key() + QStringLiteral(": ") +
                                                      it.value().join(QLatin1Char(' '))));
        QCOMPARE(countryName.value(QStringLiteral("Country")),
                 f.w->database().settings().fieldNames[0]);
    }
};

class TipTests : public QObject
{
    Q_OBJECT
private slots:
    void firstActivationShowsATipOnce()
    {
        WindowFixture f;
        QVERIFY(f.w->database().settings().showTips); // the default
        int shown = 0;
        bool boxChecked = false;
        modal::enqueue([&](QDialog *d) {
            ++shown;
            QCOMPARE(d->objectName(), QStringLiteral("TMyTips"));
            auto *box = d->findChild<QCheckBox *>(QStringLiteral("ShowTipsBox"));
            boxChecked = box->isChecked();
            QCOMPARE(box->text(), QStringLiteral("&Show Tips at Startup"));
            box->setChecked(false);
            d->findChild<QPushButton *>(QStringLiteral("CloseButton"))->click();
        });
        f.w->show();
        f.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        QTRY_COMPARE(shown, 1);
        QVERIFY(boxChecked);
        QVERIFY(!f.w->database().settings().showTips); // the box writes Show Tips
        // Activated again: no second tip.
        modal::enqueue([&](QDialog *d) {
            ++shown;
            d->reject();
        });
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        f.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        QTest::qWait(50);
        QCOMPARE(shown, 1);
        modal::clear();
        f.w->close();
        // Written to NUMAROK.INI with the program settings.
        Settings reread;
        LoadSettings(reread, SettingsScope::Program);
        QVERIFY(!reread.showTips);
    }

    void noTipWhenShowTipsIsOff()
    {
        WindowFixture f;
        f.w->database().settings().showTips = false;
        bool shown = false;
        modal::enqueue([&](QDialog *d) {
            shown = true;
            d->reject();
        });
        f.w->show();
        f.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        QTest::qWait(50);
        QVERIFY(!shown);
        modal::clear();
    }

    void reviewCommandAndNextTip()
    {
        WindowFixture f;
        f.w->database().settings().showTips = false;
        QStringList seen;
        modal::enqueue([&](QDialog *d) {
            auto *text = d->findChild<QLabel *>(QStringLiteral("TipText"));
            QVERIFY(!d->findChild<QCheckBox *>(QStringLiteral("ShowTipsBox"))->isChecked());
            for (int i = 0; i < 25; ++i) {
                seen << text->text();
                d->findChild<QPushButton *>(QStringLiteral("NextTipButton"))->click();
            }
            d->findChild<QCheckBox *>(QStringLiteral("ShowTipsBox"))->setChecked(true);
            d->findChild<QPushButton *>(QStringLiteral("CloseButton"))->click();
        });
        f.w->action(QStringLiteral("MenuTips"))->trigger();
        QCOMPARE(modal::pending(), 0);
        QCOMPARE(seen.size(), 25);
        QCOMPARE(seen.last(), seen.first()); // round the ring
        QStringList distinct = seen.mid(0, 24);
        distinct.removeDuplicates();
        QCOMPARE(distinct.size(), 24);
        for (const QString &tip : distinct)
            QVERIFY(tip.size() > 20);
        QVERIFY(f.w->database().settings().showTips);
    }
};

REGISTER_TEST(PlacementTests)
REGISTER_TEST(TipTests)
REGISTER_TEST(IconTests)
REGISTER_TEST(AccessibleNameTests)
#include "tst_windows.moc"
