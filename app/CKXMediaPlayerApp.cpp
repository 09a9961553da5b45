#include "app/CKXMediaPlayerApp.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "app/playback/QtVideoWindowRegistrar.h"
#include "app/settings/AppPaths.h"
#include "app/settings/TerminationSignals.h"
#include "app/window/CKXMediaPlayerDlg.h"
#include "app/window/MainDialogParts.h"

namespace app {

QString CKXMediaPlayerApp::startupFileOf(const QStringList& arguments) {
  bool options = true;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments.at(i);
    if (argument.isEmpty()) continue;
    // "--" ends the options: every argument after it is a file, "-name.ts" too.
    if (options && argument == QLatin1String("--")) {
      options = false;
      continue;
    }
    if (options && argument.startsWith(QLatin1Char('-'))) continue;
    return argument;
  }
  return QString();
}

void CKXMediaPlayerApp::closeOnSignal(QWidget* window) {
  // Menus and modal dialogs are dismissed first; the main window closes once their event loops have
  // returned, so that no code below them runs on a window that has already ended.
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != window) {
    // A dialog is rejected rather than closed: a message box without an escape button ignores close.
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  }
  if (QThread::currentThread()->loopLevel() > 1) {
    QPointer<QWidget> guarded(window);
    QTimer::singleShot(10, [guarded] {
      if (guarded) closeOnSignal(guarded);
    });
    return;
  }
  window->close();
  QCoreApplication::quit();
}

int CKXMediaPlayerApp::InitInstance(IMainDialogParts* parts) {
  QtVideoWindowRegistrar registrar;
  int result = 0;
  settleDataPlaces();
  {
    CKXMediaPlayerDlg dialog(&registrar);
    // From here on a signal ends the program as the close button does (handled once the loop runs).
    TerminationSignals terminationSignals([&dialog] { closeOnSignal(&dialog); });
    MainDialogParts skinnedParts(dialog);
    dialog.setParts(parts != nullptr ? parts : &skinnedParts);
    dialog.setStartupFile(startupFileOf(QCoreApplication::arguments()));
    dialog.OnInitDialog();
    dialog.show();
    // The window's close ends the program: Qt leaves its loop when the last window closes.
    result = QApplication::exec();
  }
  return result;
}

}  // namespace app
