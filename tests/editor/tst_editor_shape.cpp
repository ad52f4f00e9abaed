// The record editor's shape and keys: long list entries, Enter past disabled boxes, the
// Tab chain, the disabled quantity and the caption after an Update.
#include "config/color_scheme.h"
#include "db/coin_schema.h"
#include "editor/pick_lists.h"
#include "editor/record_editor.h"
#include "platform/modal.h"
#include "test_registry.h"
#include "window_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace
{

struct ShapeFixture : WindowFixture {
    void inEditor(void (TMain::*command)(), const std::function<void(TMyEdit &)> &steps)
    {
        modal::enqueue([steps](QDialog *d) {
            auto &e = *static_cast<TMyEdit *>(d);
            e.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&e));
            steps(e);
            if (e.isVisible()) e.action(QStringLiteral("MenuExit"))->trigger();
        });
        (w.get()->*command)();
        QCOMPARE(modal::pending(), 0);
    }
};

template <class T> T *child(TMyEdit &e, const char *name)
{
    T *w = e.findChild<T *>(QLatin1String(name));
    if (!w) qFatal("no control %s", name);
    return w;
}

QString focusName()
{
    QWidget *w = QApplication::focusWidget();
    if (w && qobject_cast<QComboBox *>(w->parentWidget())) w = w->parentWidget();
    return w ? w->objectName() : QString();
}

} // namespace

class EditorShapeTests : public QObject
{
    Q_OBJECT
private slots:
    void longListEntryKeepsTheWidth_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("Country") << int(picklists::Country);
        QTest::newRow("Topic") << int(picklists::Topic);
        QTest::newRow("Condition") << int(picklists::Condition);
    }
    void longListEntryKeepsTheWidth()
    {
        QFETCH(int, kind);
        const char *names[3] = {"Country", "Topic", "Condition"};
        auto measure = [&names, kind](ShapeFixture &f, int &editorWidth, int &boxWidth,
                                      int &listWidth) {
            f.w->screenSize = QSize(640, 480);
            f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
                editorWidth = e.frameGeometry().width();
                auto *box = child<QComboBox>(e, names[kind]);
                boxWidth = box->width();
                listWidth = box->view()->minimumWidth();
            });
        };
        int editorBefore = 0, boxBefore = 0, listBefore = 0;
        {
            ShapeFixture f;
            measure(f, editorBefore, boxBefore, listBefore);
        }
        // The long entry is in the list from the start, before the editor first shows.
        ShapeFixture f;
        f.w->lists.addToList(picklists::Kind(kind), QString(255, QLatin1Char('W')));
        int editorAfter = 0, boxAfter = 0, listAfter = 0;
        measure(f, editorAfter, boxAfter, listAfter);
        QCOMPARE(editorAfter, editorBefore);
        QCOMPARE(boxAfter, boxBefore);
        QVERIFY2(editorAfter <= 640, qPrintable(QString::number(editorAfter)));
        QVERIFY2(listAfter > boxAfter, "the drop-down list widens for the long entry");
    }

    void enterPassesTheDisabledQuantity()
    {
        ShapeFixture f;
        QString reached;
        QString quantity, price;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            child<QCheckBox>(e, "Wanted")->click();
            QVERIFY(!child<QLineEdit>(e, "Quantity")->isEnabled());
            auto *user4 = child<QLineEdit>(e, "UserDef4");
            user4->setFocus();
            QTest::keyClick(user4, Qt::Key_Return);
            reached = focusName();
            // The next amount typed lands in the box that has the focus.
            QWidget *w = QApplication::focusWidget();
            QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(w, QStringLiteral("12"));
            quantity = e.controlText(coin::Quantity);
            price = e.controlText(coin::PurchasePr);
            e.setControlText(coin::Country, QString());
        });
        QCOMPARE(reached, QStringLiteral("PurchasePrice"));
        QCOMPARE(quantity, QStringLiteral("0"));
        QVERIFY2(price.contains(QLatin1String("12")), qPrintable(price));
    }

    void tabFollowsTheRows()
    {
        ShapeFixture f;
        QStringList seen;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            child<QComboBox>(e, "Country")->setFocus();
            seen << focusName();
            for (int i = 0; i < 27; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                seen << focusName();
            }
        });
        QCOMPARE(seen, (QStringList{QStringLiteral("Country"),
                                    QStringLiteral("FaceValue"),
                                    QStringLiteral("Year"),
                                    QStringLiteral("Approx"),
                                    QStringLiteral("MintMark"),
                                    QStringLiteral("Condition"),
                                    QStringLiteral("Topic"),
                                    QStringLiteral("Description"),
                                    QStringLiteral("Comments"),
                                    QStringLiteral("PurchDate"),
                                    QStringLiteral("BlankDate"),
                                    QStringLiteral("Wanted"),
                                    QStringLiteral("Misc"),
                                    QStringLiteral("MiscSelect"),
                                    QStringLiteral("UserDef1"),
                                    QStringLiteral("UserDef2"),
                                    QStringLiteral("UserDef3"),
                                    QStringLiteral("UserDef4"),
                                    QStringLiteral("Quantity"),
                                    QStringLiteral("PurchasePrice"),
                                    QStringLiteral("MarketValue"),
                                    QStringLiteral("PremiumValue"),
                                    QStringLiteral("PrevButton"),
                                    QStringLiteral("NextButton"),
                                    QStringLiteral("ClearButton"),
                                    QStringLiteral("UpdateButton"),
                                    QStringLiteral("UpdateExitButton"),
                                    QStringLiteral("CancelButton")}));
    }

    void disabledQuantityLooksDisabled()
    {
        ShapeFixture f;
        QColor enabledBackground, disabledBackground, shownDisabled, enabledText, disabledText;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            auto *quantity = child<QLineEdit>(e, "Quantity");
            const QPoint at(quantity->width() - 6, quantity->height() / 2);
            quantity->setAlignment(Qt::AlignLeft); // keep the text away from the sampled pixel
            enabledBackground = quantity->grab().toImage().pixelColor(at);
            child<QCheckBox>(e, "Wanted")->click();
            disabledBackground = quantity->grab().toImage().pixelColor(at);
            shownDisabled = quantity->palette().color(QPalette::Disabled, QPalette::Base);
            enabledText = quantity->palette().color(QPalette::Active, QPalette::Text);
            disabledText = quantity->palette().color(QPalette::Disabled, QPalette::Text);
            e.setControlText(coin::Country, QString());
            child<QCheckBox>(e, "Wanted")->click();
        });
        QVERIFY(enabledBackground != disabledBackground);
        QCOMPARE(disabledBackground.name(), shownDisabled.name());
        // Its text is greyed, yet readable.
        QVERIFY(disabledText != enabledText);
        QVERIFY(colors::contrast(disabledText, shownDisabled) >= 3.0);
    }

    void updateOfNewRecordMakesTheCaptionEdit()
    {
        ShapeFixture f;
        QStringList captions;
        f.inEditor(&TMain::DoAdd, [&](TMyEdit &e) {
            captions << e.windowTitle();
            e.setControlText(coin::Country, QStringLiteral("Peru"));
            e.action(QStringLiteral("MenuUpdate"))->trigger();
            captions << e.windowTitle();
            e.action(QStringLiteral("MenuCopyRecord"))->trigger();
            captions << e.windowTitle();
            e.action(QStringLiteral("MenuUpdate"))->trigger();
            captions << e.windowTitle();
        });
        QCOMPARE(captions,
                 (QStringList{QStringLiteral("Edit (New Record)"), QStringLiteral("Edit"),
                              QStringLiteral("Edit (New Copied Record)"), QStringLiteral("Edit")}));
        QCOMPARE(f.w->database().table().recordCount(), 2);
    }
};

REGISTER_TEST(EditorShapeTests)
#include "tst_editor_shape.moc"
