// TMyPreview: the stored pages of a view run on screen, with zoom, page navigation, printing
// of the current page, the whole report or a page range (TPrintRange), and saving as PDF.
#pragma once

#include "reports/engine/file_printer.h"
#include "reports/engine/page_stream.h"

#include <QDialog>
#include <functional>

struct Settings;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
namespace engine
{
class TFilePreview;
}

namespace reports
{

// The page range to print: both fields whole numbers within the stored pages.
class TPrintRange : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintRange(int pageCount, QWidget *parent = nullptr);
    void FormShow();
    void PrintButtonClick();

    QLineEdit *StartPage = nullptr, *EndPage = nullptr;
    QPushButton *PrintButton = nullptr, *CancelButton = nullptr;
    int first() const { return m_first; }
    int last() const { return m_last; }

private:
    int m_pageCount;
    int m_first = 0, m_last = 0;
};

class TMyPreview : public QDialog
{
    Q_OBJECT
public:
    // Shows `stream`, prints on the printer of `printerIndex` (-1: the default printer); the
    // window's position and size are read from and kept in `settings`.
    TMyPreview(const engine::PageStream &stream, Settings &settings, int printerIndex,
               const QString &reportName, QWidget *parent = nullptr);
    ~TMyPreview() override;

    // Dialog placement for the range dialog (fonts, scaling, centring).
    std::function<void(QWidget *)> place;

    void FormActivate();
    void FormClose();
    void ZoomEditExit();
    void PageEditExit();
    void SBPrintClick();
    void MenuPrintReportClick();
    void MenuPrintRangeClick();
    void MenuColorClick();
    void MenuSavePdfClick();
    // Current page, pages stored.
    int currentPage() const;
    int pageCount() const;

    engine::TFilePreview *MyFilePreview = nullptr;
    engine::TFilePrinter MyFilePrinter;
    QLineEdit *ZoomEdit = nullptr, *PageEdit = nullptr;
    QLabel *PageLabel = nullptr;
    QAction *MenuColor = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QAction *addAction(QMenu *menu, const char *name, const QString &caption,
                       const QString &shortcut, const std::function<void()> &slot);
    QToolButton *addButton(const char *name, const QString &icon, const QString &hint,
                           const std::function<void()> &slot);
    void zoomChanged();
    void pageChanged();
    // False (after the message) while an earlier print is still running.
    bool printerReady();

    const engine::PageStream &m_stream;
    Settings &m_settings;
    QWidget *m_toolbar = nullptr;
    bool m_started = false;
};

} // namespace reports
