#include "main/viewer_model.h"

#include "db/coin_schema.h"
#include "dbase/error.h"
#include "dbase/table.h"

ViewerModel::ViewerModel(dbase::Table &table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    m_listener = m_table.addListener([this](dbase::Table::Event e) {
        if (e != dbase::Table::Event::Moved) reload();
    });
    reload();
}

ViewerModel::~ViewerModel()
{
    m_table.removeListener(m_listener);
}

bool ViewerModel::isFlagField(int field)
{
    return field == coin::YearApprox - 1 || field == coin::Wanted - 1;
}

void ViewerModel::reload()
{
    beginResetModel();
    m_rows = m_table.isOpen() ? m_table.recordCount() : 0;
    m_cachedRow = -1;
    endResetModel();
}

void ViewerModel::setColumns(const QVector<Column> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_cachedRow = -1;
    endResetModel();
}

void ViewerModel::setEditable(bool editable)
{
    m_editable = editable;
}

int ViewerModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ViewerModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

const QStringList &ViewerModel::rowValues(int row) const
{
    if (row == m_cachedRow) return m_cachedValues;
    m_cachedValues.clear();
    m_cachedRow = row;
    if (!m_table.isOpen() || m_table.state() != dbase::Table::State::Browse ||
        row >= m_table.recordCount())
        return m_cachedValues;
    // Reading a row must not move the current record.
    const dbase::ControlsDisabled quiet(m_table);
    const int current = m_table.currentRow();
    m_table.moveToRow(row);
    for (int f = 0; f < m_table.fieldCount(); ++f)
        m_cachedValues << QString::fromStdString(m_table.asString(f));
    m_table.moveToRow(current);
    return m_cachedValues;
}

QVariant ViewerModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= m_columns.size()) return {};
    const int field = m_columns[index.column()].field;
    const QStringList &values = rowValues(index.row());
    if (field >= values.size()) return {};
    const QString &value = values[field];
    if (isFlagField(field)) {
        if (role == Qt::CheckStateRole)
            return value.compare(QLatin1String("Yes"), Qt::CaseInsensitive) == 0 ? Qt::Checked
                                                                                 : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole) return value;
    if (role == Qt::TextAlignmentRole) {
        const coin::Kind kind = coin::kFields[field].kind;
        if (kind == coin::Kind::Float || kind == coin::Kind::Integer)
            return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant ViewerModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
    if (section < 0 || section >= m_columns.size()) return {};
    if (role == Qt::DisplayRole) return m_columns[section].label;
    if (role == Qt::TextAlignmentRole) return int(m_titleAlignment | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags ViewerModel::flags(const QModelIndex &index) const
{
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_editable && index.column() < m_columns.size()) {
        if (isFlagField(m_columns[index.column()].field))
            f |= Qt::ItemIsUserCheckable;
        else
            f |= Qt::ItemIsEditable;
    }
    return f;
}

bool ViewerModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_editable || !index.isValid() || index.row() >= m_rows ||
        index.column() >= m_columns.size())
        return false;
    const int field = m_columns[index.column()].field;
    QString text;
    if (isFlagField(field)) {
        if (role != Qt::CheckStateRole) return false;
        text = value.toInt() == Qt::Checked ? QStringLiteral("Yes") : QStringLiteral("No");
    } else {
        if (role != Qt::EditRole) return false;
        text = value.toString();
        // The table would cut a longer text: refuse it rather than lose the rest.
        const coin::Field &f = coin::kFields[field];
        if (f.kind == coin::Kind::Text && text.trimmed().size() > f.width) {
            if (onError)
                onError(
                    QStringLiteral("%1 is longer than the %2 characters the database can hold.  "
                                   "Please shorten it.")
                        .arg(m_columns[index.column()].label)
                        .arg(f.width));
            return false;
        }
    }
    try {
        const dbase::ControlsDisabled quiet(m_table);
        m_table.moveToRow(index.row());
        dbase::PendingChange change(m_table, dbase::PendingChange::Kind::Edit);
        m_table.setAsString(field, text.toStdString());
        change.post();
    } catch (const dbase::Error &e) {
        if (onError) onError(QString::fromStdString(e.what()));
        return false;
    }
    // The post reached the listener as one reset when controls came back: the record may
    // have moved in the sort order.
    return true;
}
