#pragma once
#include <QPointer>

#include "app/controls/CDragListBoxEx.h"

namespace app {

// The play list's drag list box: rows dropped inside it reorder the rows and the play-list store
// alike; rows dropped on the video window (run-time class "CPlayerWnd") open the first of them through
// the video window's parent; any other window refuses the drop. Run-time class "CInterDragListBox".
class CInterDragListBox : public CDragListBoxEx {
 public:
  explicit CInterDragListBox(QWidget* parent = nullptr);

  const char* runtimeClassName() const override { return "CInterDragListBox"; }

  // The window under a screen point, as the drag sees it (this list box for a point over its rows).
  QWidget* windowAt(QPoint screenPoint) const;

 protected:
  void dragging(QPoint screenPoint) override;
  void dropped(QPoint screenPoint) override;
  void cancelDrag() override;

 private:
  void clearTargetMarker();
  // Puts the store in the order the rows take after a drop before `insertIndex`; false, with store and
  // rows untouched, when a moved row's id is not in the store.
  bool reorderStore(int insertIndex);

  QPointer<QWidget> m_target;  // the drag list showing this drag's marker
};

}  // namespace app
