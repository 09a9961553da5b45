#include "app/playlist/CDlgFileList.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <mutex>

#include "app/controls/AppIds.h"
#include "app/controls/CPngButton.h"
#include "app/controls/FontMapper.h"
#include "app/controls/UiServices.h"
#include "app/playlist/CInterDragListBox.h"
#include "app/playlist/IMainDialog.h"
#include "app/playlist/PlayList.h"
#include "app/settings/AppPaths.h"
#include "app/settings/AppSettings.h"
#include "app/settings/LanguageText.h"

namespace app {
namespace {

const QColor kPanelColour(35, 36, 40);
const char* const kFilter = "Video Files (*.ts)|*.ts|All Files (*.*)|*.*||";

struct ModeEntry {
  std::uint32_t command;
  int mode;
  const char* key;
};
// Menu order; note the commands and the modes do not run in the same order.
constexpr ModeEntry kModes[] = {{ID_MODE_SINGLE, PLAY_MODE_SINGLE, "singleplay"},
                                {ID_MODE_ORDER, PLAY_MODE_ORDER, "orderplay"},
                                {ID_MODE_CIRCLE, PLAY_MODE_CIRCLE, "circleplay"},
                                {ID_MODE_SINGLE_CIRCLE, PLAY_MODE_SINGLE_CIRCLE, "scircleplay"}};

}  // namespace

CDlgFileList::CDlgFileList(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFont(FontMapper::pointFont(QString::fromUtf8("宋体"), 9));
  m_skin.load(QString::fromStdString(getModuleDir() + getImagesDir()), QStringLiteral("list_"));

  const QString buttons = QString::fromStdString(getModuleDir() + getButtonImagesDir());
  struct ButtonSetup {
    CPngButton** button;
    std::uint32_t id;
    const char* file;
  };
  const ButtonSetup setups[] = {{&m_add, IDC_LIST_ADD, "add.png"},
                              {&m_delete, IDC_LIST_DELETE, "delete.png"},
                              {&m_mode, IDC_LIST_MODE, "mode.png"},
                              {&m_clear, IDC_LIST_CLEAR, "clear.png"},
                              {&m_select, IDC_LIST_SELECT, "select.png"}};
  for (const ButtonSetup& setup : setups) {
    *setup.button = new CPngButton(this, setup.id);
    (*setup.button)->loadImage(buttons + QLatin1String(setup.file));
  }

  m_list = new CInterDragListBox(this);
  QPalette colours = m_list->palette();
  colours.setColor(QPalette::Base, kPanelColour);
  colours.setColor(QPalette::Text, QColor(182, 197, 218));
  m_list->setPalette(colours);
  m_list->setFrameShape(QFrame::NoFrame);
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this]() { onListDoubleClick(); });
  connect(m_list, &QListWidget::itemSelectionChanged, this, [this]() { onListSelChange(); });

  layoutControls();
  fillFromStore();
  m_select->hide();
  // Only a panel that is a window of its own can be sized by dragging; it keeps a usable size.
  if (isWindow()) setMinimumSize(250, 300);
}

CDlgFileList::~CDlgFileList() { PlayList::getInstance().save(); }

CPngButton* CDlgFileList::button(std::uint32_t controlId) const {
  for (CPngButton* candidate : {m_add, m_delete, m_mode, m_clear, m_select}) {
    if (candidate->controlId() == controlId) return candidate;
  }
  return nullptr;
}

void CDlgFileList::layoutControls() {
  m_add->move(5, 4);
  m_delete->move(37, 4);
  m_mode->move(69, 4);
  m_clear->move(101, 4);
  m_select->move(133, 4);
  m_list->setGeometry(3, 25, width() - 6, height() - 30);
}

void CDlgFileList::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutControls();
  update();
}

void CDlgFileList::mousePressEvent(QMouseEvent* event) {
  event->accept();  // a press on the panel's own background ends here; it does not drag the main window
}

void CDlgFileList::paintEvent(QPaintEvent*) {
  QImage canvas(size(), QImage::Format_RGB32);
  canvas.fill(kPanelColour);
  {
    QPainter memory(&canvas);
    m_skin.paint(memory, canvas.rect());
  }
  QPainter(this).drawImage(0, 0, canvas);
}

void CDlgFileList::fillFromStore() {
  m_list->clear();
  const PlayList& store = PlayList::getInstance();
  for (int index = 0; index < store.count(); ++index) {
    const PlayListItem entry = store.itemAt(index);
    auto* row = new QListWidgetItem(QString::fromStdU16String(entry.getName()));
    row->setData(Qt::UserRole, entry.getId());
    m_list->addItem(row);
  }
  if (m_list->count() > 0) m_list->setCurrentRow(0);
  m_highlighted = 0;
}

int CDlgFileList::rowOfId(int id) const {
  for (int row = 0; row < m_list->count(); ++row) {
    if (m_list->rowId(row) == id) return row;
  }
  return -1;
}

int CDlgFileList::addFile(const std::u16string& given) {
  // Listed and opened by its absolute path: the list outlives the folder the program was started in.
  const std::u16string path = PlayListItem::absolutePath(given);
  PlayList& store = PlayList::getInstance();
  int id = 0;
  if (store.findByPath(path, id)) return id;
  {
    std::lock_guard<std::recursive_mutex> guard(store.lock());
    id = store.nextId();
    store.append(PlayListItem(id, path));
  }
  auto* row = new QListWidgetItem(QString::fromStdU16String(PlayListItem::nameFromPath(path)));
  row->setData(Qt::UserRole, id);
  m_list->addItem(row);
  return id;
}

void CDlgFileList::selectItemById(int id) {
  if (QListWidgetItem* previous = m_list->item(m_highlighted)) previous->setSelected(false);
  const int row = rowOfId(id);
  if (row < 0) return;
  m_list->item(row)->setSelected(true);
  m_highlighted = row;
}

int CDlgFileList::getSelectedId() const { return m_list->currentRow() >= 0 ? m_list->rowId(m_list->currentRow()) : 0; }

int CDlgFileList::getNextId(int id) const {
  const int row = rowOfId(id);
  return row >= 0 && row + 1 < m_list->count() ? m_list->rowId(row + 1) : 0;
}

int CDlgFileList::getPreviousId(int id) const {
  const int row = rowOfId(id);
  return row > 0 ? m_list->rowId(row - 1) : 0;
}

void CDlgFileList::clearAll() {
  IMainDialog* dialog = mainDialogOf(this);
  if (dialog != nullptr && dialog->isItemOpen()) dialog->closeItem();
  PlayList::getInstance().clear();
  m_list->clear();
  // The buttons are shown for the emptied list: with nothing left to select, Play is disabled.
  if (dialog != nullptr) dialog->updateStateDisplay();
}

void CDlgFileList::deleteSelected() {
  IMainDialog* dialog = mainDialogOf(this);
  std::vector<int> rows;
  for (const QModelIndex& index : m_list->selectionModel()->selectedIndexes()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    const int id = m_list->rowId(*row);
    delete m_list->takeItem(*row);
    PlayList::getInstance().removeById(id);
    if (dialog != nullptr && dialog->isItemOpen() && dialog->openItemId() == id) dialog->closeItem();
  }
  if (m_list->count() > 0) {
    m_list->clearSelection();
    m_list->setCurrentRow(0);
  }
  if (dialog != nullptr) dialog->updateStateDisplay();
}

void CDlgFileList::updateTexts() {
  m_add->setToolTipText(languageText("add"));
  m_delete->setToolTipText(languageText("delete"));
  m_mode->setToolTipText(languageText("mode"));
  m_clear->setToolTipText(languageText("clear"));
  m_select->setToolTipText(languageText("select"));
}

bool CDlgFileList::event(QEvent* event) { return dispatchAppMessage(event, *this) || QWidget::event(event); }

LRESULT CDlgFileList::onAppMessage(std::uint32_t message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND) return 0;
  const std::uint32_t id = commandId(wParam);
  switch (id) {
    case IDC_LIST_ADD: onAddFiles(); break;
    case IDC_LIST_DELETE: deleteSelected(); break;
    case IDC_LIST_MODE: onModeMenu(); break;
    case IDC_LIST_CLEAR: clearAll(); break;
    case ID_MODE_SINGLE:
    case ID_MODE_ORDER:
    case ID_MODE_CIRCLE:
    case ID_MODE_SINGLE_CIRCLE: onModeCommand(id); break;
    default: break;  // the hidden select button does nothing
  }
  return 0;
}

void CDlgFileList::onAddFiles() {
  const QStringList files = uiServices().getOpenFileNames(this, QString::fromLatin1(kFilter));
  for (const QString& file : files) addFile(file.toStdU16String());
  if (m_list->count() > 0 && m_list->currentRow() < 0) {
    m_list->setCurrentRow(0);
    if (IMainDialog* dialog = mainDialogOf(this)) dialog->updateStateDisplay();
  }
}

void CDlgFileList::onModeMenu() {
  const IMainDialog* dialog = mainDialogOf(this);
  const int mode = dialog != nullptr ? dialog->playMode() : -1;
  std::vector<MenuEntry> menu;
  for (const ModeEntry& entry : kModes) {
    menu.push_back(MenuEntry::radioItem(entry.command, languageText(entry.key), entry.mode == mode));
  }
  const QPoint corner = m_mode->mapToGlobal(QPoint(0, m_mode->height()));
  const std::uint32_t chosen = uiServices().trackPopupMenu(menu, corner, this);
  if (chosen != 0) sendCommand(this, chosen, 0, nullptr);
}

void CDlgFileList::onModeCommand(std::uint32_t command) {
  for (const ModeEntry& entry : kModes) {
    if (entry.command != command) continue;
    writePlayMode(entry.mode);
    if (IMainDialog* dialog = mainDialogOf(this)) dialog->setPlayMode(entry.mode);
  }
}

void CDlgFileList::onListDoubleClick() {
  IMainDialog* dialog = mainDialogOf(this);
  const int id = getSelectedId();
  if (dialog != nullptr && id != 0) dialog->openItem(id);
}

void CDlgFileList::onListSelChange() {
  IMainDialog* dialog = mainDialogOf(this);
  if (dialog != nullptr && !dialog->isItemOpen()) dialog->updateStateDisplay();
}

}  // namespace app
