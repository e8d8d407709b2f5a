#include "ui/main/guide_dlg.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace tarnwick {
namespace {

constexpr char kGuideFile[] = "guide.html";

QDialog* MakeGuideWindow(QWidget* parent) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName(QStringLiteral("guideWindow"));
  dialog->setWindowTitle(QStringLiteral("Tarnwick 使い方"));
  auto* browser = new QTextBrowser;
  browser->setObjectName(QStringLiteral("guide"));
  browser->setOpenExternalLinks(true);
  const QString path = GuidePath();
  if (path.isEmpty()) {
    browser->setPlainText(
        QStringLiteral("使い方のﾌｧｲﾙ(%1)が見つかりません。\n%2 か %3 に置いてください")
            .arg(QString::fromLatin1(kGuideFile),
                 QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tarnwick"),
                 QStringLiteral(TARNWICK_DATA_DIR)));
  } else {
    browser->setSource(QUrl::fromLocalFile(path));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(browser);
  layout->addWidget(buttons);
  dialog->resize(560, 520);
  return dialog;
}

}  // namespace

QString GuidePath() {
  for (const QString& folder :
       {QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tarnwick"),
        QStringLiteral(TARNWICK_DATA_DIR)}) {
    const QFileInfo file(folder + QLatin1Char('/') + QString::fromLatin1(kGuideFile));
    if (file.isFile()) return file.canonicalFilePath();
  }
  return {};
}

void ShowGuide(QWidget* parent) {
  auto* dialog = parent->findChild<QDialog*>(QStringLiteral("guideWindow"));
  if (dialog == nullptr) dialog = MakeGuideWindow(parent);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

}  // namespace tarnwick
