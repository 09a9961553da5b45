#include "app/controls/DragReorder.h"

#include <gtest/gtest.h>

namespace {

TEST(DragReorder, EveryRowOnceInTheOrderTheDropShows) {
  struct Case {
    const char* what;
    int rows;
    std::vector<int> selected;
    int insertIndex;
    std::vector<int> order;
    int firstMoved;
  };
  const Case cases[] = {
      {"up", 5, {3}, 1, {0, 3, 1, 2, 4}, 1},
      {"down", 5, {1}, 4, {0, 2, 3, 1, 4}, 3},
      {"to the top", 5, {2, 4}, 0, {2, 4, 0, 1, 3}, 0},
      {"past the end", 5, {1, 3}, 5, {0, 2, 4, 1, 3}, 3},
      {"far past the end", 5, {0}, 99, {1, 2, 3, 4, 0}, 4},
      {"on itself", 5, {2}, 2, {0, 1, 2, 3, 4}, 2},
      {"just below itself", 5, {2}, 3, {0, 1, 2, 3, 4}, 2},
      {"on one of several", 5, {0, 2}, 2, {1, 0, 2, 3, 4}, 1},
      {"all rows", 3, {0, 1, 2}, 1, {0, 1, 2}, 0},
      {"nothing selected", 3, {}, 1, {0, 1, 2}, 1},
      {"unsorted and repeated selection", 4, {3, 1, 3}, 0, {1, 3, 0, 2}, 0},
      {"out-of-range rows ignored", 3, {-1, 1, 7}, 0, {1, 0, 2}, 0},
      {"empty list", 0, {}, 0, {}, 0},
  };
  for (const Case& c : cases) {
    int firstMoved = -5;
    EXPECT_EQ(app::reorderedRows(c.rows, c.selected, c.insertIndex, firstMoved), c.order) << c.what;
    EXPECT_EQ(firstMoved, c.firstMoved) << c.what;
  }
}

}  // namespace
