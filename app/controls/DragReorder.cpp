#include "app/controls/DragReorder.h"

#include <algorithm>

namespace app {

std::vector<int> reorderedRows(int rowCount, const std::vector<int>& selectedRows, int insertIndex, int& firstMovedRow) {
  std::vector<bool> moved(static_cast<std::size_t>(std::max(rowCount, 0)), false);
  std::vector<int> movedRows;
  for (int row : selectedRows) {
    if (row >= 0 && row < rowCount && !moved[static_cast<std::size_t>(row)]) {
      moved[static_cast<std::size_t>(row)] = true;
      movedRows.push_back(row);
    }
  }
  std::sort(movedRows.begin(), movedRows.end());
  insertIndex = std::clamp(insertIndex, 0, std::max(rowCount, 0));
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(std::max(rowCount, 0)));
  firstMovedRow = -1;
  for (int row = 0; row <= rowCount; ++row) {
    if (row == insertIndex) {
      firstMovedRow = static_cast<int>(order.size());
      order.insert(order.end(), movedRows.begin(), movedRows.end());
    }
    if (row < rowCount && !moved[static_cast<std::size_t>(row)]) order.push_back(row);
  }
  return order;
}

}  // namespace app
