#include "color_scheme.h"

#include <QPalette>
#include <QWidget>

namespace colors {

QColor toColor(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int fromColor(const QColor &c)
{
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

void Painter::paint(QWidget *w, int textRole, int backgroundRole) const
{
    if (!w)
        return;
    QPalette p = w->palette();
    if (backgroundRole >= 0) {
        const QColor bg = toColor(m_scheme.colors[backgroundRole]);
        p.setColor(QPalette::Window, bg);
        // Boxes take their own background; the window's goes to the window only, so
        // buttons (never coloured) keep theirs.
        if (backgroundRole != ColorScheme::MainBackground && backgroundRole != ColorScheme::RadioBackground &&
            backgroundRole != ColorScheme::CheckBackground)
            p.setColor(QPalette::Base, bg);
        w->setAutoFillBackground(true);
    }
    if (textRole >= 0) {
        const QColor fg = toColor(m_scheme.colors[textRole]);
        p.setColor(QPalette::WindowText, fg);
        p.setColor(QPalette::Text, fg);
    }
    w->setPalette(p);
}

void Painter::window(QWidget *w) const { paint(w, -1, ColorScheme::MainBackground); }
void Painter::majorTitle(QWidget *w) const { paint(w, ColorScheme::MajorTitle, ColorScheme::MainBackground); }
void Painter::minorTitle(QWidget *w) const { paint(w, ColorScheme::MinorTitle, ColorScheme::MainBackground); }
void Painter::edit(QWidget *w) const { paint(w, ColorScheme::EditText, ColorScheme::EditBackground); }
void Painter::combo(QWidget *w) const { paint(w, ColorScheme::ComboText, ColorScheme::ComboBackground); }
void Painter::list(QWidget *w) const { paint(w, ColorScheme::ListBoxText, ColorScheme::ListBoxBackground); }
void Painter::radio(QWidget *w) const { paint(w, ColorScheme::RadioText, ColorScheme::RadioBackground); }
void Painter::check(QWidget *w) const { paint(w, ColorScheme::CheckText, ColorScheme::CheckBackground); }

} // namespace colors
