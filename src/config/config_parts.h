// Controls the configuration dialogs share.
#pragma once

class QLabel;
class QWidget;

namespace configparts
{

// A bold caption over a group of controls, named for its object name.
QLabel *heading(QWidget *parent, const char *name, const char *text);

} // namespace configparts
