// The windows' one way to work in the background: the work runs on a thread of the windows'
// pool, on copies it was given, and tells its owner of its progress and, once, of its end, on the
// owner's thread. An owner that is gone is told nothing; the work it started ends by itself.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "core/delivery/stop_signal.h"

namespace tarnwick {

class BackgroundTask final : public QObject {
 public:
  // What the work is handed on its thread.
  class Context {
   public:
    StopSignal& stop() { return stop_; }
    bool stopRequested() const { return stop_.requested(); }
    // Runs `step` on the owner's thread, after what was posted before it, while the owner lives.
    void Post(std::function<void()> step);

   private:
    friend class BackgroundTask;
    Context(BackgroundTask& task, StopSignal& stop) : task_(task), stop_(stop) {}
    BackgroundTask& task_;
    StopSignal& stop_;
  };
  using Work = std::function<void(Context&)>;

  // Starts `work`; `done` runs once on the owner's thread after the work has returned and let go
  // of what it holds. The task deletes itself after that; the owner may keep the pointer until
  // `done` runs.
  static BackgroundTask* Start(QObject* owner, Work work, std::function<void()> done);

  // Asks the work to end early; it looks at the flag when it can.
  void Stop();
  // Waits up to `milliseconds` (forever when negative) for the work to return; true when it has.
  bool Wait(int milliseconds = -1);

 private:
  struct State;
  class Runner;
  explicit BackgroundTask(QObject* owner);
  void Deliver(std::function<void()> step);
  void End();

  QPointer<QObject> owner_;
  std::shared_ptr<State> state_;
  std::function<void()> done_;
};

// For tests: returns once every background task started so far, and those their ends start,
// has ended and told its owner.
void WaitForBackgroundWork();

}  // namespace tarnwick
