// The report windows: TMyReport, the report selection window (lists NUMAROK.URP, starts a
// view, print or print-to-file run), TReportForm, the status window one run runs in, and
// TPrintSelect, the printer choice. They reach the main window only through ReportContext.
#pragma once

#include "reports/report_generator.h"

#include <QDialog>
#include <functional>
#include <memory>

class CoinDatabase;
namespace engine
{
class TBaseReport;
}
struct RegionalSettings;
struct Settings;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace reports
{

// What the report windows use besides the open database; everything belongs to the main
// window. The database gives the table, the search state and the settings (sort order,
// field names, formats, colours, the Reports section).
struct ReportContext {
    CoinDatabase &database;
    const RegionalSettings &regional;
    // Ends the search as "End Search" does, and switches it back on (the table refreshed).
    std::function<void()> suspendSearch;
    std::function<void()> resumeSearch;
    std::function<void(QWidget *)> place;     // fonts, scaling and centring
    std::function<double()> scaleFactor = {}; // the dialog size factor now; 1 when not given
};

// The generation context of the open table under the current settings.
GenerationContext generationContext(const ReportContext &context);

// The status window of one run: shows the engine's progress, its one button cancels the
// run and, once the run is over, closes the window.
class TReportForm : public QDialog
{
    Q_OBJECT
public:
    TReportForm(engine::TBaseReport &engine, ReportGenerator &generator, QWidget *parent = nullptr);

    void FormShow();
    // Runs the report (once); the status window's activation calls it.
    void FormActivate();
    void BitBtn1Click();
    bool Finished() const { return m_finished; }
    // Whether the run was cancelled, broken off by an error or ended for lack of room.
    bool Cancelled() const;

    QLabel *StatusLabel = nullptr;
    QPushButton *BitBtn1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    engine::TBaseReport &m_engine;
    ReportGenerator &m_generator;
    bool m_started = false;
    bool m_finished = false;
    bool m_failed = false;
};

// The printer choice: the platform's default printer or one of its queues.
class TPrintSelect : public QDialog
{
    Q_OBJECT
public:
    explicit TPrintSelect(Settings &settings, QWidget *parent = nullptr);
    void FormShow();
    void OkButtonClick();

    QRadioButton *DefaultPrinter = nullptr, *OtherPrinter = nullptr;
    QComboBox *PrinterList = nullptr;
    QPushButton *OkButton = nullptr, *CancelButton = nullptr;

private:
    Settings &m_settings;
};

class TMyReport : public QDialog
{
    Q_OBJECT
public:
    explicit TMyReport(const ReportContext &context, QWidget *parent = nullptr);
    ~TMyReport() override;

    // Refills the list from NUMAROK.URP.
    void LoadReportBox();
    void FormShow();
    void DoView() { DoIt(RunMode::View); }
    void DoPrint() { DoIt(RunMode::Print); }
    void DoPrintToFile();
    void DoModify();
    void DoNew();
    void PrinterSetupClick();
    void HelpButtonClick();
    // Runs the selected report in one of the three modes.
    void DoIt(RunMode mode, const QString &outputFile = QString());

    // Opens the report designer for the definition in the shared buffer: a new report, or
    // the record at the index.
    std::function<void(bool isNew, int index)> OpenDesigner;

    QRadioButton *ExportEntire = nullptr, *ExportSearch = nullptr;
    QListWidget *ReportBox = nullptr;
    QPushButton *ViewButton = nullptr, *PrintButton = nullptr, *FileButton = nullptr,
                *ModifyButton = nullptr, *NewButton = nullptr, *PrinterSetup = nullptr,
                *HelpButton = nullptr, *ExitButton = nullptr;
    QLabel *SortOrderLabel = nullptr;

    // The sort order label's text for the settings' four levels.
    static QString sortOrderText(const Settings &settings);

protected:
    void done(int result) override;

private:
    void SetColors();
    void openDesigner(bool isNew, int index);

    ReportContext m_ctx;
};

} // namespace reports
