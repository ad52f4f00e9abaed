#include "reports/engine/file_printer.h"

#include "platform/prompts.h"
#include "reports/engine/printers.h"

#include <QCoreApplication>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrinter>

namespace engine
{

namespace
{
QPageLayout layoutFor(const StoredPage &page)
{
    const QSizeF portrait =
        page.orientation == QPageLayout::Landscape ? page.size.transposed() : page.size;
    return QPageLayout(QPageSize(portrait, QPageSize::Inch), page.orientation, QMarginsF());
}

// Clears the busy flag however the print ends.
struct BusyGuard {
    bool &busy;
    explicit BusyGuard(bool &b) : busy(b) { busy = true; }
    ~BusyGuard() { busy = false; }
};
} // namespace

TFilePrinter::TFilePrinter(QWidget *owner, QPrinter *printer) : m_owner(owner), m_printer(printer)
{
}

std::pair<int, int> TFilePrinter::pageRange(int first, int last, int count)
{
    if (first < 1) first = 1;
    if (last < 1 || last >= count) last = count;
    return {first, last};
}

bool TFilePrinter::PrintPages(int first, int last, int copies)
{
    if (m_busy || !m_stream) return false;
    QPrinter &p = m_printer ? *m_printer : Prompts::printer();
    if (p.outputFormat() == QPrinter::NativeFormat) {
        const QString name = printerNameFor(m_index);
        if (name.isEmpty()) {
            Prompts::error(m_owner, QStringLiteral("No printers are defined, aborting print job."));
            return false;
        }
        if (p.printerName() != name) p.setPrinterName(name);
    }
    // The program's one printer: what the job changes on it is put back.
    const bool fullPage = p.fullPage();
    const QPageLayout layout = p.pageLayout();
    p.setFullPage(true);
    p.setDocName(m_stream->title);
    p.setCopyCount(1);
    const bool printed = PrintPagesTo(p, first, last, copies);
    p.setFullPage(fullPage);
    p.setPageLayout(layout);
    return printed;
}

bool TFilePrinter::PrintPagesTo(QPagedPaintDevice &device, int first, int last, int copies)
{
    if (m_busy || !m_stream || m_stream->pages.empty()) return false;
    const auto [from, to] = pageRange(first, last, m_stream->pageCount());
    if (from > to) return false;
    BusyGuard guard(m_busy);
    device.setPageLayout(layoutFor(m_stream->pages[static_cast<size_t>(from - 1)]));
    QPainter painter;
    if (!painter.begin(&device)) return false;
    bool firstPage = true;
    for (int copy = 0; copy < std::max(1, copies); ++copy) {
        for (int n = from; n <= to; ++n) {
            const StoredPage &page = m_stream->pages[static_cast<size_t>(n - 1)];
            if (!firstPage) {
                // The window stays responsive between pages; a second request meanwhile
                // finds the printer busy.
                QCoreApplication::processEvents();
                device.setPageLayout(layoutFor(page));
                device.newPage();
            }
            firstPage = false;
            drawPage(painter, page, device.logicalDpiX(), device.logicalDpiY());
        }
    }
    painter.end();
    return true;
}

} // namespace engine
