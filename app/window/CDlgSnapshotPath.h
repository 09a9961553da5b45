#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

// The dialog in which the user sets the folder that receives snapshots: the stored folder in an edit,
// "..." for the folder browser, OK stores a non-empty text as it stands, Cancel stores nothing.
class CDlgSnapshotPath : public QDialog {
 public:
  explicit CDlgSnapshotPath(QWidget* parent = nullptr);

  bool OnInitDialog();
  void updateTexts();
  void onBrowse();
  void OnOK();

  QLineEdit* pathEdit() const { return m_edit; }
  QLabel* pathLabel() const { return m_label; }
  QPushButton* browseButton() const { return m_browse; }
  QPushButton* okButton() const { return m_ok; }
  QPushButton* cancelButton() const { return m_cancel; }

 private:
  QLineEdit* m_edit;
  QPushButton* m_ok;
  QPushButton* m_cancel;
  QLabel* m_label;
  QPushButton* m_browse;
};

}  // namespace app
