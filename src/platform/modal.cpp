#include "platform/modal.h"

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
            // An action that forgets to close does not hang the test, even when the form
            // refuses to close (a question answered No).
            if (dialog->isVisible() && !dialog->property("modalKeepOpen").toBool()) {
                dialog->reject();
                if (dialog->isVisible()) dialog->hide();
            }
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
