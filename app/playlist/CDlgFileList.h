#pragma once
#include <QWidget>
#include <string>

#include "app/controls/AppMessage.h"
#include "app/controls/NineSliceSkin.h"
#include "app/controls/RuntimeClass.h"

namespace app {

class CInterDragListBox;
class CPngButton;

// The play-list panel: a child window at the main window's right edge showing the play-list store in
// a drag list box, with buttons to add files, delete the selected rows, choose the play mode and clear
// the list (a fifth, "select", stays hidden). It owns every edit of the list; it opens, closes and
// refreshes through the main window (its parent, IMainDialog). Destroying it saves the list file.
// Run-time class "CDlgFileList".
class CDlgFileList : public QWidget, public RuntimeClass, public AppMessageHandler {
 public:
  explicit CDlgFileList(QWidget* parent = nullptr);
  ~CDlgFileList() override;

  const char* runtimeClassName() const override { return "CDlgFileList"; }

  // Adds a file without opening it, by its absolute path (a relative one is taken from the current
  // folder); the id of the item (the existing one when the path is listed).
  int addFile(const std::u16string& path);
  void selectItemById(int id);
  // Id of the row with the focus caret; 0 when there is none.
  int getSelectedId() const;
  // Ids of the rows after and before the row of `id`; 0 at the ends or when no row has the id.
  int getNextId(int id) const;
  int getPreviousId(int id) const;
  void clearAll();
  void deleteSelected();
  void updateTexts();

  CInterDragListBox* listBox() const { return m_list; }
  CPngButton* button(std::uint32_t controlId) const;

  LRESULT onAppMessage(std::uint32_t message, WPARAM wParam, LPARAM lParam) override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void layoutControls();
  void fillFromStore();
  void onAddFiles();
  void onModeMenu();
  void onModeCommand(std::uint32_t command);
  void onListDoubleClick();
  void onListSelChange();
  int rowOfId(int id) const;

  NineSliceSkin m_skin;
  CPngButton* m_add = nullptr;
  CPngButton* m_delete = nullptr;
  CPngButton* m_mode = nullptr;
  CPngButton* m_clear = nullptr;
  CPngButton* m_select = nullptr;
  CInterDragListBox* m_list = nullptr;
  int m_highlighted = -1;
};

}  // namespace app
