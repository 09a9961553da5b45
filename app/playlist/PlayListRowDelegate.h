#pragma once
#include <QStyledItemDelegate>

namespace app {

// Draws one play-list row: a selected row in white on blue, any other in light blue-grey on the panel
// colour, the name single-line, vertically centred, left-aligned. Rows whose id is 0 are not drawn.
class PlayListRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace app
