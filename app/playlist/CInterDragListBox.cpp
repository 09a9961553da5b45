#include "app/playlist/CInterDragListBox.h"

#include <QApplication>
#include <mutex>
#include <set>

#include "app/controls/DragReorder.h"
#include "app/playlist/IMainDialog.h"
#include "app/playlist/PlayList.h"
#include "app/playlist/PlayListRowDelegate.h"

namespace app {

CInterDragListBox::CInterDragListBox(QWidget* parent) : CDragListBoxEx(parent) {
  setItemDelegate(new PlayListRowDelegate(this));
}

QWidget* CInterDragListBox::windowAt(QPoint screenPoint) const {
  QWidget* under = QApplication::widgetAt(screenPoint);
  if (under == viewport()) return const_cast<CInterDragListBox*>(this);
  return under;
}

void CInterDragListBox::dragging(QPoint screenPoint) {
  QWidget* under = windowAt(screenPoint);
  QWidget* target = nullptr;
  if (under == this) {
    CDragListBoxEx::dragging(screenPoint);
    target = this;
  } else if (isRuntimeClass(under, "CPlayerWnd")) {
    CDragListBoxEx::dragging(screenPoint);
  } else {
    viewport()->setCursor(Qt::ForbiddenCursor);
  }
  if (target != m_target.data()) {
    clearTargetMarker();
    m_target = target;
  }
}

void CInterDragListBox::clearTargetMarker() {
  auto* list = dynamic_cast<CInterDragListBox*>(m_target.data());
  if (list != nullptr) {
    list->hideInsertMarker();
    list->killAutoScrollTimer();
  }
  m_target = nullptr;
}

void CInterDragListBox::cancelDrag() {
  CDragListBoxEx::cancelDrag();
  clearTargetMarker();
}

bool CInterDragListBox::reorderStore(int insertIndex) {
  PlayList& store = PlayList::getInstance();
  std::lock_guard<std::recursive_mutex> guard(store.lock());
  const std::vector<int> selected = selectedRows();
  PlayListItem entry;
  for (int row : selected) {
    if (!store.findById(rowId(row), entry)) return false;
  }
  // The store takes the rows' new order from the same computation as the rows themselves, so the two
  // hold the same items in the same order whatever the drop.
  int firstMoved = 0;
  const std::vector<int> order = reorderedRows(count(), selected, insertIndex, firstMoved);
  std::vector<PlayListItem> reordered;
  std::set<int> rowIds;
  for (int oldRow : order) {
    rowIds.insert(rowId(oldRow));
    if (store.findById(rowId(oldRow), entry)) reordered.push_back(entry);
  }
  for (int index = 0; index < store.count(); ++index) {
    const PlayListItem kept = store.itemAt(index);
    if (rowIds.count(kept.getId()) == 0) reordered.push_back(kept);  // not shown: stays behind the rows
  }
  store.clear();
  for (const PlayListItem& item : reordered) store.append(item);
  return true;
}

void CInterDragListBox::dropped(QPoint screenPoint) {
  QWidget* under = windowAt(screenPoint);
  if (under == this) {
    const int insertIndex = insertIndexFromPoint(screenPoint);
    if (!reorderStore(insertIndex)) return;
    moveSelectedRows(insertIndex);
    return;
  }
  if (isRuntimeClass(under, "CPlayerWnd") && under->parentWidget() != nullptr) {
    const std::vector<Row> rows = collectSelected();
    IMainDialog* dialog = mainDialogOf(under);
    if (!rows.empty() && dialog != nullptr) dialog->openItem(rows.front().id);
  }
}

}  // namespace app
