#include "ui/platform/background_task.h"

#include <QSignalSpy>
#include <QtTest>
#include <atomic>
#include <memory>
#include <vector>

namespace tarnwick {

class BackgroundTaskTest : public QObject {
  Q_OBJECT

 private slots:
  // Progress comes in the order it was posted, on the owner's thread, and the end once after it.
  void progressThenTheEndOnTheOwnersThread() {
    QObject owner;
    std::vector<int> told;
    int ends = 0;
    bool onOwnersThread = true;
    BackgroundTask::Start(
        &owner,
        [&owner, &told, &onOwnersThread](BackgroundTask::Context& context) {
          for (int step = 1; step <= 3; ++step) {
            context.Post([&owner, &told, &onOwnersThread, step] {
              onOwnersThread = onOwnersThread && QThread::currentThread() == owner.thread();
              told.push_back(step);
            });
          }
        },
        [&] {
          told.push_back(0);
          ++ends;
        });
    QTRY_COMPARE(ends, 1);
    QCOMPARE(told, (std::vector<int>{1, 2, 3, 0}));
    QVERIFY(onOwnersThread);
    WaitForBackgroundWork();
    QCOMPARE(ends, 1);
  }

  // The stop flag reaches the work; Wait returns once the work has let go of its copies.
  void stopsWhenAskedAndLetsGoOfItsCopies() {
    QObject owner;
    auto copy = std::make_shared<int>(1);
    std::weak_ptr<int> watched = copy;
    std::atomic<bool> started{false};
    BackgroundTask* task =
        BackgroundTask::Start(&owner,
                              [copy = std::move(copy), &started](BackgroundTask::Context& context) {
                                started = true;
                                while (!context.stopRequested())
                                  QThread::yieldCurrentThread();
                              },
                              {});
    QVERIFY(!task->Wait(50));  // still running: nobody asked it to stop
    task->Stop();
    QVERIFY(task->Wait());
    QVERIFY(started);
    QVERIFY(watched.expired());
    WaitForBackgroundWork();
  }

  // An owner that is gone is told nothing; the work ends by itself.
  void anOwnerThatIsGoneIsToldNothing() {
    auto owner = std::make_unique<QObject>();
    bool told = false;
    std::atomic<bool> release{false};
    BackgroundTask::Start(
        owner.get(),
        [&release, &told](BackgroundTask::Context& context) {
          while (!release)
            QThread::yieldCurrentThread();
          context.Post([&told] { told = true; });
        },
        [&told] { told = true; });
    owner.reset();
    release = true;
    WaitForBackgroundWork();
    QVERIFY(!told);
  }
};

}  // namespace tarnwick

QTEST_MAIN(tarnwick::BackgroundTaskTest)
#include "background_task_test.moc"
