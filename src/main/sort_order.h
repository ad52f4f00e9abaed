// TMySortOrder: the sort order dialog. Four levels, each "<NONE>" or a field by its
// display name; "&Ok" rebuilds the index "NewIndex" with exclusive use of the table.
#pragma once

#include <QDialog>

class QComboBox;
class TMain;

class TMySortOrder : public QDialog {
    Q_OBJECT
public:
    explicit TMySortOrder(TMain &main, QWidget *parent = nullptr);

    void FormShow();
    void OkButtonClick();
    void SetColors();

private:
    TMain &m_main;
    QComboBox *m_combos[4] = {};
};
