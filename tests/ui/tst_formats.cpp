// Display formats: date styles, money and number text, reading numbers back, and the
// dialog size choice with its refusals.
#include "platform/paths.h"
#include "platform/prompts.h"
#include "test_files.h"
#include "test_registry.h"
#include "ui/formats.h"
#include "ui/window_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

using formats::MoneyText;
using formats::NumberText;

class FormatTests : public QObject
{
    Q_OBJECT
private slots:
    void dateStyles_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("zeros");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("text");
        QTest::newRow("style 5 with zeros") << 5 << true << 1997 << 12 << 25 << "25-12-97";
        QTest::newRow("style 5 without zeros") << 5 << false << 1997 << 3 << 5 << "5-3-97";
        QTest::newRow("style 1 with zeros") << 1 << true << 2001 << 2 << 3 << "02/03/01";
        QTest::newRow("style 3") << 3 << false << 2001 << 2 << 3 << "2.3.01";
        QTest::newRow("style 9 four digits") << 9 << true << 1899 << 7 << 4 << "07.04.1899";
        QTest::newRow("style 11") << 11 << false << 2024 << 2 << 29 << "29-2-2024";
        QTest::newRow("style 12") << 12 << true << 2024 << 2 << 9 << "09.02.2024";
    }
    void dateStyles()
    {
        QFETCH(int, code);
        QFETCH(bool, zeros);
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QString, text);
        const dbase::DateStyle style = formats::dateStyle(code, zeros);
        const dbase::Date date{year, month, day};
        QCOMPARE(QString::fromStdString(style.format(date)), text);
        dbase::Date back;
        QVERIFY(style.parse(text.toStdString(), back));
        QCOMPARE(back, date);
    }

    void money_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << 0 << 1 << "0.00";
        QTest::newRow("999") << 999.0 << 0 << 1 << "999.00";
        QTest::newRow("1000") << 1000.0 << 0 << 1 << "1,000.00";
        QTest::newRow("millions") << 1234567.5 << 0 << 1 << "1,234,567.50";
        QTest::newRow("negative") << -123.4 << 0 << 1 << "-123.40";
        QTest::newRow("negative thousands") << -1234.0 << 0 << 1 << "-1,234.00";
        QTest::newRow("negative, no separator after the sign")
            << -123456.0 << 0 << 1 << "-123,456.00";
        QTest::newRow("padded") << 5.0 << 10 << 1 << "      5.00";
        QTest::newRow("regional") << 1234.5 << 0 << 2 << "1.234,50";
        QTest::newRow("regional negative") << -1234567.0 << 0 << 2 << "-1.234.567,00";
        QTest::newRow("rounds to cents") << 2.004 << 0 << 1 << "2.00";
    }
    void money()
    {
        QFETCH(double, value);
        QFETCH(int, width);
        QFETCH(int, format);
        QFETCH(QString, text);
        RegionalSettings regional;
        regional.decimal = QLatin1Char(',');
        regional.thousand = QLatin1Char('.');
        regional.currencyDigits = 2;
        QCOMPARE(MoneyText(width, value, format, regional), text);
        double back = 0;
        QVERIFY(formats::readNumberText(text, format, regional, back));
        QCOMPARE(back, std::round(value * 100) / 100);
    }

    void numbers()
    {
        RegionalSettings regional;
        regional.decimal = QLatin1Char(',');
        regional.thousand = QLatin1Char(' ');
        QCOMPARE(NumberText(0, 0, 12345, 1, regional), QStringLiteral("12,345"));
        QCOMPARE(NumberText(0, 0, 12345, 2, regional), QStringLiteral("12 345"));
        QCOMPARE(NumberText(5, 0, 7, 1, regional), QStringLiteral("    7"));
        QCOMPARE(NumberText(0, 0, -100, 1, regional), QStringLiteral("-100"));
        double v = 0;
        QVERIFY(formats::readNumberText(QStringLiteral(" 12 345,5 "), 2, regional, v));
        QCOMPARE(v, 12345.5);
        QVERIFY(!formats::readNumberText(QStringLiteral("12a"), 1, regional, v));
        QVERIFY(!formats::readNumberText(QStringLiteral(""), 1, regional, v));
    }
};

class WindowOptionTests : public QObject
{
    Q_OBJECT
private slots:
    void fontsByControlKind()
    {
        QDialog form;
        auto *label = new QLabel(QStringLiteral("l"), &form);
        QFont designed = label->font();
        designed.setBold(true);
        designed.setPointSize(15);
        label->setFont(designed);
        auto *edit = new QLineEdit(&form);
        auto *check = new QCheckBox(&form);
        auto *button = new QPushButton(&form);
        auto *combo = new QComboBox(&form);
        auto *bound = new QComboBox(&form);
        bound->setProperty("boundToField", true);
        auto *grid = new QTableView(&form);
        const QFont gridBefore = grid->font(), boundBefore = bound->font();
        QFont l(QStringLiteral("Liberation Serif")), e(QStringLiteral("Liberation Mono")),
            b(QStringLiteral("Liberation Sans"));
        e.setItalic(true);
        b.setBold(true);
        windowopts::applyFonts(&form, l, e, b);
        QCOMPARE(label->font().family(), l.family());
        QVERIFY(!label->font().bold());          // the label font's style wins over the design
        QCOMPARE(label->font().pointSize(), 15); // size is never applied
        QCOMPARE(check->font().family(), l.family());
        QCOMPARE(edit->font().family(), e.family());
        QVERIFY(edit->font().italic());
        QCOMPARE(combo->font().family(), e.family());
        QCOMPARE(button->font().family(), b.family());
        QVERIFY(button->font().bold());
        QCOMPARE(grid->font(), gridBefore);   // grids bound to tables keep theirs
        QCOMPARE(bound->font(), boundBefore); // so do drop-down boxes bound to fields
    }

    void scaleAndCentre()
    {
        QDialog form;
        form.resize(200, 100);
        auto *button = new QPushButton(&form);
        button->setGeometry(10, 20, 50, 30);
        windowopts::scale(&form, 1.25);
        QCOMPARE(button->geometry(), QRect(12, 25, 62, 37));
        QCOMPARE(form.size(), QSize(250, 125));
        windowopts::centre(&form, QSize(801, 600));
        QCOMPARE(form.pos(), QPoint((801 - form.frameGeometry().width()) / 2,
                                    (600 - form.frameGeometry().height()) / 2));
    }

    // A window remembered on a larger screen, or too big for this one, comes back onto it;
    // one that fits stays where it was.
    void keepOnScreen_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("minimum"); // of the window's size; empty: none
        QTest::addColumn<QRect>("expected");
        const QRect none;
        QTest::newRow("fits") << QRect(10, 20, 300, 200) << none << QRect(10, 20, 300, 200);
        QTest::newRow("too big") << QRect(0, 0, 700, 500) << none << QRect(0, 0, 640, 480);
        QTest::newRow("off to the right and below")
            << QRect(900, 700, 300, 200) << none << QRect(340, 280, 300, 200);
        QTest::newRow("above and left")
            << QRect(-50, -30, 300, 200) << none << QRect(0, 0, 300, 200);
        QTest::newRow("too big for its minimum")
            << QRect(100, 100, 700, 500) << QRect(0, 0, 660, 300) << QRect(0, 0, 660, 480);
    }

    void keepOnScreen()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, minimum);
        QFETCH(QRect, expected);
        QWidget w;
        if (!minimum.isNull()) w.setMinimumSize(minimum.size());
        w.setGeometry(window);
        windowopts::keepOnScreen(&w, QRect(0, 0, 640, 480));
        QCOMPARE(w.frameGeometry(), expected);
    }

    void nestedAndFixedDialogsScale()
    {
        QDialog fixed;
        fixed.setFixedSize(255, 380);
        auto *group = new QWidget(&fixed);
        group->setGeometry(10, 10, 200, 100);
        auto *inner = new QPushButton(group);
        inner->setGeometry(4, 20, 50, 30);
        windowopts::scale(&fixed, 2.0);
        QCOMPARE(fixed.size(), QSize(510, 760));
        QCOMPARE(inner->geometry(), QRect(8, 40, 100, 60));
    }

    void geometryOfCompositeControls()
    {
        // Grids and drop-down boxes count once each, whatever Qt builds inside them.
        ScriptedPrompts prompts;
        QDialog form;
        for (int i = 0; i < 10; ++i)
            new QTableView(&form);
        auto *combo = new QComboBox(&form);
        combo->setGeometry(1, 2, 90, 24);
        auto *edit = new QLineEdit(&form);
        edit->setGeometry(3, 40, 80, 20);
        windowopts::FormGeometry g;
        QVERIFY(g.save(&form));
        QCOMPARE(g.count(), 12);
        combo->addItem(QStringLiteral("x"));
        combo->showPopup(); // Qt adds the drop-down list now
        combo->hidePopup();
        edit->setGeometry(0, 0, 10, 10);
        g.restore(&form);
        QCOMPARE(edit->geometry(), QRect(3, 40, 80, 20));
        QCOMPARE(combo->geometry(), QRect(1, 2, 90, 24));
        QVERIFY(prompts.asked().isEmpty());
    }

    void savedGeometry()
    {
        QDialog form;
        form.resize(300, 200);
        auto *edit = new QLineEdit(&form);
        edit->setGeometry(5, 6, 70, 20);
        windowopts::FormGeometry g;
        QVERIFY(g.save(&form));
        windowopts::scale(&form, 2.0);
        QCOMPARE(edit->geometry(), QRect(10, 12, 140, 40));
        g.restore(&form);
        QCOMPARE(edit->geometry(), QRect(5, 6, 70, 20));
        QCOMPARE(form.size(), QSize(300, 200));

        ScriptedPrompts prompts;
        QDialog crowded;
        for (int i = 0; i < 102; ++i)
            new QLabel(&crowded);
        windowopts::FormGeometry many;
        QVERIFY(!many.save(&crowded));
        QCOMPARE(many.count(), 101);
        QCOMPARE(prompts.askedTexts(),
                 QStringList{QStringLiteral("Too many compenents to save dimensions.")});
    }
};

REGISTER_TEST(FormatTests)
REGISTER_TEST(WindowOptionTests)
#include "tst_formats.moc"
