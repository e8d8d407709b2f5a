#include "ui/platform/desktop.h"

#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include "ui/platform/modal.h"

namespace tarnwick {
namespace {

std::function<bool(const QString&)>& Hook() {
  static std::function<bool(const QString&)> hook;
  return hook;
}

}  // namespace

void OpenWithDesktop(const QString& path, QWidget* parent) {
  const auto tell = [owner = QPointer<QWidget>(parent), path] {
    ShowMessage(owner, kProgramCaption,
                QStringLiteral("%1\nを開くﾌﾟﾛｸﾞﾗﾑを起動できませんでした").arg(path));
  };
  if (Hook()) {
    if (!Hook()(path)) tell();
    return;
  }
  // xdg-open chooses by the file's content where its name says nothing (a queued ".tmp" mail
  // opens in the text editor), and its exit status says whether anything could open it.
  const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (opener.isEmpty()) {
    tell();
    return;
  }
  // Owned by nobody: closing the window must not end the program the user is working in.
  auto* process = new QProcess;
  process->setProgram(opener);
  process->setArguments({path});
  process->setStandardOutputFile(QProcess::nullDevice());
  QObject::connect(process, &QProcess::finished, process,
                   [process, tell](int code, QProcess::ExitStatus status) {
                     process->deleteLater();
                     if (status != QProcess::NormalExit || code != 0) tell();
                   });
  QObject::connect(process, &QProcess::errorOccurred, process,
                   [process, tell](QProcess::ProcessError error) {
                     if (error != QProcess::FailedToStart) return;
                     process->deleteLater();
                     tell();
                   });
  process->start();
}

void SetDesktopHookForTesting(std::function<bool(const QString&)> hook) {
  Hook() = std::move(hook);
}

}  // namespace tarnwick
