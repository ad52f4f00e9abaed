// Printing one record: twenty lines of "name: value" on a page per copy, on the program's
// printer after the print dialog.
#pragma once

#include <QString>
#include <QStringList>

class QPainter;
class QPrinter;
class QWidget;

namespace recordprint
{

// The display name and ": " cut to 22 characters, then the value as shown.
QString line(const QString &displayName, const QString &value);

// Draws the lines on the open painter: a page per copy, a new page between copies.
void drawCopies(QPainter &painter, QPrinter &printer, const QStringList &lines, int copies);

// The whole command: refuses while a job is running or when no printer exists, asks
// through the print dialog, then prints under the job title "Numarok". False when
// nothing was printed.
bool print(QWidget *owner, const QStringList &lines);

} // namespace recordprint
