// TViewConfig: the viewer configuration dialog. Six pages (each a small widget class) (titles, look
// and feel, fields to show, widths, order, names) that change the grid settings; closing checks the
// names for duplicates and then takes the widths, display flags, positions and names.
#pragma once

#include "app/settings.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QFrame;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QTableWidget;

namespace viewerrules
{
// A width cell: leading digits of the trimmed text; outside 1..255 gives 10.
int widthFromCell(const QString &cell, bool *replaced = nullptr);
// The first name that two rows share (exact, case-sensitive), or a null string.
QString duplicateName(const QStringList &names);
} // namespace viewerrules

class TViewConfig : public QDialog
{
    Q_OBJECT
public:
    TViewConfig(Settings &settings, double factor, QWidget *parent = nullptr);

    // Fonts, scaling and centring (the main window's placement).
    std::function<void(QWidget *)> place;
    const double factor; // the dialog size factor: grid columns and rows

    void FormShow();
    void SetColors();
    bool FormCloseQuery();
    void FormClose();
    void OrderUpClick();
    void OrderDownClick();
    void OrderDefaultsClick();
    void HelpButtonClick();
    void ExitButtonClick() { close(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void buildPages();
    void showFontTexts();
    void paintSamples();

    Settings &m_settings;
    QStringList m_namesAtOpen;
    bool m_closing = false;
    QTabWidget *MyTabbedPage = nullptr;
    QCheckBox *ShowGridTitle = nullptr, *ColumnLines = nullptr, *RowLines = nullptr,
              *RowIndicator = nullptr, *FieldEditing = nullptr;
    QLineEdit *TitleFont = nullptr, *GridFont = nullptr;
    QFrame *TitleShape = nullptr, *CellColorShape = nullptr;
    QRadioButton *TitleLeft = nullptr, *TitleCenter = nullptr, *TitleRight = nullptr;
    QTableWidget *FieldsToDisplay = nullptr, *FieldWidthGrid = nullptr, *FieldOrderGrid = nullptr,
                 *FieldNameGrid = nullptr;
};
