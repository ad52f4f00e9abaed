#include "ui/window_options.h"

#include "platform/prompts.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>
#include <cmath>
#include <map>

namespace windowopts
{

namespace
{

void setFace(QWidget *w, const QFont &from)
{
    QFont f = w->font();
    f.setFamily(from.family());
    f.setBold(from.bold());
    f.setItalic(from.italic());
    f.setUnderline(from.underline());
    f.setStrikeOut(from.strikeOut());
    w->setFont(f);
}

// Which of the three fonts a control takes; nullptr: it keeps its own.
const QFont *fontFor(QWidget *w, const QFont &label, const QFont &edit, const QFont &button)
{
    if (qobject_cast<QLabel *>(w) || qobject_cast<QListWidget *>(w) ||
        qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w) ||
        qobject_cast<QGroupBox *>(w))
        return &label;
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QTableWidget *>(w)) return &edit;
    // Drop-down boxes bound to fields (the grid's in-cell editors) keep their font.
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->property("boundToField").toBool() ? nullptr : &edit;
    if (qobject_cast<QPushButton *>(w)) return &button;
    return nullptr;
}

// The form's own controls in order, nested ones included, but not the parts Qt builds
// inside composite controls (viewports, scroll bars, headers, drop-down lists).
void ownControls(QWidget *parent, QList<QWidget *> &out)
{
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow()) continue;
        out << w;
        const bool composite = qobject_cast<QAbstractScrollArea *>(w) ||
                               qobject_cast<QComboBox *>(w) || qobject_cast<QLineEdit *>(w) ||
                               qobject_cast<QAbstractButton *>(w);
        if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            for (int i = 0; i < tabs->count(); ++i) {
                out << tabs->widget(i);
                ownControls(tabs->widget(i), out);
            }
        } else if (!composite) {
            ownControls(w, out);
        }
    }
}

// Every widget whose font the factor sizes: the form's controls and the parts Qt builds
// inside them (viewports, headers, the edit line of a drop-down box, the menu bar), but not
// another form that happens to be a child.
void fontTargets(QWidget *parent, QList<QWidget *> &out)
{
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || (w->isWindow() && qobject_cast<QDialog *>(w))) continue;
        out << w;
        fontTargets(w, out);
    }
}

void scaleGeometry(QWidget *form, double k);
void scaleStyle(const QList<QWidget *> &widgets, double k);

const char *const kDesignedFont = "designedFontSize"; // point size, or minus the pixel size

// Fonts: every widget takes its designed size times the factor, read the first time the
// form is placed. Setting a size on each one (not on the form alone) keeps a nested control
// from inheriting a size that was already scaled, and a form shown again from growing at
// each showing.
void scaleFonts(QWidget *form, double k)
{
    QList<QWidget *> sized{form};
    fontTargets(form, sized);
    for (QWidget *w : sized) {
        if (w->property(kDesignedFont).isValid()) continue;
        // A part made since the last showing (a drop-down list, a cell editor) has the
        // scaled font of its parent; its designed size is its parent's.
        const QWidget *parent = w->parentWidget();
        if (w != form && !w->isWindow() && !w->testAttribute(Qt::WA_SetFont) && parent &&
            parent->property(kDesignedFont).isValid()) {
            w->setProperty(kDesignedFont, parent->property(kDesignedFont));
            continue;
        }
        const QFont f = w->font();
        w->setProperty(kDesignedFont, f.pointSizeF() > 0 ? f.pointSizeF() : -double(f.pixelSize()));
    }
    scaleStyle(sized, k);
    for (QWidget *w : sized) {
        const double designed = w->property(kDesignedFont).toDouble();
        QFont f = w->font();
        if (designed > 0)
            f.setPointSizeF(designed * k);
        else if (designed < 0)
            f.setPixelSize(std::max(1, int(-designed * k)));
        if (f != w->font() || !w->testAttribute(Qt::WA_SetFont)) w->setFont(f);
    }
}

// The application's style with the measures of check and radio marks, scroll bars and
// small pictures multiplied by the factor, so that they grow with the text beside them.
class ScaledStyle : public QProxyStyle
{
public:
    explicit ScaledStyle(double k) : QProxyStyle(QApplication::style()->name()), m_k(k) {}
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        const int v = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_CheckBoxLabelSpacing:
        case PM_RadioButtonLabelSpacing:
        case PM_ScrollBarExtent:
        case PM_SmallIconSize:
        case PM_ButtonIconSize:
        case PM_TabBarIconSize:
        case PM_ListViewIconSize:
            return int(std::lround(v * m_k));
        default:
            return v;
        }
    }

private:
    double m_k;
};

// One style per factor for the whole run; the application's own at 1.
QStyle *styleFor(double k)
{
    if (k == 1.0) return nullptr;
    static std::map<int, QStyle *> styles;
    QStyle *&style = styles[int(std::lround(k * 100))];
    if (!style) style = new ScaledStyle(k);
    return style;
}

void scaleStyle(const QList<QWidget *> &widgets, double k)
{
    QStyle *style = styleFor(k);
    for (QWidget *w : widgets) {
        const bool own = w->testAttribute(Qt::WA_SetStyle);
        if (style ? w->style() != style : own) w->setStyle(style);
    }
}

void activateLayout(QWidget *form)
{
    if (QLayout *layout = form->layout()) {
        layout->invalidate();
        layout->activate();
    }
}

} // namespace

void applyFonts(QWidget *form, const QFont &labelFont, const QFont &editFont,
                const QFont &buttonFont)
{
    const auto children = form->findChildren<QWidget *>();
    for (QWidget *w : children)
        if (const QFont *f = fontFor(w, labelFont, editFont, buttonFont)) setFace(w, *f);
}

void scale(QWidget *form, double factor)
{
    const double k = std::round(factor * 100) / 100;
    scaleFonts(form, k);
    if (k != 1.0) scaleGeometry(form, k);
    // A form shown again lays its controls out afresh from the restored design.
    activateLayout(form);
}

namespace
{
void scaleGeometry(QWidget *form, double k)
{
    auto scaled = [k](const QRect &r) {
        return QRect(int(r.x() * k), int(r.y() * k), int(r.width() * k), int(r.height() * k));
    };
    QList<QWidget *> controls;
    ownControls(form, controls);
    for (QWidget *w : controls)
        w->setGeometry(scaled(w->geometry()));
    const QSize size(int(form->width() * k), int(form->height() * k));
    if (form->minimumSize() == form->maximumSize())
        form->setFixedSize(size); // a fixed dialog grows with the factor too
    else
        form->resize(size);
}
} // namespace

void centre(QWidget *form, const QSize &screen)
{
    QSize frame =
        form->frameGeometry().size().isValid() ? form->frameGeometry().size() : form->size();
    // A form larger than the screen shrinks to it as far as its layout lets it, so that
    // its buttons stay reachable.
    QSize border = frame - form->size();
    // A form not shown yet has no frame; the window manager will give it one like that of
    // the window it is opened from.
    const QWidget *opener = form->parentWidget() ? form->parentWidget()->window() : nullptr;
    if (border.isNull() && !form->isVisible() && opener && opener->isVisible())
        border = opener->frameGeometry().size() - opener->size();
    frame = form->size() + border;
    const QSize room = screen - border;
    if (form->width() > room.width() || form->height() > room.height()) {
        QSize least = form->minimumSize();
        if (form->layout()) least = least.expandedTo(form->layout()->minimumSize());
        const QSize fitted = form->size().boundedTo(room).expandedTo(least);
        if (form->minimumSize() == form->maximumSize())
            form->setFixedSize(fitted);
        else
            form->resize(fitted);
        frame = fitted + border;
    }
    form->move(std::max(0, (screen.width() - frame.width()) / 2),
               std::max(0, (screen.height() - frame.height()) / 2));
}

void keepOnScreen(QWidget *window, const QRect &available)
{
    const QRect frame = window->frameGeometry();
    const QSize border = frame.size() - window->size();
    const QSize client =
        window->size().boundedTo(available.size() - border).expandedTo(window->minimumSize());
    if (client != window->size()) window->resize(client);
    const QSize outer = client + border;
    const int left = std::clamp(frame.left(), available.left(),
                                std::max(available.left(), available.right() + 1 - outer.width()));
    const int top = std::clamp(frame.top(), available.top(),
                               std::max(available.top(), available.bottom() + 1 - outer.height()));
    if (QPoint(left, top) != frame.topLeft()) window->move(left, top);
}

bool FormGeometry::save(QWidget *form)
{
    m_client = form->size();
    m_items.clear();
    QList<QWidget *> children;
    ownControls(form, children);
    for (QWidget *w : children) {
        if (m_items.size() == 101) {
            Prompts::error(form, QStringLiteral("Too many compenents to save dimensions."));
            return false;
        }
        Item item;
        item.widget = w;
        const bool measured = qobject_cast<QAbstractButton *>(w) || qobject_cast<QLabel *>(w) ||
                              qobject_cast<QListWidget *>(w) || qobject_cast<QTableWidget *>(w) ||
                              qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
                              qobject_cast<QTabWidget *>(w) || qobject_cast<QGroupBox *>(w) ||
                              w->inherits("QFrame");
        if (measured) {
            item.used = true;
            item.rect = w->geometry();
            // Frames standing for bevels carry no font size.
            if (!(qobject_cast<QFrame *>(w) && !qobject_cast<QLabel *>(w) &&
                  w->objectName().startsWith(QLatin1String("Bevel"))))
                item.fontSize = w->font().pointSizeF();
        }
        m_items << item;
    }
    return true;
}

void FormGeometry::restore(QWidget *form) const
{
    for (const Item &item : m_items) {
        if (!item.used || !item.widget) continue;
        item.widget->setGeometry(item.rect);
        if (item.fontSize > 0) {
            QFont f = item.widget->font();
            f.setPointSizeF(item.fontSize);
            item.widget->setFont(f);
        }
    }
    // The parts the list does not hold (the menu bar, the insides of composite controls)
    // go back to their designed fonts too, and the layout's least size with them, so that
    // the designed client size can be put back.
    scaleFonts(form, 1.0);
    activateLayout(form);
    if (form->minimumSize() == form->maximumSize())
        form->setFixedSize(m_client);
    else
        form->resize(m_client);
}

} // namespace windowopts
