// The two producers: TReportPrinter draws each finished page on a printer, TReportFiler
// records the pages into a page stream for the preview and the stored-page printer.
#pragma once

#include "reports/engine/base_report.h"

#include <QImage>
#include <QPainter>
#include <memory>

class QPrinter;
class QWidget;

namespace engine
{

class TReportPrinter : public TBaseReport
{
public:
    // Prints on `printer`, or on the program's one printer (the prompt seam's) when null.
    explicit TReportPrinter(QWidget *owner = nullptr, QPrinter *printer = nullptr);
    ~TReportPrinter() override;

    void SelectPrinter(int index) override;
    QString DeviceName() const override;
    QString DriverName() const override;
    QString PortName() const override;

protected:
    const QPaintDevice *metricsDevice() const override;
    QSizeF portraitPageSize() const override;
    bool openOutput() override;
    void outputPage(StoredPage &&page) override;
    void closeOutput() override;

private:
    QPrinter &printer() const;
    void applySelection();
    void restorePrinter();

    QWidget *m_owner;
    QPrinter *m_printer;
    int m_index = -1;
    QPainter m_painter;
    bool m_firstPage = true;
    bool m_savedFullPage = false;
    QPageLayout m_savedLayout;
};

class TReportFiler : public TBaseReport
{
public:
    // Measures with the selected printer, or with the screen when there is none.
    explicit TReportFiler(QWidget *owner = nullptr);
    ~TReportFiler() override;

    // The caller's stream (user stream mode); Execute refuses to run without one.
    void setStream(PageStream *stream) { m_stream = stream; }
    PageStream *stream() const { return m_stream; }

    void SelectPrinter(int index) override;
    QString DeviceName() const override;

protected:
    const QPaintDevice *metricsDevice() const override;
    QSizeF portraitPageSize() const override;
    bool openOutput() override;
    void outputPage(StoredPage &&page) override;
    void closeOutput() override {}
    void afterCommand() override;

private:
    QWidget *m_owner;
    PageStream *m_stream = nullptr;
    std::unique_ptr<QPrinter> m_printer; // null without printers
    QImage m_screen;                     // the screen's resolution, for measuring then
    qint64 m_lastInput = 0;
    quint32 m_commands = 0;
};

} // namespace engine
