// TMySearch: the query-by-example search form. A grid with one row per field takes
// criteria level by level; the applied levels stay with the form, which the main
// table's record filter asks about each record while a search is on. TSearchOptions is
// the small pick dialog of the grid's operator column.
#pragma once

#include "find/find_context.h"
#include "find/search_criteria.h"

#include <QDialog>
#include <array>

class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class SearchGridDelegate;

class TSearchOptions : public QDialog
{
    Q_OBJECT
public:
    TSearchOptions(const FindContext &context, QWidget *parent = nullptr);
    void FormShow();
    void LoadList(const QStringList &source);
    void OkButtonClick() { accept(); }
    void CancelButtonClick() { reject(); }
    void SetColors();

    QListWidget *ListBox1 = nullptr;
    QLabel *FieldNameLabel = nullptr;
    QPushButton *OkButton = nullptr, *CancelButton = nullptr;
    int row = 0; // the grid row it was opened for

private:
    FindContext m_ctx;
};

class TMySearch : public QDialog
{
    Q_OBJECT
public:
    explicit TMySearch(const FindContext &context, QWidget *parent = nullptr);

    void FormCreate();
    void FormShow();
    bool SaveFields();
    // Whether the table's candidate record passes the applied search.
    bool BuildFilter(const dbase::Table &table) const { return m_applied.passes(table); }
    bool Doit();
    void ClearSearch();
    void OkButtonClick();
    void MoreButtonClick();
    void ClearButtonClick() { ClearSearch(); }
    void ExitButtonClick();
    void HelpButtonClick();
    void SetColors();
    // The operator column's pick dialog for grid row `row` (1..20).
    void SearchGridMouseUp(int row, int column);
    // The edit mask of the criteria cell of a row (1..20) as the cell editor takes it.
    QString SearchGridGetEditMask(int row) const;
    // The criteria cell of a row (1..20), as typed.
    QString criteriaText(int row) const;
    void setCriteriaText(int row, const QString &text);

    int ItemCount() const { return m_criteria.itemCount(); }
    int SearchLevel() const { return m_criteria.level(); }
    const finding::SearchCriteria &criteria() const { return m_criteria; }
    const finding::SearchCriteria &applied() const { return m_applied; }
    std::array<int, finding::kSearchRows> OperatorCodes;

    QTableWidget *SearchGrid = nullptr;
    QPushButton *OkButton = nullptr, *MoreButton = nullptr, *ClearButton = nullptr,
                *ExitButton = nullptr, *HelpButton = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildWindow();
    void emptyCriteria();
    void setLevelTitle();
    void commitEditor();
    void reopenEditor();
    QWidget *openEditor() const; // the criteria cell editor, when one is open

    FindContext m_ctx;
    finding::SearchCriteria m_criteria; // the levels being typed
    finding::SearchCriteria m_applied;  // the levels of the applied search
    SearchGridDelegate *m_delegate = nullptr;
    int m_rowHeight = 0; // the grid's designed row height
};
