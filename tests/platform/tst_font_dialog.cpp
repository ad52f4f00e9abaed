// The program's font dialog: preset with the current font, a face that is not installed
// kept by name when the user does not change it, and the colour it offers for grid fonts.
#include "platform/prompts.h"
#include "test_registry.h"

#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QPushButton>
#include <QTest>

class FontDialogTests : public QObject
{
    Q_OBJECT
private slots:
    void okWithoutChangeKeepsTheFont_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("bold");
        QTest::newRow("Arial, not installed") << "Arial" << 12 << false;
        QTest::newRow("Arial bold") << "Arial" << 10 << true;
        QTest::newRow("installed face") << "Liberation Serif" << 14 << false;
    }
    void okWithoutChangeKeepsTheFont()
    {
        QFETCH(QString, family);
        QFETCH(int, size);
        QFETCH(bool, bold);
        QFont initial(family, size);
        initial.setBold(bold);
        FontDialog dialog(initial, nullptr);
        // The chooser shows the face that is drawn, and the size and style.
        const QFont shown = dialog.chooser()->currentFont();
        QCOMPARE(shown.family(), QFontInfo(initial).family());
        QCOMPARE(shown.pointSize(), size);
        dialog.accept();
        const QFont chosen = dialog.chosenFont();
        QCOMPARE(chosen.family(), family);
        QCOMPARE(chosen.pointSize(), size);
        QCOMPARE(chosen.bold(), bold);
        QVERIFY(!dialog.findChild<QPushButton *>(QStringLiteral("ColorButton")));
    }

    void anotherFaceIsTaken()
    {
        FontDialog dialog(QFont(QStringLiteral("Arial"), 12), nullptr);
        dialog.chooser()->setCurrentFont(QFont(QStringLiteral("Liberation Mono"), 9));
        QCOMPARE(dialog.chosenFont().family(), QStringLiteral("Liberation Mono"));
        QCOMPARE(dialog.chosenFont().pointSize(), 9);
    }

    void gridFontsOfferAColour()
    {
        const QColor start(10, 20, 30);
        FontDialog dialog(QFont(QStringLiteral("Arial"), 12), &start);
        auto *button = dialog.findChild<QPushButton *>(QStringLiteral("ColorButton"));
        QVERIFY(button);
        QCOMPARE(dialog.chosenColor(), start);
        dialog.setChosenColor(QColor(200, 0, 0));
        QCOMPARE(dialog.chosenColor(), QColor(200, 0, 0));
        QCOMPARE(button->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(200, 0, 0));
    }

    void scriptedAnswerCarriesTheColour()
    {
        ScriptedPrompts prompts;
        prompts.answer(QFont(QStringLiteral("Liberation Serif"), 11));
        prompts.answer(QColor(0, 128, 0));
        QColor color(Qt::black);
        const auto f = Prompts::instance().chooseFont(nullptr, QFont(), &color);
        QVERIFY(f);
        QCOMPARE(color, QColor(0, 128, 0));
        QCOMPARE(prompts.asked().last().text, QStringLiteral("with color"));
        QCOMPARE(prompts.pending(), 0);
    }
};

REGISTER_TEST(FontDialogTests)
#include "tst_font_dialog.moc"
