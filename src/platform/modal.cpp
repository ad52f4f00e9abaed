#include "modal.h"

#include <QList>
#include <QTimer>

namespace modal
{

namespace
{
QList<Action> &queue()
{
    static QList<Action> q;
    return q;
}
} // namespace

int show(QDialog *dialog)
{
    if (!queue().isEmpty()) {
        Action action = queue().takeFirst();
        QTimer::singleShot(0, dialog, [dialog, action] {
            action(dialog);
            if (dialog->isVisible() && !dialog->property("modalKeepOpen").toBool())
                dialog->reject(); // an action that forgets to close does not hang the test
        });
    }
    return dialog->exec();
}

void enqueue(Action action)
{
    queue() << std::move(action);
}

int pending()
{
    return static_cast<int>(queue().size());
}

void clear()
{
    queue().clear();
}

} // namespace modal
