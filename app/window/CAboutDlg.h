#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace app {

// The About box: the program's icon, its version text and the copyright text, all from the language
// file, so they follow the chosen language. OK and Escape close it.
class CAboutDlg : public QDialog {
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  bool OnInitDialog();
  void updateTexts();

  QLabel* versionLabel() const { return m_version; }
  QLabel* copyrightLabel() const { return m_copyright; }
  QPushButton* okButton() const { return m_ok; }

 private:
  QLabel* m_icon;
  QLabel* m_version;
  QLabel* m_copyright;
  QPushButton* m_ok;
};

}  // namespace app
