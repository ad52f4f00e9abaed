// The shared control builders: which button Enter presses, clicks reaching the owner's
// handler (its own or its base class's), captioned text boxes (names, buddies, screen-reader
// names, grid places, lengths) and captions keeping or taking an alignment.
#include "test_registry.h"
#include "ui/controls.h"

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using namespace controls;

namespace
{

class Owner : public QDialog
{
public:
    void handler() { ++handled; }
    int handled = 0;
};

} // namespace

class ControlTests : public QObject
{
    Q_OBJECT
private slots:
    void enterKey_data()
    {
        QTest::addColumn<bool>("autoDefault");
        QTest::addColumn<bool>("focusedPressed");
        QTest::newRow("off: Enter is left to the default button") << false << false;
        QTest::newRow("on: Enter presses the button") << true << true;
    }
    // Enter on a focused builder button next to the dialog's default button.
    void enterKey()
    {
        QFETCH(bool, autoDefault);
        QFETCH(bool, focusedPressed);
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        QPushButton *focused = button(&dialog, "Focused", QStringLiteral("&Focused"), nullptr,
                                      autoDefault ? AutoDefault::On : AutoDefault::Off);
        QPushButton *ok = button(&dialog, "Ok", QStringLiteral("&Ok"));
        ok->setDefault(true);
        layout->addWidget(focused);
        layout->addWidget(ok);
        int focusedClicks = 0, okClicks = 0;
        connect(focused, &QPushButton::clicked, [&] { ++focusedClicks; });
        connect(ok, &QPushButton::clicked, [&] { ++okClicks; });
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        focused->setFocus();
        QTest::keyClick(focused, Qt::Key_Return);
        QCOMPARE(focusedClicks, focusedPressed ? 1 : 0);
        QCOMPARE(okClicks, focusedPressed ? 0 : 1);
        QCOMPARE(focused->objectName(), QStringLiteral("Focused"));
    }

    void clickCallsHandler()
    {
        Owner owner;
        QPushButton *own = button(&owner, "Own", QStringLiteral("&Own"), &Owner::handler);
        QPushButton *close = button(&owner, "Close", QStringLiteral("&Close"), &QDialog::reject);
        QCOMPARE(own->parent(), &owner);
        QVERIFY(!own->autoDefault());
        own->click();
        own->click();
        QCOMPARE(owner.handled, 2);
        owner.setResult(QDialog::Accepted);
        close->click();
        QCOMPARE(owner.result(), int(QDialog::Rejected));
        QCOMPARE(owner.handled, 2);
    }

    void captionedEdits_data()
    {
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<int>("expectedLength");
        QTest::newRow("free length") << 0 << QLineEdit().maxLength();
        QTest::newRow("five characters") << 5 << 5;
    }
    void captionedEdits()
    {
        QFETCH(int, maxLength);
        QFETCH(int, expectedLength);
        QWidget parent;
        auto *grid = new QGridLayout(&parent);
        QLineEdit *top = nullptr, *left = nullptr;
        addCaptionedEdits(grid,
                          {{&top, "TopMargin", "Top", 0, 0}, {&left, "LeftMargin", "&Left", 1, 2}},
                          maxLength);
        const struct {
            QLineEdit *edit;
            const char *name;
            const char *caption;
            int row, column;
        } expected[] = {{top, "TopMargin", "Top", 0, 0}, {left, "LeftMargin", "&Left", 1, 2}};
        for (const auto &e : expected) {
            QVERIFY(e.edit);
            QCOMPARE(e.edit->objectName(), QLatin1String(e.name));
            QCOMPARE(e.edit->accessibleName(), QLatin1String(e.caption));
            QCOMPARE(e.edit->maxLength(), expectedLength);
            auto *caption =
                parent.findChild<QLabel *>(QLatin1String(e.name) + QStringLiteral("Label"));
            QVERIFY(caption);
            QCOMPARE(caption->text(), QLatin1String(e.caption));
            QCOMPARE(caption->buddy(), e.edit);
            QLayoutItem *before = grid->itemAtPosition(e.row, e.column);
            QLayoutItem *after = grid->itemAtPosition(e.row, e.column + 1);
            QVERIFY(before && after);
            QCOMPARE(before->widget(), caption);
            QCOMPARE(after->widget(), e.edit);
        }
    }

    void labelAlignment_data()
    {
        QTest::addColumn<int>("given");
        QTest::addColumn<int>("expected");
        QTest::newRow("none given keeps the label's own") << 0 << int(QLabel().alignment());
        QTest::newRow("centred") << int(Qt::AlignCenter) << int(Qt::AlignCenter);
        QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignVCenter)
                               << int(Qt::AlignRight | Qt::AlignVCenter);
    }
    void labelAlignment()
    {
        QFETCH(int, given);
        QFETCH(int, expected);
        QWidget parent;
        QLabel *l = label(&parent, "Caption", QStringLiteral("Field"), Qt::Alignment(given));
        QCOMPARE(l->objectName(), QStringLiteral("Caption"));
        QCOMPARE(l->text(), QStringLiteral("Field"));
        QCOMPARE(int(l->alignment()), expected);
    }
};

REGISTER_TEST(ControlTests)
#include "tst_controls.moc"
