#include "config/config_parts.h"

#include <QFont>
#include <QLabel>

namespace configparts
{

QLabel *heading(QWidget *parent, const char *name, const char *text)
{
    auto *l = new QLabel(QLatin1String(text), parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

} // namespace configparts
