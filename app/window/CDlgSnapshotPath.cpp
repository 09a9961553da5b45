#include "app/window/CDlgSnapshotPath.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/controls/FontMapper.h"
#include "app/controls/UiServices.h"
#include "app/settings/AppSettings.h"
#include "app/settings/LanguageText.h"

namespace app {

CDlgSnapshotPath::CDlgSnapshotPath(QWidget* parent)
    : QDialog(parent),
      m_edit(new QLineEdit(this)),
      m_ok(new QPushButton(this)),
      m_cancel(new QPushButton(this)),
      m_label(new QLabel(this)),
      m_browse(new QPushButton(QStringLiteral("..."), this)) {
  setFont(FontMapper::pointFont(QStringLiteral("MS Shell Dlg"), 8));
  auto* group = new QGroupBox(this);
  auto* row = new QHBoxLayout(group);
  row->addWidget(m_label);
  row->addWidget(m_edit, 1);
  row->addWidget(m_browse);
  auto* grid = new QGridLayout(this);
  grid->addWidget(group, 0, 0, 1, 3);
  grid->setColumnStretch(0, 1);
  grid->addWidget(m_ok, 1, 1);
  grid->addWidget(m_cancel, 1, 2);
  m_edit->setMinimumWidth(320);
  // Enter in the edit is OK, which keeps the dialog open while the text is empty.
  m_ok->setDefault(true);
  connect(m_ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_browse, &QPushButton::clicked, this, [this] { onBrowse(); });
  OnInitDialog();
}

bool CDlgSnapshotPath::OnInitDialog() {
  std::string folder;
  readSnapshotPath(folder);
  m_edit->setText(QString::fromStdString(folder));
  updateTexts();
  return true;
}

void CDlgSnapshotPath::updateTexts() {
  setWindowTitle(languageText("snapshotpath"));
  m_ok->setText(languageText("ok"));
  m_cancel->setText(languageText("cancel"));
  m_label->setText(languageText("path"));
}

void CDlgSnapshotPath::onBrowse() {
  QString chosen = uiServices().getExistingDirectory(this, QString(), m_edit->text());
  if (chosen.isEmpty()) return;
  // The folder as the browser gives it, without a trailing separator (the root stays "/").
  while (chosen.size() > 1 && chosen.endsWith(QLatin1Char('/'))) chosen.chop(1);
  m_edit->setText(chosen);
}

void CDlgSnapshotPath::OnOK() {
  const QString text = m_edit->text();
  if (text.isEmpty()) return;
  writeSnapshotPath(text.toStdString());
  accept();
}

}  // namespace app
