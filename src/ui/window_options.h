// What every dialog does when it is shown: the label, edit and button fonts by control
// kind, scaling by the dialog size factor and centring on the screen; and the saved
// design geometry of forms that are shown many times.
#pragma once

#include "app/settings.h"

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QVector>

class QWidget;

namespace windowopts
{

// Face name and style (never size or colour) from the three fonts by control kind.
void applyFonts(QWidget *form, const QFont &labelFont, const QFont &editFont,
                const QFont &buttonFont);
// Positions and sizes multiplied by the factor rounded to hundredths, and every widget's
// font set to its designed size (read at the first placement) times the factor, so a
// nested control and a form shown again are scaled exactly once.
void scale(QWidget *form, double factor);
// left = (screen width - width) / 2, top likewise, truncated toward zero; a form larger
// than the screen first shrinks to it as far as its layout allows, and never starts above
// or left of the screen.
void centre(QWidget *form, const QSize &screen);

// A shown window whose frame does not lie within `available` (a remembered place on a
// larger screen; a 640 x 480 window with its title bar on a 640 x 480 screen) is made
// smaller as far as its minimum size lets it and moved so that its frame lies on it.
void keepOnScreen(QWidget *window, const QRect &available);

// The designed geometry of a form that is shown many times, taken once and put back
// before each showing.
class FormGeometry
{
public:
    // False (after the "Too many compenents..." message) when the form has more than 101
    // components; the first 101 are kept.
    bool save(QWidget *form);
    void restore(QWidget *form) const;
    int count() const { return static_cast<int>(m_items.size()); }

private:
    struct Item {
        QPointer<QWidget> widget;
        bool used = false;
        QRect rect;
        qreal fontSize = -1;
    };
    QSize m_client;
    QVector<Item> m_items;
};

} // namespace windowopts
