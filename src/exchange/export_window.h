// TMyExport: the choice of fields and their order (kept per database), what to export
// (everything or the search's matches) and how (text or a new dBase table), and the run.
#pragma once

#include "exchange/exchange_context.h"

#include <QDialog>

class QCheckBox;
class QProgressBar;
class QRadioButton;
class QTableWidget;

class TMyExport : public QDialog
{
    Q_OBJECT
public:
    explicit TMyExport(const ExchangeContext &context, QWidget *parent = nullptr);

    void FormShow();
    void FirstRowClick();
    void ExportGridDblClick(int row, int column);
    void UpButtonClick();
    void DownButtonClick();
    void DefaultsButtonClick();
    void AsciiFileClick();
    void DBaseFileClick();
    void UpdateConfigs();
    void StartExportButtonClick();
    void DoAscii();
    void DoDBase();
    void HelpButtonClick();
    void SetColors();
    void done(int result) override; // FormClose: the choices into the settings

    bool SearchOnly = false;

private:
    template <class Fn> bool run(Fn &&write);

    ExchangeContext m_ctx;
    QTableWidget *ExportGrid = nullptr;
    QCheckBox *FirstRow = nullptr;
    QRadioButton *ExportEntire = nullptr, *ExportSearch = nullptr;
    QRadioButton *AsciiFile = nullptr, *DBaseFile = nullptr;
    QProgressBar *MyGauge = nullptr;
};
