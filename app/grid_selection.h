#pragma once

#include "core/clipboard_text.h"

namespace ombrix::app {

class DataGridView;

// How the grid's selection was made, and its block (the current cell when
// nothing is selected).
struct GridSelectionShape {
    core::GridSelection kind = core::GridSelection::Block;
    core::CellBlock block;
    int currentRow = 0;
    int currentColumn = 0;
};

GridSelectionShape selectionShape(const DataGridView& grid);

}  // namespace ombrix::app
