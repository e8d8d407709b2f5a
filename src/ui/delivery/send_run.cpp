#include "ui/delivery/send_run.h"

#include <algorithm>
#include <memory>

#include "ui/platform/background_task.h"

namespace tarnwick {
namespace {

// Tells the window through posted steps, which reach the run object only while it lives.
class PostingListener final : public DeliveryListener {
 public:
  PostingListener(BackgroundTask::Context& context, SendRun* run) : context_(context), run_(run) {}
  void Delivered(QueuedMail&) override {
    context_.Post([run = run_] { emit run->mailDelivered(); });
  }
  void Ended() override {
    context_.Post([run = run_] { emit run->runEnded(); });
  }

 private:
  BackgroundTask::Context& context_;
  SendRun* run_;
};

}  // namespace

SendRun::SendRun(SettingsStore store, MailerKind kind, std::vector<QueuedMail> mails,
                 DeliveryLock lock, QObject* parent)
    : QObject(parent) {
  auto report = std::make_shared<QString>();
  auto failed = std::make_shared<int>(0);
  auto held = std::make_shared<DeliveryLock>(std::move(lock));
  task_ = BackgroundTask::Start(
      this,
      [this, store = std::move(store), kind, mails = std::move(mails), held, report,
       failed](BackgroundTask::Context& context) mutable {
        PostingListener listener(context, this);
        const DeliveryReport delivered =
            RunDelivery(store, kind, mails, ConnectToServer, listener, &context.stop());
        *report = QString::fromStdString(FormatReport(delivered, mails));
        *failed = static_cast<int>(std::count_if(delivered.mailFailures.begin(),
                                                 delivered.mailFailures.end(),
                                                 [](const std::string& f) { return !f.empty(); }));
        held.reset();
      },
      [this, report, failed] {
        task_ = nullptr;
        report_ = *report;
        failed_ = *failed;
        emit finished();
      });
}

SendRun::~SendRun() {
  // A run never waits on the window, so waiting for it needs no events.
  if (task_ != nullptr) {
    task_->Stop();
    task_->Wait();
  }
}

void SendRun::Stop() {
  if (task_ != nullptr) task_->Stop();
}

}  // namespace tarnwick
