#include "reports/engine/file_preview.h"

#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

namespace engine
{

// The drawing surface inside the scroll box.
class PreviewPage : public QWidget
{
public:
    explicit PreviewPage(TFilePreview *preview) : m_preview(preview) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (m_preview->Monochrome())
            painter.drawImage(
                0, 0, m_preview->RenderPage()); // black and white, as printed on a mono device
        else
            m_preview->paintPage(painter);
    }

private:
    TFilePreview *m_preview;
};

TFilePreview::TFilePreview(QWidget *parent) : QWidget(parent)
{
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("ScrollBox"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PreviewPage(this);
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    m_view->resize(1, 1);
}

void TFilePreview::Start(const PageStream *stream)
{
    m_stream = stream;
    m_page = 0;
    if (PageCount() > 0)
        ShowPage(1);
    else
        layoutPage();
}

void TFilePreview::Finish()
{
    m_stream = nullptr;
    m_page = 0;
    layoutPage();
}

int TFilePreview::PageCount() const
{
    return m_stream ? m_stream->pageCount() : 0;
}

const StoredPage *TFilePreview::page() const
{
    if (!m_stream || m_page < 1 || m_page > m_stream->pageCount()) return nullptr;
    return &m_stream->pages[static_cast<size_t>(m_page - 1)];
}

void TFilePreview::ShowPage(int n)
{
    if (n < 1 || n > PageCount()) return;
    m_page = n;
    layoutPage();
    emit OnPageChange();
}

void TFilePreview::NextPage()
{
    if (m_page + PageInc <= PageCount()) ShowPage(m_page + PageInc);
}

void TFilePreview::PreviousPage()
{
    if (m_page - PageInc >= 1) ShowPage(m_page - PageInc);
}

void TFilePreview::SetZoomFactor(double percent)
{
    m_zoom = std::clamp(percent, 10.0, 200.0);
    if (receivers(SIGNAL(OnZoomChange())) > 0) emit OnZoomChange();
    Redraw();
}

double TFilePreview::screenDpi() const
{
    const int dpi = logicalDpiX();
    return dpi > 0 ? dpi : 96.0;
}

QSizeF TFilePreview::PagePixels() const
{
    const StoredPage *p = page();
    const QSizeF inches = p ? p->size : QSizeF(8.5, 11);
    return inches * screenDpi();
}

double TFilePreview::BorderPixels() const
{
    return PagePixels().width() * MarginPercent / 100.0;
}

void TFilePreview::ZoomToPageWidth()
{
    const QSizeF page = PagePixels();
    const double border = BorderPixels();
    const int frame = 2 * m_scroll->frameWidth();
    const double inside = m_scroll->width() - frame - m_shadow;
    double factor = (inside - 2 * border) / page.width() * 100.0;
    if (page.height() * factor / 100.0 + 2 * border > m_scroll->height() - frame)
        factor = (inside - m_scroll->verticalScrollBar()->sizeHint().width() - 2 * border) /
                 page.width() * 100.0;
    SetZoomFactor(factor);
}

void TFilePreview::ZoomToWholePage()
{
    const QSizeF page = PagePixels();
    const double border = BorderPixels();
    const int frame = 2 * m_scroll->frameWidth();
    const double width = m_scroll->width() - frame - m_shadow - 4;
    const double height = m_scroll->height() - frame - m_shadow - 4;
    const double fw = (width - 2 * border) / page.width() * 100.0;
    const double fh = (height - 2 * border) / page.height() * 100.0;
    SetZoomFactor(std::min(fw, fh));
}

void TFilePreview::Redraw()
{
    layoutPage();
}

void TFilePreview::SetMonochrome(bool on)
{
    if (on && m_shadow > 0)
        throw ReportError(
            QStringLiteral("Monochrome not allowed while shadows are in effect.\rChange "
                           "ShadowDepth to 0 first"));
    m_monochrome = on;
    Redraw();
}

void TFilePreview::SetShadowDepth(int pixels)
{
    if (pixels > 0 && m_monochrome)
        throw ReportError(QStringLiteral("Shadows not allowed while monochrome in effect.\rChange "
                                         "Monochrome to false first"));
    m_shadow = std::max(0, pixels);
    Redraw();
}

void TFilePreview::layoutPage()
{
    const QSizeF page = PagePixels() * (m_zoom / 100.0);
    const double border = BorderPixels();
    m_view->resize(qCeil(page.width() + 2 * border + m_shadow),
                   qCeil(page.height() + 2 * border + m_shadow));
    m_view->update();
}

void TFilePreview::paintPage(QPainter &painter) const
{
    painter.fillRect(QRect(QPoint(0, 0), m_view->size()), palette().color(QPalette::Dark));
    const StoredPage *p = page();
    if (!p) return;
    const double scale = m_zoom / 100.0;
    const double border = BorderPixels();
    const QRectF sheet(border, border, p->size.width() * screenDpi() * scale,
                       p->size.height() * screenDpi() * scale);
    if (m_shadow > 0) painter.fillRect(sheet.translated(m_shadow, m_shadow), Qt::black);
    painter.fillRect(sheet, Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, !m_monochrome);
    painter.setRenderHint(QPainter::TextAntialiasing, !m_monochrome);
    painter.save();
    painter.translate(sheet.topLeft());
    painter.setClipRect(QRectF(QPointF(0, 0), sheet.size()));
    drawPage(painter, *p, screenDpi() * scale, screenDpi() * scale, m_monochrome);
    painter.restore();
}

QImage TFilePreview::RenderPage() const
{
    QImage image(m_view->size(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(screenDpi() / 0.0254));
    image.setDotsPerMeterY(qRound(screenDpi() / 0.0254));
    QPainter painter(&image);
    paintPage(painter);
    painter.end();
    if (m_monochrome)
        return image.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
    return image;
}

} // namespace engine
