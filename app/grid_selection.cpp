#include "app/grid_selection.h"

#include "app/data_grid_view.h"

namespace ombrix::app {

GridSelectionShape selectionShape(const DataGridView& grid)
{
    GridSelectionShape shape;
    const QModelIndex current = grid.currentIndex();
    shape.currentRow = current.isValid() ? current.row() : 0;
    shape.currentColumn = current.isValid() ? current.column() : 0;
    const QItemSelection selection = grid.selectionModel()->selection();
    if (selection.isEmpty()) {
        shape.block = {shape.currentRow, shape.currentColumn, shape.currentRow, shape.currentColumn};
        return shape;
    }
    const int lastRow = grid.model()->rowCount() - 1;
    const int lastColumn = grid.model()->columnCount() - 1;
    shape.block = {lastRow, lastColumn, 0, 0};
    bool allRows = true;
    bool allColumns = true;
    for (const QItemSelectionRange& range : selection) {
        shape.block.firstRow = std::min(shape.block.firstRow, range.top());
        shape.block.firstColumn = std::min(shape.block.firstColumn, range.left());
        shape.block.lastRow = std::max(shape.block.lastRow, range.bottom());
        shape.block.lastColumn = std::max(shape.block.lastColumn, range.right());
        allRows = allRows && range.top() == 0 && range.bottom() == lastRow;
        allColumns = allColumns && range.left() == 0 && range.right() == lastColumn;
    }
    if (allRows && allColumns)
        shape.kind = core::GridSelection::WholeSheet;
    else if (allRows)
        shape.kind = core::GridSelection::WholeColumns;
    else if (allColumns)
        shape.kind = core::GridSelection::WholeRows;
    return shape;
}

}  // namespace ombrix::app
