// The colour painter on each kind of control, read back from rendered pixels, and the
// readability of disabled text on every predefined colour set.
#include "config/color_scheme.h"
#include "test_registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace
{

QColor role(const ColorScheme &s, ColorScheme::Role r)
{
    return colors::toColor(s.colors[r]);
}

QFont bigFont()
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(26);
    f.setBold(true);
    return f;
}

bool hasColor(const QImage &image, const QColor &c)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == c.rgb()) return true;
    return false;
}

QString name(const QColor &c)
{
    return c.name();
}

} // namespace

class PainterTests : public QObject
{
    Q_OBJECT
private slots:
    void controlKinds_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("kind");
        const char *kinds[] = {"window", "page", "major", "minor", "edit",
                               "combo",  "list", "grid",  "radio", "check"};
        for (int set : {0, 3, 9})
            for (const char *kind : kinds)
                QTest::addRow("%s %s", set ? colors::kPredefinedNames[set - 1] : "default", kind)
                    << set << QString::fromLatin1(kind);
    }

    // The background pixel of each control is the colour of its role; the text colour is
    // drawn where the control shows text.
    void controlKinds()
    {
        QFETCH(int, set);
        QFETCH(QString, kind);
        const ColorScheme scheme = set ? colors::predefined(set) : ColorScheme();
        const colors::Painter paint(scheme);
        QDialog form;
        form.resize(420, 300);
        QWidget *control = nullptr;
        QPoint backgroundAt;
        QColor background, text;
        bool showsText = true;
        if (kind == QLatin1String("window")) {
            control = &form;
            paint.window(&form);
            backgroundAt = QPoint(200, 150);
            background = role(scheme, ColorScheme::MainBackground);
            showsText = false;
        } else if (kind == QLatin1String("page")) {
            auto *tabs = new QTabWidget(&form);
            tabs->setGeometry(10, 10, 400, 280);
            auto *page = new QWidget;
            tabs->addTab(page, QStringLiteral("Page"));
            paint.window(&form);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            control = page;
            backgroundAt = QPoint(page->width() / 2, page->height() / 2);
            background = role(scheme, ColorScheme::MainBackground);
            showsText = false;
        } else if (kind == QLatin1String("major") || kind == QLatin1String("minor")) {
            auto *l = new QLabel(QStringLiteral("IIII"), &form);
            l->setFont(bigFont());
            l->setGeometry(10, 10, 250, 50);
            const bool major = kind == QLatin1String("major");
            major ? paint.majorTitle(l) : paint.minorTitle(l);
            control = l;
            backgroundAt = QPoint(240, 45);
            background = role(scheme, ColorScheme::MainBackground);
            text = role(scheme, major ? ColorScheme::MajorTitle : ColorScheme::MinorTitle);
        } else if (kind == QLatin1String("edit")) {
            auto *e = new QLineEdit(QStringLiteral("IIII"), &form);
            e->setFont(bigFont());
            e->setGeometry(10, 10, 250, 50);
            paint.edit(e);
            control = e;
            backgroundAt = QPoint(235, 25);
            background = role(scheme, ColorScheme::EditBackground);
            text = role(scheme, ColorScheme::EditText);
        } else if (kind == QLatin1String("combo")) {
            auto *c = new QComboBox(&form);
            c->setEditable(true);
            c->setFont(bigFont());
            c->setGeometry(10, 10, 250, 50);
            c->setEditText(QStringLiteral("IIII"));
            paint.combo(c);
            control = c;
            backgroundAt = QPoint(150, 25);
            background = role(scheme, ColorScheme::ComboBackground);
            text = role(scheme, ColorScheme::ComboText);
        } else if (kind == QLatin1String("list")) {
            auto *l = new QListWidget(&form);
            l->setFont(bigFont());
            l->addItem(QStringLiteral("IIII"));
            l->setGeometry(10, 10, 250, 150);
            paint.list(l);
            control = l;
            backgroundAt = QPoint(200, 120);
            background = role(scheme, ColorScheme::ListBoxBackground);
            text = role(scheme, ColorScheme::ListBoxText);
        } else if (kind == QLatin1String("grid")) {
            auto *g = new QTableWidget(2, 2, &form);
            g->setFont(bigFont());
            g->setItem(0, 0, new QTableWidgetItem(QStringLiteral("IIII")));
            g->setGeometry(10, 10, 400, 250);
            paint.list(g);
            control = g;
            backgroundAt = QPoint(380, 230);
            background = role(scheme, ColorScheme::ListBoxBackground);
            text = role(scheme, ColorScheme::ListBoxText);
        } else {
            const bool radio = kind == QLatin1String("radio");
            QAbstractButton *b = radio ? static_cast<QAbstractButton *>(
                                             new QRadioButton(QStringLiteral("IIII"), &form))
                                       : new QCheckBox(QStringLiteral("IIII"), &form);
            b->setFont(bigFont());
            b->setGeometry(10, 10, 300, 50);
            radio ? paint.radio(b) : paint.check(b);
            control = b;
            backgroundAt = QPoint(290, 45);
            background =
                role(scheme, radio ? ColorScheme::RadioBackground : ColorScheme::CheckBackground);
            text = role(scheme, radio ? ColorScheme::RadioText : ColorScheme::CheckText);
        }
        const QImage image = control->grab().toImage();
        QCOMPARE(name(image.pixelColor(backgroundAt)), name(background));
        if (showsText)
            QVERIFY2(hasColor(image, text),
                     qPrintable(QStringLiteral("no pixel of %1").arg(name(text))));
    }

    void disabledTextReadable_data()
    {
        QTest::addColumn<int>("set");
        for (int set = 1; set <= colors::kPredefinedCount; ++set)
            QTest::newRow(colors::kPredefinedNames[set - 1]) << set;
    }

    // Every painted kind, disabled: its text against its background at 3:1 or more.
    void disabledTextReadable()
    {
        QFETCH(int, set);
        const ColorScheme scheme = colors::predefined(set);
        const colors::Painter paint(scheme);
        QDialog form;
        struct Case {
            QWidget *w;
            QPalette::ColorRole text, background;
        };
        auto *label = new QLabel(&form), *title = new QLabel(&form);
        auto *edit = new QLineEdit(&form);
        auto *combo = new QComboBox(&form);
        auto *list = new QListWidget(&form);
        auto *check = new QCheckBox(&form);
        auto *radio = new QRadioButton(&form);
        paint.window(&form);
        paint.minorTitle(label);
        paint.majorTitle(title);
        paint.edit(edit);
        paint.combo(combo);
        paint.list(list);
        paint.check(check);
        paint.radio(radio);
        const Case cases[] = {{&form, QPalette::WindowText, QPalette::Window},
                              {label, QPalette::WindowText, QPalette::Window},
                              {title, QPalette::WindowText, QPalette::Window},
                              {edit, QPalette::Text, QPalette::Base},
                              {combo, QPalette::Text, QPalette::Base},
                              {combo, QPalette::ButtonText, QPalette::Button},
                              {list, QPalette::Text, QPalette::Base},
                              {check, QPalette::WindowText, QPalette::Window},
                              {radio, QPalette::WindowText, QPalette::Window}};
        for (const Case &c : cases) {
            c.w->setEnabled(false);
            const QPalette &p = c.w->palette();
            const QColor fg = p.color(QPalette::Disabled, c.text),
                         bg = p.color(QPalette::Disabled, c.background);
            QVERIFY2(colors::contrast(fg, bg) >= 3.0,
                     qPrintable(QStringLiteral("%1: %2 on %3")
                                    .arg(QLatin1String(c.w->metaObject()->className()), name(fg),
                                         name(bg))));
            QVERIFY(fg != p.color(QPalette::Active, c.text) || fg == bg); // it looks disabled
            c.w->setEnabled(true);
        }
    }

    // A dark window keeps the desktop's menu bar and notebook tabs, whose texts would
    // vanish on it.
    void menuBarAndTabsKeepTheDesktopColours()
    {
        QDialog form;
        auto *bar = new QMenuBar(&form);
        bar->addMenu(QStringLiteral("&File"));
        auto *tabs = new QTabWidget(&form);
        tabs->addTab(new QWidget, QStringLiteral("&Title"));
        const colors::Painter paint(colors::predefined(3)); // Midnight Black
        paint.window(&form);
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(bar->palette().color(QPalette::Window),
                 QApplication::palette(bar).color(QPalette::Window));
        QCOMPARE(bar->palette().color(QPalette::ButtonText),
                 QApplication::palette(bar).color(QPalette::ButtonText));
        QCOMPARE(tabs->tabBar()->palette().color(QPalette::WindowText),
                 QApplication::palette(tabs->tabBar()).color(QPalette::WindowText));
        QCOMPARE(tabs->widget(0)->palette().color(QPalette::Window), QColor(Qt::black));
    }

    void predefinedSetsDeriveTheirRoles()
    {
        const ColorScheme wine = colors::predefined(9);
        QCOMPARE(name(role(wine, ColorScheme::MainBackground)), QStringLiteral("#800040"));
        QCOMPARE(name(role(wine, ColorScheme::ComboBackground)), QStringLiteral("#800080"));
        QCOMPARE(name(role(wine, ColorScheme::ComboText)), QStringLiteral("#ff0000"));
        QCOMPARE(name(role(wine, ColorScheme::CheckBackground)), QStringLiteral("#800040"));
        QCOMPARE(name(role(wine, ColorScheme::CheckText)), QStringLiteral("#ff00ff"));
    }
};

REGISTER_TEST(PainterTests)
#include "tst_painter.moc"
