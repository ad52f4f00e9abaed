// The viewer grid's model over the open table: one row per delivered record, the columns
// chosen by the viewer options (field order, display flags, labels), "Yes"/"No" fields
// as check boxes, and cell editing through the engine when grid editing is on.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>
#include <functional>

namespace dbase
{
class Table;
}

class ViewerModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Column {
        int field; // 0-based field index of the table
        QString label;
        int widthChars;
    };

    explicit ViewerModel(dbase::Table &table, QObject *parent = nullptr);
    ~ViewerModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    void setColumns(const QVector<Column> &columns);
    const QVector<Column> &columns() const { return m_columns; }
    void setEditable(bool editable);
    void setTitleAlignment(Qt::Alignment alignment) { m_titleAlignment = alignment; }
    // Failed edits are reported here (the window shows the engine's message).
    std::function<void(const QString &)> onError;

    // The table was opened, closed, refiltered or changed: show it anew.
    void reload();
    static bool isFlagField(int field); // YEARAPPROX and WANTED

private:
    const QStringList &rowValues(int row) const;

    dbase::Table &m_table;
    int m_listener = 0;
    int m_rows = 0;
    QVector<Column> m_columns;
    bool m_editable = false;
    Qt::Alignment m_titleAlignment = Qt::AlignCenter;
    mutable int m_cachedRow = -1;
    mutable QStringList m_cachedValues;
};
