// TFilePrinter: replays stored pages to the printer (or to any paged device, such as a PDF
// writer), for any page range.
#pragma once

#include "reports/engine/page_stream.h"

#include <utility>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace engine
{

class TFilePrinter
{
public:
    // Prints on `printer`, or on the program's one printer when null.
    explicit TFilePrinter(QWidget *owner = nullptr, QPrinter *printer = nullptr);

    void setStream(const PageStream *stream) { m_stream = stream; }
    void SelectPrinter(int index) { m_index = index; }
    bool Busy() const { return m_busy; }

    // The pages a request prints, 1-based: a first page of 0 (or less) means 1; a last
    // page below 1 or at or beyond the count means the last page. Empty (first > last)
    // when there is nothing to print.
    static std::pair<int, int> pageRange(int first, int last, int count);

    // Pages first..last, `copies` times, on the printer; false when nothing was printed
    // (no printer: the user is told; busy; no stream).
    bool PrintPages(int first, int last, int copies = 1);
    // All pages.
    bool Execute() { return PrintPages(1, 0, 1); }
    // The same onto a paged device the caller has set up (a QPdfWriter, for one); false
    // when the device cannot be painted on.
    bool PrintPagesTo(QPagedPaintDevice &device, int first, int last, int copies = 1);

private:
    QWidget *m_owner;
    QPrinter *m_printer;
    const PageStream *m_stream = nullptr;
    int m_index = -1;
    bool m_busy = false;
};

} // namespace engine
