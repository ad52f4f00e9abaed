// Figures for the page-output engine, one "name: value" line each (milliseconds, and MB):
// recording 500 pages of 60 lines of 8 ruled text columns into the page stream, drawing one
// stored page in the preview at 100 %, and replaying the 500 pages into a PDF file.
//
//     numarok-report-bench [--pages N] [--pdf FILE] [--png FILE]
//
// --pdf keeps the PDF file, --png saves the preview's drawing of page 1.
#include "reports/engine/file_preview.h"
#include "reports/engine/file_printer.h"
#include "reports/engine/producers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

// Peak resident memory of the process so far, in MB.
double peakResidentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int pages = 500;
    QString pdf, png;
    const QStringList args = app.arguments();
    for (int k = 1; k + 1 < args.size(); ++k) {
        if (args[k] == QLatin1String("--pages")) pages = args[k + 1].toInt();
        if (args[k] == QLatin1String("--pdf")) pdf = args[k + 1];
        if (args[k] == QLatin1String("--png")) png = args[k + 1];
    }
    QTemporaryDir dir(QStringLiteral("/tmp/numarok-report-bench-XXXXXX"));
    if (pdf.isEmpty()) pdf = dir.filePath(QStringLiteral("pages.pdf"));

    engine::PageStream stream;
    engine::TReportFiler filer;
    filer.setStream(&stream);
    filer.OnPrintPage = [pages](engine::TBaseReport &r) {
        r.SetFont(QStringLiteral("Arial"), 8);
        r.SetBandTop(1.0);
        r.Home();
        const double width = (r.PageWidth() - r.MarginLeft - r.MarginRight) / 8;
        r.ClearColumns();
        for (int c = 0; c < 8; ++c)
            r.AddColumn(c % 2 ? engine::Align::Right : engine::Align::Left, engine::RulesAll, 0, 2,
                        width);
        for (int line = 1; line <= 60; ++line) {
            QString text;
            for (int c = 0; c < 8; ++c)
                text += QStringLiteral("\tP%1 L%2 C%3").arg(r.PageNumber()).arg(line).arg(c + 1);
            r.PrintColumns(text);
            r.EndLine();
        }
        return r.PageNumber() < pages;
    };
    QElapsedTimer timer;
    timer.start();
    filer.Execute();
    const qint64 recordMs = timer.elapsed();
    const double recordMb = peakResidentMb();

    engine::TFilePreview preview;
    preview.resize(900, 700);
    preview.Start(&stream);
    preview.SetZoomFactor(100);
    preview.RenderPage(); // fonts loaded once, as on the preview's first showing
    std::vector<double> draws;
    for (int k = 0; k < 11; ++k) {
        QElapsedTimer t;
        t.start();
        const QImage image = preview.RenderPage();
        draws.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(draws.begin(), draws.end());
    if (!png.isEmpty()) preview.RenderPage().save(png);

    timer.restart();
    {
        QPdfWriter writer(pdf);
        writer.setResolution(1200);
        engine::TFilePrinter printer;
        printer.setStream(&stream);
        printer.PrintPagesTo(writer, 0, 0);
    }
    const qint64 pdfMs = timer.elapsed();

    std::printf("pages_record_%d: %lld\n", pages, static_cast<long long>(recordMs));
    std::printf("pages_record_%d_mb: %.0f\n", pages, recordMb);
    std::printf("page_draw: %.1f\n", draws[draws.size() / 2]);
    std::printf("pages_pdf_%d: %lld\n", pages, static_cast<long long>(pdfMs));
    std::printf("pages_recorded: %d\n", stream.pageCount());
    return 0;
}
