// The display format menus of the main window: the dialog size choice with its refusals,
// the date styles with leading zeros, and the currency format.
#include "main/main_window.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"
#include "ui/formats.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

class FormatMenuTests : public QObject
{
    Q_OBJECT
private slots:
    void windowSizes()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        ScriptedPrompts prompts;
        {
            // A stored 1024 on an 800 x 600 screen: factor 1.0 and "640 x 480" checked.
            Settings stored;
            stored.windowSize = 1024;
            SaveSettings(stored, SettingsScope::Program);
        }
        TMain w;
        QVERIFY(w.FormCreate({}));
        w.screenSize = QSize(800, 600);
        w.database().settings().windowSize = 1024;
        w.checkWindowSize(formats::screenHolds(1024, w.screenSize) ? 1024 : 640);
        w.action(QStringLiteral("N1024x768"))->trigger(); // equals the stored size: nothing
        QVERIFY(prompts.asked().isEmpty());
        QVERIFY(w.action(QStringLiteral("N640x480"))->isChecked());
        QVERIFY(!w.action(QStringLiteral("N1024x768"))->isChecked());
        w.action(QStringLiteral("N1280x1024"))->trigger();
        QCOMPARE(prompts.askedTexts(),
                 QStringList{QStringLiteral(
                     "Your current screen resolution does not support 1280 x 1024 pixels.")});
        QCOMPARE(prompts.asked()[0].caption, QStringLiteral("Error"));
        QCOMPARE(w.database().settings().windowSize, 1024);
        QVERIFY(!w.action(QStringLiteral("N1280x1024"))->isChecked());
        w.action(QStringLiteral("N640x480"))->trigger();
        QCOMPARE(w.database().settings().windowSize, 640);
        w.action(QStringLiteral("N800x600"))->trigger();
        QCOMPARE(w.database().settings().windowSize, 800);
        QCOMPARE(w.scaleFactor(), 1.25);
        QVERIFY(w.action(QStringLiteral("N800x600"))->isChecked());
        QVERIFY(!w.action(QStringLiteral("N640x480"))->isChecked());
    }

    void dateMenuAndLeadingZeros()
    {
        QTemporaryDir dir;
        useDirectories(dir.path());
        ScriptedPrompts prompts;
        TMain w;
        QVERIFY(w.FormCreate({}));
        QVERIFY(w.action(QStringLiteral("MenuDateMDYSlash"))->isChecked());
        QCOMPARE(QString::fromStdString(dbase::DateStyle::current().pattern()),
                 QStringLiteral("m/d/yy"));
        w.action(QStringLiteral("MenuDateDMYDash"))->trigger();
        QCOMPARE(w.database().settings().dateFormat, 5);
        QVERIFY(w.action(QStringLiteral("MenuDateDMYDash"))->isChecked());
        QVERIFY(!w.action(QStringLiteral("MenuDateMDYSlash"))->isChecked());
        QCOMPARE(QString::fromStdString(dbase::DateStyle::current().pattern()),
                 QStringLiteral("d-m-yy"));
        w.action(QStringLiteral("MenuDateDMYDash"))->trigger(); // already checked: stays
        QVERIFY(w.action(QStringLiteral("MenuDateDMYDash"))->isChecked());
        w.action(QStringLiteral("MenuDateLeadingZeros"))->trigger();
        QCOMPARE(QString::fromStdString(dbase::DateStyle::current().pattern()),
                 QStringLiteral("dd-mm-yy"));
        w.action(QStringLiteral("MenuDateLeadingZeros"))->trigger();
        QCOMPARE(QString::fromStdString(dbase::DateStyle::current().pattern()),
                 QStringLiteral("d-m-yy"));
        QVERIFY(!w.database().settings().dateLeadingZeros);
        w.action(QStringLiteral("MenuCurrencyWin"))->trigger();
        QCOMPARE(w.database().settings().currencyFormat, 2);
        QVERIFY(!w.action(QStringLiteral("MenuCurrencyUS"))->isChecked());
        dbase::DateStyle::setCurrent(dbase::DateStyle());
    }
};

REGISTER_TEST(FormatMenuTests)
#include "tst_format_menus.moc"
