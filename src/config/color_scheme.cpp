#include "config/color_scheme.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QPalette>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <cmath>

namespace colors
{

QColor toColor(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int fromColor(const QColor &c)
{
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

const char *const kPredefinedNames[kPredefinedCount] = {
    "Monochrome",    "Gray Mist",    "Midnight Black", "Desert Sunset",
    "Easter Pastel", "Ocean Blue",   "Fiery Red",      "Christmas Season",
    "Wine",          "More Pastels", "Green Glow",     "Camouflage"};

ColorScheme predefined(int set)
{
    struct Rgb {
        int r, g, b;
        int value() const { return r + 256 * g + 65536 * b; }
    };
    // Window background, major titles, minor titles, edit background, edit text, radio text.
    static const Rgb sets[kPredefinedCount][6] = {
        {{255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {0, 0, 0}},
        {{192, 192, 192}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255}, {0, 0, 0}, {0, 0, 0}},
        {{0, 0, 0}, {192, 192, 192}, {255, 255, 255}, {127, 127, 127}, {0, 0, 0}, {255, 255, 255}},
        {{255, 255, 128}, {0, 0, 0}, {0, 0, 0}, {255, 255, 0}, {0, 0, 0}, {0, 0, 0}},
        {{255, 128, 255}, {0, 0, 255}, {0, 0, 0}, {128, 0, 128}, {0, 255, 255}, {0, 0, 0}},
        {{0, 255, 255}, {255, 0, 0}, {0, 0, 0}, {255, 255, 255}, {0, 0, 128}, {0, 0, 0}},
        {{255, 0, 0}, {0, 0, 128}, {0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 0}},
        {{0, 255, 0}, {255, 255, 255}, {255, 0, 0}, {255, 0, 0}, {255, 255, 255}, {255, 0, 0}},
        {{128, 0, 64}, {255, 0, 0}, {255, 0, 255}, {128, 0, 128}, {255, 0, 0}, {255, 0, 255}},
        {{0, 255, 128}, {255, 0, 255}, {128, 0, 128}, {0, 255, 255}, {0, 0, 255}, {128, 0, 128}},
        {{0, 0, 0}, {0, 255, 0}, {0, 255, 0}, {0, 255, 0}, {0, 0, 0}, {0, 255, 0}},
        {{128, 128, 0},
         {0, 128, 0},
         {127, 127, 127},
         {0, 128, 128},
         {192, 192, 192},
         {127, 127, 127}},
    };
    ColorScheme s;
    if (set < 1 || set > kPredefinedCount) return s;
    const Rgb *c = sets[set - 1];
    auto &v = s.colors;
    v[ColorScheme::MainBackground] = c[0].value();
    v[ColorScheme::MajorTitle] = c[1].value();
    v[ColorScheme::MinorTitle] = c[2].value();
    v[ColorScheme::EditBackground] = c[3].value();
    v[ColorScheme::EditText] = c[4].value();
    v[ColorScheme::RadioText] = c[5].value();
    v[ColorScheme::ListBoxBackground] = v[ColorScheme::ComboBackground] =
        v[ColorScheme::EditBackground];
    v[ColorScheme::ListBoxText] = v[ColorScheme::ComboText] = v[ColorScheme::EditText];
    v[ColorScheme::RadioBackground] = v[ColorScheme::CheckBackground] =
        v[ColorScheme::MainBackground];
    v[ColorScheme::CheckText] = v[ColorScheme::RadioText];
    return s;
}

namespace
{

double luminance(const QColor &c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

QColor mix(const QColor &from, const QColor &to, double t)
{
    return QColor(int(std::lround(from.red() + (to.red() - from.red()) * t)),
                  int(std::lround(from.green() + (to.green() - from.green()) * t)),
                  int(std::lround(from.blue() + (to.blue() - from.blue()) * t)));
}

// The desktop's own colours for a widget, every role set so that nothing is inherited
// from the painted window around it.
QPalette desktopPalette(const QWidget *w)
{
    QPalette plain = QApplication::palette(w);
    for (int g = 0; g < QPalette::NColorGroups; ++g)
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto group = QPalette::ColorGroup(g);
            const auto role = QPalette::ColorRole(r);
            plain.setColor(group, role, plain.color(group, role));
        }
    return plain;
}

} // namespace

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor disabledText(const QColor &text, const QColor &background)
{
    constexpr double kLeast = 3.0;
    // Halfway to the background looks greyed; nearer the text where that is too faint.
    for (int step = 0; step <= 10; ++step) {
        const QColor c = mix(text, background, 0.5 - step * 0.05);
        if (contrast(c, background) >= kLeast) return c;
    }
    // The text itself is too faint on this background: a grey from the background toward
    // black or white, whichever stands out more.
    const QColor far = contrast(Qt::black, background) >= contrast(Qt::white, background)
                           ? QColor(Qt::black)
                           : QColor(Qt::white);
    for (int step = 1; step <= 20; ++step) {
        const QColor c = mix(background, far, step * 0.05);
        if (contrast(c, background) >= kLeast) return c;
    }
    return far;
}

void Painter::paint(QWidget *w, int textRole, int backgroundRole, Kind kind) const
{
    if (!w) return;
    QPalette p = w->palette();
    const QColor bg = toColor(m_scheme.colors[backgroundRole]);
    const QColor fg = toColor(m_scheme.colors[textRole]);
    // A disabled box is drawn on its background blended toward the window's, so that it
    // looks disabled; its text is greyed but stays readable.
    const QColor disabledBg =
        kind == Kind::Box ? mix(bg, toColor(m_scheme.colors[ColorScheme::MainBackground]), 0.35)
                          : bg;
    const QColor disabledFg = disabledText(fg, disabledBg);
    auto set = [&p](QPalette::ColorRole role, const QColor &active, const QColor &disabled) {
        p.setColor(QPalette::Active, role, active);
        p.setColor(QPalette::Inactive, role, active);
        p.setColor(QPalette::Disabled, role, disabled);
    };
    switch (kind) {
    case Kind::Window:
    case Kind::Label:
        set(QPalette::Window, bg, bg);
        set(QPalette::WindowText, fg, disabledFg);
        break;
    case Kind::Box:
        // Edit boxes and grids draw on Base with Text; a drop-down list that cannot be
        // typed in is drawn like a button.
        set(QPalette::Window, bg, disabledBg);
        set(QPalette::Base, bg, disabledBg);
        set(QPalette::AlternateBase, bg, disabledBg);
        set(QPalette::Text, fg, disabledFg);
        set(QPalette::WindowText, fg, disabledFg);
        if (qobject_cast<QComboBox *>(w)) {
            set(QPalette::Button, bg, disabledBg);
            set(QPalette::ButtonText, fg, disabledFg);
        }
        break;
    case Kind::Button:
        // Check boxes and radio buttons fill with the Button role and write their text
        // with WindowText or ButtonText, depending on the style; their indicator keeps
        // its own Base and Text, so the mark shows on every scheme.
        set(QPalette::Window, bg, bg);
        set(QPalette::Button, bg, bg);
        set(QPalette::WindowText, fg, disabledFg);
        set(QPalette::ButtonText, fg, disabledFg);
        w->setBackgroundRole(QPalette::Window);
        w->setForegroundRole(QPalette::WindowText);
        break;
    }
    w->setPalette(p);
    w->setAutoFillBackground(true);
    if (kind == Kind::Window) {
        // Menu bars are the desktop's, like buttons: never coloured, so their items stay
        // readable on a dark window.
        for (QMenuBar *bar : w->findChildren<QMenuBar *>())
            if (bar->window() == w->window()) bar->setPalette(desktopPalette(bar));
        // Pages of tabbed notebooks are plain panels: the window's background. Their tabs
        // are drawn like buttons, and like buttons keep the desktop's colours.
        for (QTabWidget *tabs : w->findChildren<QTabWidget *>()) {
            tabs->tabBar()->setPalette(desktopPalette(tabs->tabBar()));
            for (int i = 0; i < tabs->count(); ++i) {
                QWidget *page = tabs->widget(i);
                QPalette pp = page->palette();
                pp.setColor(QPalette::Window, bg);
                page->setPalette(pp);
                page->setBackgroundRole(QPalette::Window);
                page->setAutoFillBackground(true);
            }
        }
    }
    if (auto *view = qobject_cast<QAbstractItemView *>(w)) {
        view->viewport()->setBackgroundRole(QPalette::Base);
        view->viewport()->setAutoFillBackground(true);
    }
}

void Painter::window(QWidget *w) const
{
    paint(w, ColorScheme::MinorTitle, ColorScheme::MainBackground, Kind::Window);
}
void Painter::majorTitle(QWidget *w) const
{
    paint(w, ColorScheme::MajorTitle, ColorScheme::MainBackground, Kind::Label);
}
void Painter::minorTitle(QWidget *w) const
{
    paint(w, ColorScheme::MinorTitle, ColorScheme::MainBackground, Kind::Label);
}
void Painter::edit(QWidget *w) const
{
    paint(w, ColorScheme::EditText, ColorScheme::EditBackground, Kind::Box);
}
void Painter::combo(QWidget *w) const
{
    paint(w, ColorScheme::ComboText, ColorScheme::ComboBackground, Kind::Box);
}
void Painter::list(QWidget *w) const
{
    paint(w, ColorScheme::ListBoxText, ColorScheme::ListBoxBackground, Kind::Box);
}
void Painter::radio(QWidget *w) const
{
    paint(w, ColorScheme::RadioText, ColorScheme::RadioBackground, Kind::Button);
}
void Painter::check(QWidget *w) const
{
    paint(w, ColorScheme::CheckText, ColorScheme::CheckBackground, Kind::Button);
}

} // namespace colors
