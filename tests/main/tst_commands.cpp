// One action per command: the menu item, the speed button and the lettered button of a
// command all run and show the same action, and the one rule that enables it.
#include "test_registry.h"
#include "window_fixture.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

class CommandTests : public QObject
{
    Q_OBJECT
private slots:
    void buttonsShowTheirCommandsAction_data()
    {
        QTest::addColumn<QString>("speed");
        QTest::addColumn<QString>("lettered");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("menu");
        QTest::newRow("delete") << "DeleteSpeed"
                                << "DeleteButton"
                                << "MenuDelete"
                                << "MenuRecords";
        QTest::newRow("add") << "AddSpeed"
                             << "AddButton"
                             << "MenuAdd"
                             << "MenuRecords";
        QTest::newRow("end search") << "EndSearchSpeed"
                                    << "EndSearchButton"
                                    << "MenuEndSearch"
                                    << "MenuNavigate";
        QTest::newRow("viewer") << "ViewerSpeed"
                                << "ViewerButton"
                                << "MenuViewer"
                                << "MenuOptions";
        QTest::newRow("help") << "HelpSpeed"
                              << "HelpButton"
                              << "MenuContents"
                              << "MenuHelp";
    }
    void buttonsShowTheirCommandsAction()
    {
        QFETCH(QString, speed);
        QFETCH(QString, lettered);
        QFETCH(QString, command);
        QFETCH(QString, menu);
        WindowFixture f;
        QAction *a = f.w->action(command);
        QVERIFY(a);
        auto *tool = f.w->findChild<QToolButton *>(speed);
        QCOMPARE(tool->defaultAction(), a);
        QVERIFY(f.w->findChild<QMenu *>(menu)->actions().contains(a));
        QVERIFY(!a->isIconVisibleInMenu()); // the menus show captions only

        // The lettered button follows the action's enabled state while its bar is shown.
        f.w->action(QStringLiteral("MenuButtons"))->trigger();
        auto *button = f.w->findChild<QPushButton *>(lettered);
        a->setEnabled(false);
        QVERIFY(!button->isEnabled());
        a->setEnabled(true);
        QVERIFY(button->isEnabled());
        // Clicking it triggers the action (whose routine is left out here).
        QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
        int triggered = 0;
        connect(a, &QAction::triggered, this, [&triggered] { ++triggered; });
        button->click();
        QCOMPARE(triggered, 1);
    }

    // The search state of the database decides End Search everywhere at once.
    void searchStateDecidesEndSearch()
    {
        WindowFixture f;
        f.w->action(QStringLiteral("MenuButtons"))->trigger();
        QAction *end = f.w->action(QStringLiteral("MenuEndSearch"));
        auto *speedButton = f.w->findChild<QToolButton *>(QStringLiteral("EndSearchSpeed"));
        // The speed bar itself is off while the lettered buttons show.
        auto speedOn = [speedButton] {
            return speedButton->isEnabledTo(speedButton->parentWidget());
        };
        auto *button = f.w->findChild<QPushButton *>(QStringLiteral("EndSearchButton"));
        QVERIFY(!end->isEnabled() && !speedOn() && !button->isEnabled());
        f.w->database().setSearchOn(true);
        QVERIFY(end->isEnabled() && speedOn() && button->isEnabled());
        f.w->database().setSearchOn(false);
        QVERIFY(!end->isEnabled() && !speedOn() && !button->isEnabled());
    }
};

REGISTER_TEST(CommandTests)
#include "tst_commands.moc"
