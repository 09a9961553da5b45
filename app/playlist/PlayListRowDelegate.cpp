#include "app/playlist/PlayListRowDelegate.h"

#include <QPainter>

namespace app {

void PlayListRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  if (index.data(Qt::UserRole).toInt() == 0) return;
  const bool selected = option.state & QStyle::State_Selected;
  painter->save();
  painter->fillRect(option.rect, selected ? QColor(49, 106, 179) : QColor(35, 36, 40));
  painter->setPen(selected ? QColor(255, 255, 255) : QColor(182, 197, 218));
  painter->setFont(option.font);
  painter->drawText(option.rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, index.data(Qt::DisplayRole).toString());
  painter->restore();
}

}  // namespace app
