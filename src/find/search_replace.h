// TSearchAndReplace: sets one field to a new value in every record whose value equals a
// given one, with the table held exclusively and its sort index dropped during the walk
// and built again afterwards, optionally asking before each change.
#pragma once

#include "find/find_context.h"
#include "find/replace_match.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TSearchAndReplace : public QDialog
{
    Q_OBJECT
public:
    TSearchAndReplace(const FindContext &context, QWidget *parent = nullptr);

    void FormShow();
    void FieldBoxChange();
    void StartButtonClick();
    void CancelButtonClick() { reject(); }
    void SetColors();

    int FieldNo = 0;
    int Processed = 0, Found = 0, Changed = 0;

    QComboBox *FieldBox = nullptr;
    QLineEdit *SearchText = nullptr, *ReplaceText = nullptr;
    QCheckBox *ConfirmBox = nullptr;
    QPushButton *StartButton = nullptr, *CancelButton = nullptr;
    QLabel *ProcessedCount = nullptr, *FoundCount = nullptr, *ChangedCount = nullptr;

    // The counters' text: decimal digits with "," between groups of three.
    static QString groupedCount(int value);

private:
    QString boxText(QLineEdit *box) const;
    void showCounters(bool repaint);
    // Puts the sort index back, gives the table up and opens it shared again.
    void restoreTable();

    FindContext m_ctx;
    QList<QLabel *> m_labels;
};
