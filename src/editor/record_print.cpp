#include "editor/record_print.h"

#include "platform/prompts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

namespace recordprint
{

QString line(const QString &displayName, const QString &value)
{
    return (displayName + QStringLiteral(": ")).left(22) + value;
}

void drawCopies(QPainter &painter, QPrinter &printer, const QStringList &lines, int copies)
{
    const int x = printer.width() / 17;
    const int top = printer.height() / 22;
    painter.setFont(QFont(QStringLiteral("Arial"), 10));
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight =
        int(std::lround(metrics.height() * 1.1)); // the height of "ABCDEWjky" in this font
    for (int copy = 1; copy <= copies; ++copy) {
        for (int k = 0; k < lines.size(); ++k)
            painter.drawText(x, top + k * lineHeight + metrics.ascent(), lines[k]);
        if (copy < copies) printer.newPage();
    }
}

bool print(QWidget *owner, const QStringList &lines)
{
    QPrinter &printer = Prompts::printer();
    if (printer.printerState() == QPrinter::Active) {
        Prompts::error(owner, QStringLiteral("Other print job currently in progress."));
        return false;
    }
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        Prompts::error(owner, QStringLiteral("No printers are defined, aborting print job."));
        return false;
    }
    if (printer.printerName().isEmpty()) printer.setPrinterName(QPrinterInfo::defaultPrinterName());
    printer.setCopyCount(1);
    if (!Prompts::instance().choosePrinter(owner, &printer)) return false;
    // The copies are drawn here, one page each; the print system is asked for one.
    const int copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    printer.setDocName(QStringLiteral("Numarok"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QPainter painter;
    const bool started = painter.begin(&printer);
    if (started) {
        drawCopies(painter, printer, lines, copies);
        painter.end();
    }
    QApplication::restoreOverrideCursor();
    if (!started)
        Prompts::error(
            owner,
            QStringLiteral("The printer \"%1\" could not be started.").arg(printer.printerName()));
    return started;
}

} // namespace recordprint
