#include "reports/designer_parts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace reports::parts
{

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const char *icon)
{
    auto *b = new QPushButton(QIcon::fromTheme(QLatin1String(icon)), caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (maxLength > 0) e->setMaxLength(maxLength);
    return e;
}

QRadioButton *radio(QWidget *parent, const char *name, const QString &caption)
{
    auto *r = new QRadioButton(caption, parent);
    r->setObjectName(QLatin1String(name));
    return r;
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption)
{
    auto *c = new QCheckBox(caption, parent);
    c->setObjectName(QLatin1String(name));
    return c;
}

QGroupBox *groupBox(QWidget *parent, const char *name, const QString &caption)
{
    auto *g = new QGroupBox(caption, parent);
    g->setObjectName(QLatin1String(name));
    return g;
}

void addCaptionedEdits(QGridLayout *grid, std::initializer_list<CaptionedEdit> edits, int maxLength)
{
    QWidget *parent = grid->parentWidget();
    for (const CaptionedEdit &e : edits) {
        auto *label = new QLabel(QLatin1String(e.caption), parent);
        label->setObjectName(QLatin1String(e.name) + QStringLiteral("Label"));
        QLineEdit *edit = lineEdit(parent, e.name, maxLength);
        edit->setAccessibleName(QLatin1String(e.caption));
        label->setBuddy(edit);
        grid->addWidget(label, e.row, e.column);
        grid->addWidget(edit, e.row, e.column + 1);
        *e.edit = edit;
    }
}

void makeFontText(QLineEdit *edit)
{
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
}

} // namespace reports::parts
