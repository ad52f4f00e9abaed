// The main window's six Color menu items and the Color Setup button open the colour
// configuration dialog on their window group's scheme; OK repaints the main window at once
// only when its own scheme changed.
#include "config/color_config.h"
#include "config/color_scheme.h"
#include "platform/modal.h"
#include "test_registry.h"
#include "window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

class ColorCommandTests : public QObject
{
    Q_OBJECT

private slots:
    void init() { modal::clear(); }

    void commandsOpenTheDialog_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("target");
        QTest::newRow("main") << "MenuMainColor" << 0;
        QTest::newRow("edit") << "MenuEditColor" << 1;
        QTest::newRow("search") << "MenuSearchColor" << 2;
        QTest::newRow("report") << "MenuReportColor" << 3;
        QTest::newRow("configure") << "MenuConfigureColor" << 4;
        QTest::newRow("all") << "MenuAllColor" << 5;
        QTest::newRow("speed button") << "ColorSpeed" << 5;
    }
    void commandsOpenTheDialog()
    {
        QFETCH(QString, command);
        QFETCH(int, target);
        WindowFixture f;
        auto &schemes = f.w->database().settings().schemes;
        const auto before = schemes;
        QString caption;
        modal::enqueue([&](QDialog *d) {
            caption = d->windowTitle();
            auto *sets = d->findChild<QComboBox *>(QStringLiteral("ColorSets"));
            sets->setCurrentIndex(7); // "Fiery Red"
            emit sets->activated(7);
            d->findChild<QPushButton *>(QStringLiteral("Ok"))->click();
        });
        if (QAction *a = f.w->action(command))
            a->trigger();
        else
            f.w->findChild<QToolButton *>(command)->click();
        QCOMPARE(modal::pending(), 0);
        QCOMPARE(caption, QStringLiteral("Color Configuration"));

        const ColorScheme red = colors::predefined(7);
        for (int t = 0; t < 5; ++t) {
            const bool changed = target == 5 || t == target;
            QVERIFY((schemes[std::size_t(t)].colors ==
                     (changed ? red : before[std::size_t(t)]).colors));
        }
        const bool mainChanged = target == 0 || target == 5;
        QCOMPARE(f.w->palette().color(QPalette::Window),
                 mainChanged ? QColor(255, 0, 0) : QColor(192, 192, 192));
    }
};

REGISTER_TEST(ColorCommandTests)
#include "tst_color_command.moc"
