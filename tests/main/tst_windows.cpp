// The windows as the user sees them: placement and scaling of nested dialogs at every
// dialog size.
#include "formats.h"
#include "main_window.h"
#include "modal.h"
#include "record_editor.h"
#include "test_registry.h"
#include "viewer_config.h"
#include "window_fixture.h"

#include <QMenuBar>
#include <QTest>

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
            TViewConfig unplaced(f.w->settings, k);
            designed = designedSizes(&unplaced);
        }
        QList<Shown> showings;
        for (int i = 0; i < 4; ++i) {
            modal::enqueue([&showings](QDialog *d) {
                showings << measure(d);
                d->close();
            });
            f.w->DoViewer();
        }
        QCOMPARE(showings.size(), 4);
        const Shown &first = showings.first();
        QCOMPARE(first.fontSizes.size(), designed.size());
        for (int i = 0; i < designed.size(); ++i)
            QVERIFY2(qAbs(first.fontSizes[i] - designed[i] * k) < 0.01,
                     qPrintable(QStringLiteral("control %1: %2 pt, designed %3 pt")
                                    .arg(i)
                                    .arg(first.fontSizes[i])
                                    .arg(designed[i])));
        const QRect screen(QPoint(0, 0), f.w->screenSize);
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
        QCOMPARE(showings.size(), 4);
        const Shown &first = showings.first();
        QCOMPARE(first.fontSizes.size(), designed.size());
        for (int i = 0; i < designed.size(); ++i)
            QVERIFY2(qAbs(first.fontSizes[i] - designed[i] * k) < 0.01,
                     qPrintable(QStringLiteral("control %1: %2 pt, designed %3 pt")
                                    .arg(i)
                                    .arg(first.fontSizes[i])
                                    .arg(designed[i])));
        const QRect screen(QPoint(0, 0), f.w->screenSize);
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

REGISTER_TEST(PlacementTests)
#include "tst_windows.moc"
