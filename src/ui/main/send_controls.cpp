#include "ui/main/send_controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "core/compose/queue_folder.h"
#include "core/compose/queue_reader.h"
#include "core/store/common_settings.h"
#include "ui/delivery/send_run.h"
#include "ui/platform/modal.h"
#include "ui/platform/named_widgets.h"
#include "ui/platform/qt_text.h"

namespace tarnwick {

SendControls::SendControls()
    : createButton_(NamedButton(QStringLiteral("作成(&C)"), "createButton")),
      createdButton_(NamedButton(QStringLiteral("編集(&V)"), "createdButton")),
      sendButton_(NamedButton(QStringLiteral("送信(&T)"), "sendButton")),
      progress_(new QProgressBar),
      // Shown while a run is under way: the mail in flight is finished or left queued.
      stopButton_(NamedButton(QStringLiteral("中止"), "stopButton")),
      countLabel_(NamedLabel(QStringLiteral("作成済ﾒｰﾙ数"), "countLabel")),
      countText_(NamedLabel(QStringLiteral("0/0"), "countText")),
      failedText_(NamedLabel(QString(), "failedText")),
      heldText_(NamedLabel(QString(), "heldText")) {
  for (QPushButton* button : {createButton_, createdButton_, sendButton_})
    button->setEnabled(false);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->hide();
  stopButton_->hide();
  // Their room is kept while they are hidden, so the columns don't jump when a run starts.
  for (QWidget* shownWhileSending :
       {static_cast<QWidget*>(progress_), static_cast<QWidget*>(stopButton_)}) {
    QSizePolicy policy = shownWhileSending->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    shownWhileSending->setSizePolicy(policy);
  }
  connect(stopButton_, &QPushButton::clicked, this, &SendControls::Stop);
  failedText_->setStyleSheet(QStringLiteral("color: #b00000"));
  failedText_->hide();
  heldText_->hide();

  auto* controls = new QHBoxLayout(this);
  controls->setContentsMargins(0, 0, 0, 0);
  for (QPushButton* button : {createButton_, createdButton_, sendButton_})
    controls->addWidget(button);
  controls->addWidget(progress_, 1);
  controls->addWidget(stopButton_);
  controls->addStretch();
  controls->addWidget(countLabel_);
  controls->addWidget(countText_);
  controls->addWidget(new QLabel(QStringLiteral("通")));
  controls->addWidget(failedText_);
  controls->addWidget(heldText_);
}

SendControls::~SendControls() = default;

void SendControls::SetTotal(int total) {
  total_ = total;
  sendButton_->setEnabled(total_ != 0 && !sending());
}

void SendControls::ShowSelected(int queued) {
  createdButton_->setEnabled(queued > 0);
  if (sending()) return;  // the count shows the run's progress meanwhile
  // Without a list, the mails queued for all of them.
  countText_->setText(queued >= 0 ? QStringLiteral("%1/%2").arg(queued).arg(total_)
                                  : QString::number(total_));
}

void SendControls::ShowFailed(int failed) {
  failedText_->setText(QStringLiteral("失敗 %1通").arg(failed));
  failedText_->setVisible(failed != 0);
}

void SendControls::ShowHeld(int held) {
  heldText_->setText(QStringLiteral("保留 %1通").arg(held));
  heldText_->setVisible(held != 0);
}

void SendControls::ShowCount(int count) {
  countText_->setText(QStringLiteral("%1/%2").arg(count).arg(total_));
}

bool SendControls::Start(const SettingsStore& store, const MailQueue& queue,
                         const MailingListRegister& lists) {
  const CommonSettings settings = CommonSettings::Load(store);
  const MailerKind kind = ToMailerKind(settings.Number(kMailer));
  destination_ = kind == MailerKind::DirectSmtp ? QStringLiteral("%1:%2")
                                                      .arg(FromCp932(settings.Text(kSmtpServer)))
                                                      .arg(settings.Number(kSmtpPort))
                                                : FromCp932(settings.Text(kMailerPath));
  if (kind == MailerKind::DirectSmtp) {
    if (const Refusal missing = CheckSmtpSettings(settings)) {
      ShowMessage(window(), kProgramCaption, QString::fromStdString(*missing));
      return false;
    }
  }
  LockAttempt lock = DeliveryLock::TryAcquire(queue.mailBox());
  if (!lock.lock) {
    ShowMessage(window(), kProgramCaption,
                lock.busy ? QStringLiteral("別のTarnwickがﾒｰﾙを送信中です")
                          : QString::fromStdString(lock.failure));
    return false;
  }
  sentSoFar_ = 0;
  failed_ = 0;
  progress_->setRange(0, total_);
  progress_->setValue(0);
  progress_->show();
  countLabel_->setText(QStringLiteral("送信済ﾒｰﾙ数"));
  ShowCount(0);
  run_ = std::make_unique<SendRun>(store, kind, CollectQueue(queue.mailBox(), lists),
                                   std::move(*lock.lock));
  connect(run_.get(), &SendRun::mailDelivered, this, &SendControls::Delivered);
  connect(run_.get(), &SendRun::runEnded, this, &SendControls::RunEnded);
  connect(run_.get(), &SendRun::finished, this, &SendControls::RunFinished);
  sendButton_->setEnabled(false);
  stopButton_->setEnabled(true);
  stopButton_->show();
  return true;
}

void SendControls::Stop() {
  if (!sending()) return;
  run_->Stop();
  stopButton_->setEnabled(false);
}

void SendControls::Delivered() {
  ++sentSoFar_;
  ShowCount(sentSoFar_);
  progress_->setValue(sentSoFar_);
}

void SendControls::RunEnded() {
  progress_->hide();
  countLabel_->setText(QStringLiteral("作成済ﾒｰﾙ数"));
}

void SendControls::RunFinished() {
  const QString report = run_->report();
  failed_ = run_->failed();
  run_.reset();
  stopButton_->hide();
  emit finished(report);
}

QString SendControls::Outcome() const {
  return QStringLiteral(
             "送信先: %1\n送信したﾒｰﾙ: %2通\n送信できなかったﾒｰﾙ: %3通\n送信していないﾒｰﾙ: %4通 "
             "(作成済ﾒｰﾙに残っています)")
      .arg(destination_)
      .arg(sentSoFar_)
      .arg(failed_)
      .arg(total_);
}

}  // namespace tarnwick
