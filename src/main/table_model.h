// A plain read-only model of the open table for the viewer grid: one row per delivered
// record, one column per field, the values as the engine gives them as text.
#pragma once

#include <QAbstractTableModel>

namespace dbase
{
class Table;
}

class TableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TableModel(dbase::Table &table, QObject *parent = nullptr);
    ~TableModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The table was opened, closed, refiltered or changed: show it anew.
    void reload();

private:
    dbase::Table &m_table;
    int m_listener = 0;
    int m_rows = 0;
    int m_columns = 0;
};
