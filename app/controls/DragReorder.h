#pragma once
#include <vector>

namespace app {

// The order of the rows after a drop: the selected rows (in their order) move together before the row
// at the insertion index, every other row keeps its place relative to the rest. `selectedRows` holds
// row indices in ascending order; an insertion index of the row count (or more) drops behind the last
// row. The result lists the old row indices in their new order, each exactly once; `firstMovedRow`
// tells where the moved rows now start.
std::vector<int> reorderedRows(int rowCount, const std::vector<int>& selectedRows, int insertIndex, int& firstMovedRow);

}  // namespace app
