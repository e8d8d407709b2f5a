#include "ui/config/config_sheet.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstring>

#include "core/config/config_keys.h"
#include "core/store/mailing_list.h"
#include "ui/config/config_page.h"
#include "ui/platform/desktop.h"
#include "ui/platform/modal.h"

namespace tarnwick {

CConfigSheet::CConfigSheet(MajordomoConfig& record, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget) {
  setWindowTitle(QStringLiteral("config設定"));
  tabs_->setObjectName(QStringLiteral("pages"));
  for (int page = 0; page < kSheetPages; ++page) {
    pages_.push_back(new CConfigPage(page, record));
    auto* scroll = new QScrollArea;
    scroll->setWidget(pages_.back());
    scroll->setWidgetResizable(true);
    tabs_->addTab(scroll, QStringLiteral("config 設定(%1/%2)").arg(page + 1).arg(kSheetPages));
  }
  connect(tabs_, &QTabWidget::currentChanged, this, &CConfigSheet::OnTabChanged);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(OkCancelButtons(this));
  resize(640, 560);
}

void CConfigSheet::OnTabChanged(int index) {
  if (index == shown_) return;
  // A page that can't be stored (a number field without a number) keeps the display.
  if (!pages_[static_cast<std::size_t>(shown_)]->Store()) {
    const QSignalBlocker quiet(tabs_);
    tabs_->setCurrentIndex(shown_);
    return;
  }
  shown_ = index;
}

void CConfigSheet::accept() {
  if (pages_[static_cast<std::size_t>(shown_)]->Store()) QDialog::accept();
}

void EditConfigFile(ServerKind serverKind, const QString& path, QWidget* parent) {
  if (serverKind != ServerKind::Majordomo) {
    OpenWithDesktop(path, parent);
    return;
  }
  MajordomoConfig record;
  record.Load(QFile::encodeName(path).toStdString());  // unreadable: every field disabled
  CConfigSheet sheet(record, parent);
  if (ExecModal(sheet) != QDialog::Accepted) return;
  int error = 0;
  if (record.Save(error) == ConfigSave::Failed) {
    ShowMessage(parent, kProgramCaption, QString::fromLocal8Bit(std::strerror(error)));
  }
}

}  // namespace tarnwick
