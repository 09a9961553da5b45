#include "app/window/CAboutDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "app/controls/FontMapper.h"
#include "app/settings/AppPaths.h"
#include "app/settings/LanguageText.h"

namespace app {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent),
      m_icon(new QLabel(this)),
      m_version(new QLabel(this)),
      m_copyright(new QLabel(this)),
      m_ok(new QPushButton(this)) {
  setWindowTitle(QStringLiteral("KXMediaPlayer"));
  setFont(FontMapper::pointFont(QStringLiteral("MS Shell Dlg"), 8));
  const QPixmap icon(QString::fromStdString(getModuleDir() + getImagesDir() + "app_icon.png"));
  if (!icon.isNull()) m_icon->setPixmap(icon.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  m_icon->setFixedSize(32, 32);
  m_ok->setDefault(true);
  auto* grid = new QGridLayout(this);
  grid->addWidget(m_icon, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(m_version, 0, 1);
  grid->addWidget(m_ok, 0, 2, Qt::AlignTop);
  grid->addWidget(m_copyright, 1, 1, 1, 2);
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
  OnInitDialog();
}

bool CAboutDlg::OnInitDialog() {
  updateTexts();
  return true;
}

void CAboutDlg::updateTexts() {
  // A key missing from the language file gives an empty text: the built-in caption is replaced anyway.
  setWindowTitle(languageText("about", kAboutCaptionCapacity));
  m_ok->setText(languageText("ok", kAboutCaptionCapacity));
  m_version->setText(languageText("version", kAboutCaptionCapacity));
  m_copyright->setText(languageText("copyright", kAboutCaptionCapacity));
}

}  // namespace app
