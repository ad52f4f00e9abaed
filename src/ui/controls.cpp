#include "ui/controls.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace controls
{

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const char *icon,
                    AutoDefault autoDefault)
{
    auto *b = icon ? new QPushButton(QIcon::fromTheme(QLatin1String(icon)), caption, parent)
                   : new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(autoDefault == AutoDefault::On);
    return b;
}

QLabel *label(QWidget *parent, const char *name, const QString &caption, Qt::Alignment alignment)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    if (alignment) l->setAlignment(alignment);
    return l;
}

QLabel *heading(QWidget *parent, const char *name, const char *text)
{
    QLabel *l = label(parent, name, QLatin1String(text));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
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
        const QByteArray captionName = QByteArray(e.name) + "Label";
        QLabel *caption = label(parent, captionName.constData(), QLatin1String(e.caption));
        QLineEdit *edit = lineEdit(parent, e.name, maxLength);
        edit->setAccessibleName(QLatin1String(e.caption));
        caption->setBuddy(edit);
        grid->addWidget(caption, e.row, e.column);
        grid->addWidget(edit, e.row, e.column + 1);
        *e.edit = edit;
    }
}

} // namespace controls
