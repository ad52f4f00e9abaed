// Shows the program's own modal forms. A test queues an action that runs once the next
// form is showing, so it can reach the form, act on it and close it.
#pragma once

#include <QDialog>
#include <functional>

namespace modal
{

using Action = std::function<void(QDialog *)>;

// exec() the dialog, running the next queued action (if any) once it shows.
int show(QDialog *dialog);
void enqueue(Action action);
int pending();
void clear();

} // namespace modal
