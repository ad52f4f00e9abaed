// TFilePreview: one stored page on screen in a scroll box, with zoom (10..200 per cent),
// page navigation and a black-and-white mode.
#pragma once

#include "reports/engine/page_stream.h"

#include <QImage>
#include <QWidget>

class QScrollArea;

namespace engine
{

class PreviewPage;

class TFilePreview : public QWidget
{
    Q_OBJECT
public:
    explicit TFilePreview(QWidget *parent = nullptr);

    // The scroll box the page is shown in.
    QScrollArea *ScrollBox() const { return m_scroll; }

    // Shows page 1 of the stream (nothing when it has no page); Finish lets go of it.
    void Start(const PageStream *stream);
    void Finish();
    bool Started() const { return m_stream != nullptr; }

    void ShowPage(int n);
    void NextPage();
    void PreviousPage();
    int CurrentPage() const { return m_page; }
    int FirstPage() const { return 1; }
    int PageCount() const;

    double ZoomFactor() const { return m_zoom; }
    // Clamped to 10..200.
    void SetZoomFactor(double percent);
    double ZoomInc = 10;
    int PageInc = 1;
    double MarginPercent = 2.5;
    void ZoomIn() { SetZoomFactor(m_zoom + ZoomInc); }
    void ZoomOut() { SetZoomFactor(m_zoom - ZoomInc); }
    void ZoomToPageWidth();
    void ZoomToWholePage();
    void Redraw();

    bool Monochrome() const { return m_monochrome; }
    // Throws ReportError while a shadow is set.
    void SetMonochrome(bool on);
    int ShadowDepth() const { return m_shadow; }
    // Throws ReportError while monochrome is on.
    void SetShadowDepth(int pixels);

    // The page as drawn at the current zoom, border and shadow included.
    QImage RenderPage() const;
    // Pixels of the page at 100 per cent, and the border on each side.
    QSizeF PagePixels() const;
    double BorderPixels() const;

signals:
    void OnZoomChange();
    void OnPageChange();

private:
    friend class PreviewPage;
    void layoutPage();
    void paintPage(QPainter &painter) const;
    const StoredPage *page() const;
    double screenDpi() const;

    QScrollArea *m_scroll;
    PreviewPage *m_view;
    const PageStream *m_stream = nullptr;
    int m_page = 0;
    double m_zoom = 100;
    bool m_monochrome = false;
    int m_shadow = 0;
};

} // namespace engine
