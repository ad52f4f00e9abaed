// Painting a window from its group's colour scheme: one helper per role of the
// convention (window background, major and minor titles, edit, combo and list boxes,
// radio buttons, check boxes) that every window's SetColors calls.
#pragma once

#include "settings.h"

#include <QColor>

class QWidget;

namespace colors {

enum Scheme { Main = 0, Edit, Search, Report, Configure };

// A platform colour value (red + 256 x green + 65536 x blue) and back.
QColor toColor(int value);
int fromColor(const QColor &color);

class Painter {
public:
    explicit Painter(const ColorScheme &scheme) : m_scheme(scheme) {}

    void window(QWidget *w) const;        // the window itself and plain panels
    void majorTitle(QWidget *label) const; // heading labels
    void minorTitle(QWidget *label) const; // ordinary labels
    void edit(QWidget *w) const;
    void combo(QWidget *w) const;
    void list(QWidget *w) const;
    void radio(QWidget *w) const;
    void check(QWidget *w) const;

private:
    void paint(QWidget *w, int textRole, int backgroundRole) const;
    const ColorScheme &m_scheme;
};

} // namespace colors
