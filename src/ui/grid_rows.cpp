#include "ui/grid_rows.h"

#include <QTableWidget>

#include <algorithm>

namespace gridrows
{

void moveCurrentRow(QTableWidget *grid, int step, int firstColumn, int lastColumn)
{
    const int from = grid->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= grid->rowCount()) return;
    for (int c = firstColumn; c <= lastColumn; ++c) {
        QTableWidgetItem *a = grid->takeItem(from, c);
        QTableWidgetItem *b = grid->takeItem(to, c);
        grid->setItem(from, c, b);
        grid->setItem(to, c, a);
    }
    grid->setCurrentCell(to, std::max(firstColumn, grid->currentColumn()));
}

} // namespace gridrows
