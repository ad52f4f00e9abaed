// Locate: TMyLocateDialog, the component that remembers the last field, value and
// options between uses and runs the locate ("Locate" and "Locate Next"), and
// TMyLocateDlg, the form it shows to ask for them.
#pragma once

#include "find/find_context.h"
#include "find/locate_match.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

enum TMyFieldSortType { fsSortByFieldNo = 0, fsSortByFieldName = 1 };
enum TMyDefaultButtonType { dbFindFirst = 0, dbFindNext = 1 };

class TMyLocateDialog;

class TMyLocateDlg : public QDialog
{
    Q_OBJECT
public:
    TMyLocateDlg(const FindContext &context, QWidget *parent = nullptr);

    void FormShow();
    void FindFirst();
    void FindNextBtnClick();
    void FieldNameComboBoxChange();
    void FieldNameComboBoxEnter();
    void FieldNameComboBoxExit();
    void SetColors();
    // The field name for the chosen label; empty when none is chosen.
    QString chosenField() const;
    TMyLocateMatchType matchType() const;
    void setMatchType(TMyLocateMatchType type);

    QComboBox *FieldNameComboBox = nullptr;
    QCheckBox *CaseSensitiveCheckBox = nullptr;
    QRadioButton *ExactMatchBtn = nullptr, *PartialMatchStartBtn = nullptr,
                 *PartialMatchAnyBtn = nullptr;
    QLineEdit *SearchValue = nullptr;
    QPushButton *FirstButton = nullptr, *NextButton = nullptr, *CancelButton = nullptr;
    QGroupBox *FieldGroup = nullptr, *TypeGroup = nullptr, *ValueGroup = nullptr;
    bool nextIsDefault = true;            // the default button chosen by the component
    bool sorted = true;                   // the field list sorted by label
    TMyLocateDialog *component = nullptr; // runs the locate

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void find(bool fromBeginning);

    FindContext m_ctx;
    int m_lastIndex = -1;
};

class TMyLocateDialog : public QObject
{
    Q_OBJECT
public:
    TMyLocateDialog(const FindContext &context, QWidget *owner);

    bool Execute();
    bool FindNext();
    // The locate itself, on the table of the context; reports an unknown field.
    bool FindMatch(bool FromBeginning, const QString &fieldName, bool caseSensitive,
                   TMyLocateMatchType matchType, const QString &value);

    // The display label of a field with every "~" made a blank.
    static QString shownLabel(const QString &label);

    QString Caption;
    QString SearchField;
    QString FieldValue;
    TMyLocateMatchType MatchType = mtPartialMatchStart;
    bool CaseSensitive = false;
    TMyFieldSortType SortFields = fsSortByFieldName;
    TMyDefaultButtonType DefaultButton = dbFindNext;
    bool FieldSelection = false;
    bool ShowMessages = true;

private:
    FindContext m_ctx;
    QWidget *m_owner;
};
