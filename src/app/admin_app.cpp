#include "app/admin_app.h"

#include <QApplication>
#include <csignal>

#include "app/main_dialog.h"

namespace tarnwick {

int CAdminApp::Run(int argc, char** argv) {
  // A server that hangs up mid-delivery must give a failed write, not end the program.
  std::signal(SIGPIPE, SIG_IGN);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnwick"));
  QApplication::setDesktopFileName(QStringLiteral("tarnwick"));
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  CMainDialog window(SettingsStore::FromEnvironment(), arguments);
  window.show();
  return QApplication::exec();
}

}  // namespace tarnwick
