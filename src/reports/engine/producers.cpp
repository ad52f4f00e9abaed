#include "reports/engine/producers.h"

#include "platform/prompts.h"
#include "reports/engine/printers.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLocale>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

namespace engine
{

namespace
{
const QString kNoPrinters = QStringLiteral("No printers are defined, aborting print job.");

QSizeF portraitInches(const QPrinter &printer)
{
    QPageLayout layout = printer.pageLayout();
    layout.setOrientation(QPageLayout::Portrait);
    const QRectF r = layout.fullRect(QPageLayout::Inch);
    return r.isValid() ? r.size() : QSizeF(8.5, 11);
}

QSizeF defaultPaper()
{
    const QPageSize size(QLocale::system().measurementSystem() == QLocale::MetricSystem
                             ? QPageSize::A4
                             : QPageSize::Letter);
    return size.size(QPageSize::Inch);
}
} // namespace

// ---- printer ----------------------------------------------------------------------------

TReportPrinter::TReportPrinter(QWidget *owner, QPrinter *printer)
    : m_owner(owner), m_printer(printer)
{
    StatusFormat = QStringLiteral("Printing Page %p");
}

TReportPrinter::~TReportPrinter()
{
    if (m_painter.isActive()) m_painter.end();
}

QPrinter &TReportPrinter::printer() const
{
    return m_printer ? *m_printer : Prompts::printer();
}

void TReportPrinter::SelectPrinter(int index)
{
    m_index = index;
    applySelection();
}

void TReportPrinter::applySelection()
{
    QPrinter &p = printer();
    if (p.outputFormat() != QPrinter::NativeFormat) return; // a file target keeps its format
    const QString name = printerNameFor(m_index);
    if (!name.isEmpty() && p.printerName() != name) p.setPrinterName(name);
}

QString TReportPrinter::DeviceName() const
{
    return printer().printerName();
}

QString TReportPrinter::DriverName() const
{
    return QPrinterInfo::printerInfo(printer().printerName()).makeAndModel();
}

QString TReportPrinter::PortName() const
{
    return QPrinterInfo::printerInfo(printer().printerName()).location();
}

const QPaintDevice *TReportPrinter::metricsDevice() const
{
    return &printer();
}

QSizeF TReportPrinter::portraitPageSize() const
{
    return portraitInches(printer());
}

bool TReportPrinter::openOutput()
{
    QPrinter &p = printer();
    const bool toFile = p.outputFormat() != QPrinter::NativeFormat;
    if (!toFile && installedPrinters().names.isEmpty()) {
        Prompts::error(m_owner, kNoPrinters);
        return false;
    }
    if (p.printerState() == QPrinter::Active) {
        Prompts::error(m_owner, QStringLiteral("Invalid method call.  Device already printing."));
        return false;
    }
    applySelection();
    // The printer is the program's one printer: what a job changes on it is put back.
    m_savedFullPage = p.fullPage();
    m_savedLayout = p.pageLayout();
    p.setFullPage(true);
    p.setPageOrientation(Orientation());
    p.setDocName(Title);
    p.setCopyCount(1);
    m_firstPage = true;
    if (!m_painter.begin(&p)) {
        restorePrinter();
        Prompts::error(m_owner, QStringLiteral("Invalid Printer"));
        return false;
    }
    return true;
}

void TReportPrinter::outputPage(StoredPage &&page)
{
    QPrinter &p = printer();
    if (!m_firstPage) {
        p.setPageOrientation(page.orientation);
        p.newPage();
    }
    m_firstPage = false;
    drawPage(m_painter, page, p.logicalDpiX(), p.logicalDpiY());
}

void TReportPrinter::closeOutput()
{
    if (m_painter.isActive()) m_painter.end();
    restorePrinter();
}

void TReportPrinter::restorePrinter()
{
    printer().setFullPage(m_savedFullPage);
    printer().setPageLayout(m_savedLayout);
}

// ---- filer ------------------------------------------------------------------------------

TReportFiler::TReportFiler(QWidget *owner) : m_owner(owner)
{
    StatusFormat = QStringLiteral("Printing page %p");
    SelectPrinter(-1);
}

TReportFiler::~TReportFiler() = default;

void TReportFiler::SelectPrinter(int index)
{
    const QString name = printerNameFor(index);
    if (name.isEmpty()) {
        m_printer.reset();
        const QScreen *screen = QGuiApplication::primaryScreen();
        const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
        m_screen = QImage(1, 1, QImage::Format_RGB32);
        m_screen.setDotsPerMeterX(qRound(dpi / 0.0254));
        m_screen.setDotsPerMeterY(qRound(dpi / 0.0254));
        return;
    }
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (m_printer->printerName() != name) m_printer->setPrinterName(name);
    m_printer->setFullPage(true);
}

QString TReportFiler::DeviceName() const
{
    return m_printer ? m_printer->printerName() : QStringLiteral("Preview Only");
}

const QPaintDevice *TReportFiler::metricsDevice() const
{
    if (m_printer) return m_printer.get();
    return &m_screen;
}

QSizeF TReportFiler::portraitPageSize() const
{
    return m_printer ? portraitInches(*m_printer) : defaultPaper();
}

bool TReportFiler::openOutput()
{
    if (!m_stream) throw ReportError(QStringLiteral("StreamMode is smUser but Stream is nil"));
    m_stream->clear();
    m_stream->title = Title;
    m_stream->device = DeviceName();
    m_stream->resolution = metricsDevice()->logicalDpiX();
    m_lastInput = QDateTime::currentMSecsSinceEpoch();
    return true;
}

void TReportFiler::outputPage(StoredPage &&page)
{
    m_stream->pages.push_back(std::move(page));
}

void TReportFiler::afterCommand()
{
    // Pending input goes through while recording, a few times a second: often enough for a
    // cancel button, rarely enough not to slow the recording down.
    if (++m_commands % 64 != 0) return;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - m_lastInput >= 50) {
        m_lastInput = now;
        processInput();
    }
}

} // namespace engine
