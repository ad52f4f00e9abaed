// Moving the current row of an ordering grid up or down, as the Up and Down buttons of the
// import and export forms do.
#pragma once

class QTableWidget;

namespace gridrows
{

// Swaps the current row's cells in columns firstColumn..lastColumn with those of the row
// `step` rows away (-1 up, +1 down) and makes that row current; nothing happens at the
// first or last row.
void moveCurrentRow(QTableWidget *grid, int step, int firstColumn, int lastColumn);

} // namespace gridrows
