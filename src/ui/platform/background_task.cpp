#include "ui/platform/background_task.h"

#include <QCoreApplication>
#include <QRunnable>
#include <QThreadPool>
#include <condition_variable>
#include <mutex>

namespace tarnwick {
namespace {

// Never destroyed: the program's end does not wait for a fetch still waiting on its server.
// Roomy, so that a count never queues behind a run that waits on the network.
QThreadPool& Pool() {
  static QThreadPool* pool = [] {
    auto* created = new QThreadPool;
    created->setMaxThreadCount(16);
    return created;
  }();
  return *pool;
}

int liveTasks = 0;  // started and not yet ended, on the windows' thread

}  // namespace

struct BackgroundTask::State {
  StopSignal stop;
  std::mutex mutex;
  std::condition_variable returned;
  bool hasReturned = false;
};

class BackgroundTask::Runner final : public QRunnable {
 public:
  Runner(BackgroundTask& task, Work work)
      : task_(task), state_(task.state_), work_(std::move(work)) {}

  void run() override {
    {
      Context context(task_, state_->stop);
      work_(context);
      work_ = nullptr;  // the copies it holds go before the end is told
    }
    {
      const std::lock_guard<std::mutex> hold(state_->mutex);
      state_->hasReturned = true;
    }
    state_->returned.notify_all();
    // The last thing posted to the task: it deletes itself once it has been told.
    BackgroundTask* task = &task_;
    QMetaObject::invokeMethod(
        task, [task] { task->End(); }, Qt::QueuedConnection);
  }

 private:
  BackgroundTask& task_;
  std::shared_ptr<State> state_;
  Work work_;
};

void BackgroundTask::Context::Post(std::function<void()> step) {
  BackgroundTask* task = &task_;
  QMetaObject::invokeMethod(
      task, [task, step = std::move(step)]() mutable { task->Deliver(std::move(step)); },
      Qt::QueuedConnection);
}

BackgroundTask::BackgroundTask(QObject* owner) : owner_(owner), state_(std::make_shared<State>()) {}

BackgroundTask* BackgroundTask::Start(QObject* owner, Work work, std::function<void()> done) {
  auto* task = new BackgroundTask(owner);
  task->done_ = std::move(done);
  ++liveTasks;
  auto* runner = new Runner(*task, std::move(work));
  runner->setAutoDelete(true);
  Pool().start(runner);
  return task;
}

void BackgroundTask::Stop() {
  state_->stop.Request();
}

bool BackgroundTask::Wait(int milliseconds) {
  std::unique_lock<std::mutex> hold(state_->mutex);
  const auto hasReturned = [this] { return state_->hasReturned; };
  if (milliseconds < 0) {
    state_->returned.wait(hold, hasReturned);
    return true;
  }
  return state_->returned.wait_for(hold, std::chrono::milliseconds(milliseconds), hasReturned);
}

void BackgroundTask::Deliver(std::function<void()> step) {
  if (owner_) step();
}

void BackgroundTask::End() {
  --liveTasks;
  if (owner_ && done_) done_();
  deleteLater();
}

void WaitForBackgroundWork() {
  while (liveTasks > 0) {
    Pool().waitForDone();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
  }
}

}  // namespace tarnwick
