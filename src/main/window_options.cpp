#include "window_options.h"

#include "prompts.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>
#include <cmath>

namespace windowopts {

namespace {

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
    if (qobject_cast<QLabel *>(w) || qobject_cast<QListWidget *>(w) || qobject_cast<QCheckBox *>(w) ||
        qobject_cast<QRadioButton *>(w) || qobject_cast<QGroupBox *>(w))
        return &label;
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QTableWidget *>(w))
        return &edit;
    // Drop-down boxes bound to fields (the grid's in-cell editors) keep their font.
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->property("boundToField").toBool() ? nullptr : &edit;
    if (qobject_cast<QPushButton *>(w))
        return &button;
    return nullptr;
}

// The form's own controls in order, nested ones included, but not the parts Qt builds
// inside composite controls (viewports, scroll bars, headers, drop-down lists).
void ownControls(QWidget *parent, QList<QWidget *> &out)
{
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (!w || w->isWindow())
            continue;
        out << w;
        const bool composite = qobject_cast<QAbstractScrollArea *>(w) || qobject_cast<QComboBox *>(w) ||
                               qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractButton *>(w);
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

} // namespace

void applyFonts(QWidget *form, const QFont &labelFont, const QFont &editFont, const QFont &buttonFont)
{
    const auto children = form->findChildren<QWidget *>();
    for (QWidget *w : children)
        if (const QFont *f = fontFor(w, labelFont, editFont, buttonFont))
            setFace(w, *f);
}

void scale(QWidget *form, double factor)
{
    const double k = std::round(factor * 100) / 100;
    if (k == 1.0)
        return;
    auto scaled = [k](const QRect &r) {
        return QRect(int(r.x() * k), int(r.y() * k), int(r.width() * k), int(r.height() * k));
    };
    QList<QWidget *> controls;
    ownControls(form, controls);
    for (QWidget *w : controls) {
        w->setGeometry(scaled(w->geometry()));
        QFont f = w->font();
        if (f.pointSizeF() > 0)
            f.setPointSizeF(f.pointSizeF() * k);
        else if (f.pixelSize() > 0)
            f.setPixelSize(int(f.pixelSize() * k));
        w->setFont(f);
    }
    const QSize size(int(form->width() * k), int(form->height() * k));
    if (form->minimumSize() == form->maximumSize())
        form->setFixedSize(size); // a fixed dialog grows with the factor too
    else
        form->resize(size);
}

void centre(QWidget *form, const QSize &screen)
{
    const QSize frame = form->frameGeometry().size().isValid() ? form->frameGeometry().size() : form->size();
    form->move((screen.width() - frame.width()) / 2, (screen.height() - frame.height()) / 2);
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
            if (!(qobject_cast<QFrame *>(w) && !qobject_cast<QLabel *>(w) && w->objectName().startsWith(QLatin1String("Bevel"))))
                item.fontSize = w->font().pointSizeF();
        }
        m_items << item;
    }
    return true;
}

void FormGeometry::restore(QWidget *form) const
{
    if (form->minimumSize() == form->maximumSize())
        form->setFixedSize(m_client);
    else
        form->resize(m_client);
    for (const Item &item : m_items) {
        if (!item.used || !item.widget)
            continue;
        item.widget->setGeometry(item.rect);
        if (item.fontSize > 0) {
            QFont f = item.widget->font();
            f.setPointSizeF(item.fontSize);
            item.widget->setFont(f);
        }
    }
}

} // namespace windowopts
