#include "table_model.h"

#include "table.h"

TableModel::TableModel(dbase::Table &table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    m_listener = m_table.addListener([this](dbase::Table::Event e) {
        if (e != dbase::Table::Event::Moved) reload();
    });
    reload();
}

TableModel::~TableModel()
{
    m_table.removeListener(m_listener);
}

void TableModel::reload()
{
    beginResetModel();
    const bool open = m_table.isOpen();
    m_rows = open ? m_table.recordCount() : 0;
    m_columns = open ? m_table.fieldCount() : 0;
    endResetModel();
}

int TableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || !m_table.isOpen() ||
        m_table.state() != dbase::Table::State::Browse || index.row() >= m_table.recordCount())
        return {};
    // Painting must not move the current record.
    m_table.disableControls();
    const int current = m_table.currentRow();
    m_table.moveToRow(index.row());
    const QString text = QString::fromStdString(m_table.asString(index.column()));
    m_table.moveToRow(current);
    m_table.enableControls();
    return text;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (!m_table.isOpen() || section >= m_table.fieldCount()) return {};
    return QString::fromStdString(m_table.field(section).name);
}
