#include "app/admin_app.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <csignal>

#include "ui/main/main_dialog.h"

namespace tarnwick {

int CAdminApp::Run(int argc, char** argv) {
  // A server that hangs up mid-delivery must give a failed write, not end the program.
  std::signal(SIGPIPE, SIG_IGN);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarnwick"));
  QApplication::setDesktopFileName(QStringLiteral("org.tarnwick.Tarnwick"));
  // Qt's own dialogs and buttons speak Japanese like the rest, where the system has Qt's
  // translations.
  QTranslator qtTexts;
  if (qtTexts.load(QStringLiteral("qtbase_ja"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }
  QStringList arguments = QApplication::arguments();
  arguments.removeFirst();
  CMainDialog window(SettingsStore::FromEnvironment(), arguments);
  window.show();
  return QApplication::exec();
}

}  // namespace tarnwick
