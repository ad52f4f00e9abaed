// TMyEdit: the record editor. One control per field of the coin table; it checks dates,
// amounts and the quantity before anything is written, shows running totals, feeds the
// pick lists, keeps saved defaults for new records, moves through the table and prints
// the record. Created once with the main window and shown modally for each add, edit or
// copy.
#pragma once

#include "ui/window_options.h"

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class CoinDatabase;
class PickLists;
struct RegionalSettings;
class QAction;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// What an Update does: append a new record, change the current one, or append a copy of it.
enum class EditorMode { New = 1, Edit = 2, Copy = 3 };

// What DoClear fills the controls with: a new record (the saved defaults when Load
// Defaults With Add is on), the Clear command (with Load Defaults With Clear), or the
// saved defaults.
enum class ClearKind { NewRecord = 1, Clear = 2, LoadDefaults = 3 };

// What the editor works on: the open database (table, settings, browse mode, list files),
// the locale values, the pick lists, and how the program's dialogs are placed.
struct EditorContext {
    CoinDatabase &database;
    const RegionalSettings &regional;
    PickLists &lists;
    std::function<void(QWidget *)> place; // fonts, scaling and centring
};

class TMyEdit : public QDialog
{
    Q_OBJECT
public:
    explicit TMyEdit(const EditorContext &context, QWidget *parent = nullptr);

    void FormCreate();
    void FormShow();
    // Shows the editor modally for a new record, the current one or a copy of it.
    void showModal(EditorMode mode);
    // The mode an Update works in now (New turns into Edit once a record is written).
    EditorMode mode() const { return m_mode; }

    // File menu and buttons.
    void MenuNewClick();
    void MenuCopyRecordClick();
    void MenuClearClick() { DoClear(ClearKind::Clear); }
    void ClearButtonClick() { DoClear(ClearKind::Clear); }
    void MenuUpdateClick() { DoAnUpdate(); }
    void UpdateButtonClick() { DoAnUpdate(); }
    void MenuUpdateExitClick() { DoUpdateAndExit(); }
    void UpdateExitButtonClick() { DoUpdateAndExit(); }
    void MenuPrintRecordClick();
    void MenuPreviousClick() { DoPreviousRecord(); }
    void PrevButtonClick() { DoPreviousRecord(); }
    void MenuNextClick() { DoNextRecord(); }
    void NextButtonClick() { DoNextRecord(); }
    void MenuExitClick() { DoExit(); }
    void CancelButtonClick() { DoExit(); }
    // Edit menu: on the focused edit or combo box only.
    void MenuCutClick();
    void MenuCopyClick();
    void MenuPasteClick();
    void MenuDeleteClick();
    // Defaults menu.
    void MenuLoadDefaultsClick() { DoClear(ClearKind::LoadDefaults); }
    void MenuSaveDefaultsClick();
    void MenuDefaultsClearClick();
    void MenuDefaultsAddClick();
    void MenuHelpClick();
    void BlankDateClick();
    void MiscSelectClick();
    void WantedClick();
    void QuantityExit();
    void PurchasePriceExit() { moneyExit(6); }
    void MarketValueExit() { moneyExit(7); }
    void PremiumValueExit() { moneyExit(8); }

    void LoadInData();
    void DoClear(ClearKind kind);
    void CalcTotals();
    bool DoUpdate();
    void DoAnUpdate();
    void DoUpdateAndExit();
    void DoExit();
    void DoPreviousRecord();
    void DoNextRecord();

    bool valuesChanged() const;
    // The text of a field's control as shown (field numbers 1..20); the date box with its
    // separators and blanks as spaces, the check boxes "Yes" or "No".
    QString controlText(int field) const;
    void setControlText(int field, const QString &text);
    // The twenty lines Print Record puts on each page.
    QStringList printLines() const;
    QAction *action(const QString &objectName) const;
    QString KeptQuantity;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct CommandButtons {
        QPushButton *prev, *next, *clear, *update, *updateExit, *cancel;
    };
    void buildWindow();
    QPushButton *makeButton(const char *name, const char *caption);
    void makeFieldControls();
    void makeTotals();
    CommandButtons makeCommandButtons();
    QGridLayout *layoutFields(QPushButton *blank, QPushButton *select);
    void connectButtons(QPushButton *blank, QPushButton *select, const CommandButtons &b);
    void setKeyOrder(QPushButton *blank, QPushButton *select, const CommandButtons &b);
    void buildMenus();
    void SetColors();
    void takeLoadedValues();
    void applyWantedState();
    void moneyExit(int field);
    void applyDateMask();
    QString dateBoxText(int year, int month, int day) const;
    // The changed-data question of New, Copy and the moves: false when the user cancels
    // or the update fails.
    bool askUpdate(const QString &question);
    void moveRecord(bool forward);
    QString display(int field) const;
    QLineEdit *
    lineEditOf(int field) const; // the edit box, or the combo box's; null for a check box
    QLineEdit *focusedEdit() const;
    // Runs a command; an engine error ends it with the engine's message.
    void guarded(void (TMyEdit::*handler)());
    void FormClose();

    EditorContext m_ctx;
    EditorMode m_mode = EditorMode::New;
    windowopts::FormGeometry m_geometry;
    std::array<QWidget *, 21> m_controls{}; // by field number
    QComboBox *Country = nullptr, *Condition = nullptr, *Topic = nullptr;
    QLineEdit *FaceValue = nullptr, *Year = nullptr, *MintMark = nullptr, *PurchasePrice = nullptr,
              *MarketValue = nullptr, *PremiumValue = nullptr, *Description = nullptr,
              *PurchDate = nullptr, *Misc = nullptr, *Quantity = nullptr, *Comments = nullptr;
    std::array<QLineEdit *, 4> UserDef{};
    QCheckBox *Approx = nullptr, *Wanted = nullptr;
    QLabel *TotalsLabel = nullptr, *TotalPPriceLabel = nullptr, *TotalMValueLabel = nullptr,
           *TotalPValueLabel = nullptr;
    QList<QWidget *> m_ring;              // where Enter moves the focus
    std::array<QString, 21> LoadedValues; // controlText by field number
    bool m_leaving = false;               // the window closes without the changed-data question
};
