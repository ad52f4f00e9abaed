#include "reports/engine/base_report.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPaintDevice>
#include <algorithm>
#include <cmath>

namespace engine
{

TBaseReport::TBaseReport() = default;
TBaseReport::~TBaseReport() = default;

// ---- the job ----------------------------------------------------------------------------

bool TBaseReport::Execute()
{
    if (m_printing)
        throw ReportError(QStringLiteral("Invalid method call.  Device already printing."));
    m_cancelled = false;
    m_page = 0;
    m_printing = true;
    bool opened = false;
    auto finish = [this, &opened] {
        if (m_page > 0) {
            if (!m_cancelled && OnPrintFooter) {
                try {
                    OnPrintFooter(*this);
                } catch (const JobCancelled &) {
                }
            }
            finishPage();
        }
        if (opened) closeOutput();
        m_printing = false;
        if (OnAfterPrint) OnAfterPrint(*this);
    };
    try {
        opened = openOutput();
    } catch (...) {
        m_printing = false;
        throw;
    }
    if (!opened) {
        m_printing = false;
        return false; // the producer said why; no page event has run
    }
    try {
        if (OnBeforePrint) OnBeforePrint(*this);
        checkCancelled();
        m_page = 1;
        startPage();
        for (;;) {
            checkCancelled();
            const bool more = OnPrintPage ? OnPrintPage(*this) : false;
            if (!more || m_cancelled) break;
            if (OnPrintFooter) OnPrintFooter(*this);
            finishPage();
            ++m_page;
            startPage();
        }
    } catch (const JobCancelled &) {
    } catch (...) {
        m_cancelled = true; // no footer on a page an error broke off
        finish();
        throw;
    }
    finish();
    return !m_cancelled;
}

void TBaseReport::startPage()
{
    const QSizeF portrait = portraitPageSize();
    m_current = StoredPage();
    m_current.size = m_orientation == QPageLayout::Landscape ? portrait.transposed() : portrait;
    m_current.orientation = m_orientation;
    m_currentFont = -1;
    m_currentShade = -1;
    m_current.commands.push_back(Command{Command::Pen, Align::Left, 0, 0, 0, 0.01f, 0, 0xFF000000});
    emitFont();
    m_bandTop = MarginTop;
    m_bandBottom = PageHeight() - MarginBottom;
    m_column = 0;
    m_cursorX = BandLeft();
    m_cursorY = m_bandTop + LineHeight();
    RefreshStatus();
    if (OnNewPage) OnNewPage(*this);
    if (OnPrintHeader) OnPrintHeader(*this);
}

void TBaseReport::finishPage()
{
    if (m_page >= FirstPage && m_page <= LastPage) outputPage(std::move(m_current));
    m_current = StoredPage();
}

void TBaseReport::requireRunning() const
{
    if (!m_printing)
        throw ReportError(QStringLiteral("Invalid method call.  Device is not printing."));
    checkCancelled();
}

void TBaseReport::checkCancelled() const
{
    if (m_printing && m_cancelled) throw JobCancelled{};
}

void TBaseReport::processInput()
{
    QCoreApplication::processEvents();
}

// ---- page geometry ----------------------------------------------------------------------

double TBaseReport::PageWidth() const
{
    const QSizeF s = portraitPageSize();
    return m_orientation == QPageLayout::Landscape ? s.height() : s.width();
}

double TBaseReport::PageHeight() const
{
    const QSizeF s = portraitPageSize();
    return m_orientation == QPageLayout::Landscape ? s.width() : s.height();
}

void TBaseReport::SetBandTop(double y)
{
    checkCancelled();
    m_bandTop = y;
    if (m_cursorY - LineHeight() < y) m_cursorY = y + LineHeight();
}

void TBaseReport::SetBandBottom(double y)
{
    checkCancelled();
    m_bandBottom = y;
    if (m_cursorY > y) m_cursorY = y;
}

void TBaseReport::Home()
{
    checkCancelled();
    m_cursorX = BandLeft();
    m_cursorY = m_bandTop + LineHeight();
    m_column = 0;
}

int TBaseReport::LinesRemaining() const
{
    const double room = m_bandBottom - m_cursorY;
    if (room < -1e-9) return 0;
    return static_cast<int>(std::floor(room / LineHeight() + 1e-9)) + 1;
}

// ---- fonts ------------------------------------------------------------------------------

void TBaseReport::SetFont(const QString &face, double size)
{
    m_font.face = face;
    m_font.size = size > 0 ? size : 10;
    fontChanged();
}

void TBaseReport::SetBold(bool on)
{
    m_font.bold = on;
    fontChanged();
}

void TBaseReport::SetItalic(bool on)
{
    m_font.italic = on;
    fontChanged();
}

void TBaseReport::SetUnderline(bool on)
{
    m_font.underline = on;
    fontChanged();
}

void TBaseReport::SetStrikeOut(bool on)
{
    m_font.strikeOut = on;
    fontChanged();
}

void TBaseReport::SetFontColor(QRgb colour)
{
    m_font.colour = colour | 0xFF000000;
    fontChanged();
}

void TBaseReport::fontChanged()
{
    m_metrics.reset();
    if (m_printing && m_page > 0) emitFont();
}

void TBaseReport::emitFont()
{
    const int index = m_current.fontIndex(m_font);
    if (index == m_currentFont) return;
    m_currentFont = index;
    m_current.commands.push_back(Command{Command::Font, Align::Left, index, 0, 0, 0, 0, 0});
}

const QFontMetricsF &TBaseReport::metrics() const
{
    if (!m_metrics) {
        m_metrics =
            std::make_unique<QFontMetricsF>(styledFont(m_font, m_font.size), metricsDevice());
    }
    return *m_metrics;
}

double TBaseReport::MeasureText(const QString &text) const
{
    const QPaintDevice *device = metricsDevice();
    const double dpi = device && device->logicalDpiX() > 0 ? device->logicalDpiX() : 96.0;
    const double extent = std::max(1.0, metrics().horizontalAdvance(text));
    return extent * ScaleX / 100.0 / dpi;
}

double TBaseReport::baseline() const
{
    const QPaintDevice *device = metricsDevice();
    const double dpi = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96.0;
    return m_cursorY - metrics().descent() / dpi;
}

// ---- printing ---------------------------------------------------------------------------

void TBaseReport::emitText(const QString &text, double x, double y, Align align, double width)
{
    if (text.isEmpty()) return;
    m_current.texts.push_back(text);
    m_current.commands.push_back(
        Command{Command::Text, align, static_cast<qint32>(m_current.texts.size() - 1),
                static_cast<float>(x), static_cast<float>(y), static_cast<float>(width), 0, 0});
    afterCommand();
}

void TBaseReport::emitLine(double x1, double y1, double x2, double y2)
{
    m_current.commands.push_back(Command{Command::Line, Align::Left, 0, static_cast<float>(x1),
                                         static_cast<float>(y1), static_cast<float>(x2),
                                         static_cast<float>(y2), 0});
    afterCommand();
}

void TBaseReport::emitRect(double x, double y, double w, double h, int shade)
{
    if (shade != m_currentShade) {
        const int level = 255 - std::clamp(shade, 0, 100) * 255 / 100;
        m_current.commands.push_back(
            Command{Command::Brush, Align::Left, 0, 0, 0, 0, 0, qRgb(level, level, level)});
        m_currentShade = shade;
    }
    m_current.commands.push_back(Command{Command::Rect, Align::Left, 0, static_cast<float>(x),
                                         static_cast<float>(y), static_cast<float>(w),
                                         static_cast<float>(h), 0});
    afterCommand();
}

void TBaseReport::PrintCentredAt(const QString &text, double x)
{
    requireRunning();
    emitText(text, x, baseline(), Align::Centre);
}

void TBaseReport::PrintInBand(const QString &text, Align align)
{
    requireRunning();
    switch (align) {
    case Align::Centre:
        emitText(text, (BandLeft() + BandRight()) / 2, baseline(), Align::Centre);
        break;
    case Align::Right:
        emitText(text, BandRight(), baseline(), Align::Right);
        break;
    case Align::Left:
    case Align::Block:
        emitText(text, BandLeft(), baseline(), Align::Left);
        break;
    }
}

void TBaseReport::EndLine()
{
    requireRunning();
    m_cursorX = BandLeft();
    m_cursorY += LineHeight();
    m_column = 0;
}

void TBaseReport::ClearColumns()
{
    m_columns.clear();
    m_column = 0;
}

void TBaseReport::AddColumn(Align align, int rules, int shade, double marginHundredths,
                            double width, double position)
{
    ColumnStop stop;
    stop.align = align;
    stop.rules = rules;
    stop.shade = shade;
    stop.margin = marginHundredths / 100.0;
    stop.width = width;
    if (position < 0)
        stop.position =
            m_columns.empty() ? BandLeft() : m_columns.back().position + m_columns.back().width;
    else
        stop.position = position;
    m_columns.push_back(stop);
}

double TBaseReport::ColumnTextWidth(int i) const
{
    if (i < 1 || i > static_cast<int>(m_columns.size())) return 0;
    const ColumnStop &stop = m_columns[static_cast<size_t>(i - 1)];
    return stop.width - 2 * stop.margin;
}

void TBaseReport::PrintColumns(const QString &text)
{
    requireRunning();
    const QStringList parts = text.split(QLatin1Char('\t'));
    const double y = baseline();
    for (int k = 0; k < parts.size(); ++k) {
        const QString &part = parts.at(k);
        if (k > 0) ++m_column;
        if (k == 0 || m_column > static_cast<int>(m_columns.size())) {
            // Before the first tab, or past the last stop: at the cursor.
            if (!part.isEmpty()) {
                emitText(part, m_cursorX, y, Align::Left);
                m_cursorX += MeasureText(part);
            }
            continue;
        }
        const ColumnStop &stop = m_columns[static_cast<size_t>(m_column - 1)];
        if (stop.width <= 0) continue;
        const double left = stop.position, right = stop.position + stop.width;
        const double top = m_cursorY - LineHeight(), bottom = m_cursorY;
        if (stop.shade > 0) emitRect(left, top, stop.width, LineHeight(), stop.shade);
        if (stop.rules & RuleLeft) emitLine(left, top, left, bottom);
        if (stop.rules & RuleRight) emitLine(right, top, right, bottom);
        if (stop.rules & RuleTop) emitLine(left, top, right, top);
        if (stop.rules & RuleBottom) emitLine(left, bottom, right, bottom);
        const double innerLeft = left + stop.margin, innerRight = right - stop.margin;
        switch (stop.align) {
        case Align::Centre:
            emitText(part, (innerLeft + innerRight) / 2, y, Align::Centre);
            break;
        case Align::Right:
            emitText(part, innerRight, y, Align::Right);
            break;
        case Align::Left:
        case Align::Block:
            emitText(part, innerLeft, y, Align::Left);
            break;
        }
        m_cursorX = right;
    }
}

// ---- status -----------------------------------------------------------------------------

QString TBaseReport::ExpandStatus(const QString &format) const
{
    QString out;
    for (qsizetype k = 0; k < format.size(); ++k) {
        const QChar c = format.at(k);
        if (c == QLatin1Char('\r')) {
            out += QLatin1Char('\n');
            continue;
        }
        if (c != QLatin1Char('%')) {
            out += c;
            continue;
        }
        if (++k >= format.size()) {
            out += QStringLiteral("<ERROR-%>");
            break;
        }
        const QChar code = format.at(k);
        switch (code.toUpper().unicode()) {
        case 'P':
            out += QString::number(m_page);
            break;
        case 'F':
            out += QString::number(FirstPage);
            break;
        case 'L':
            out += QString::number(LastPage);
            break;
        case 'D':
            out += DeviceName();
            break;
        case 'R':
            out += DriverName();
            break;
        case 'T':
            out += PortName();
            break;
        case '%':
            out += QLatin1Char('%');
            break;
        default:
            if (code.isDigit() && code.digitValue() <= 9)
                out += StatusText.value(code.digitValue());
            else
                out += QStringLiteral("<ERROR-%") + code + QLatin1Char('>');
        }
    }
    return out;
}

void TBaseReport::RefreshStatus()
{
    const QString text = ExpandStatus(StatusFormat);
    if (StatusLabel) StatusLabel->setText(text);
    if (OnStatus) OnStatus(text);
    processInput();
}

} // namespace engine
