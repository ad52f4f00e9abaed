// The help window: NUMAROK.HLP in the program directory, an HTML document with one
// anchor per window keyword, shown at a keyword or at its contents. The document is
// written from the program's resources when it is missing.
#pragma once

#include <QString>

class QWidget;
class QTextBrowser;

namespace help
{

// The help file's path, written there first when it is missing.
QString ensureHelpFile();
// The anchor of a keyword: letters and digits kept, the rest as "_" ("Input Window" ->
// "Input_Window"); the empty keyword is the contents.
QString anchorFor(const QString &keyword);
// Shows the help window (one for the run) at the keyword, or at the top.
void show(QWidget *parent, const QString &keyword);
// The window's browser, for tests; nullptr before the first show().
QTextBrowser *browser();

} // namespace help
