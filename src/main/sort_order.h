// TMySortOrder: the sort order dialog. Four levels, each "<NONE>" or a field by its
// display name; "&Ok" rebuilds the index "NewIndex" with exclusive use of the table.
#pragma once

#include <QDialog>
#include <functional>

class CoinDatabase;
class QComboBox;

class TMySortOrder : public QDialog
{
    Q_OBJECT
public:
    // `place` applies the fonts, scaling and centring of the program's dialogs.
    TMySortOrder(CoinDatabase &database, std::function<void(QWidget *)> place,
                 QWidget *parent = nullptr);

    void FormShow();
    void OkButtonClick();
    void SetColors();

private:
    CoinDatabase &m_db;
    std::function<void(QWidget *)> m_place;
    QComboBox *m_combos[4] = {};
};
