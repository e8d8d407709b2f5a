// The 保留ﾒｰﾙ window at scale: from its construction until its items are loaded and shown (its
// table filled, sorted and sized), with the settings store TARNWICK_REGISTRY names. Prints the
// milliseconds and the rows shown. Usage: QT_QPA_PLATFORM=offscreen held_window_benchmark
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTest>
#include <cstdio>

#include "core/store/mailing_list_register.h"
#include "ui/moderation/held_mails_dlg.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const tarnwick::SettingsStore store = tarnwick::SettingsStore::FromEnvironment();
  const tarnwick::MailingListRegister lists = tarnwick::LoadRegister(store);
  QElapsedTimer timer;
  timer.start();
  tarnwick::CHeldMailsDlg window(store, lists, nullptr);
  window.show();
  // Loading ends on the window's own thread: waiting lets its events run.
  if (!QTest::qWaitFor([&] { return !window.loading(); }, 600000)) {
    std::fprintf(stderr, "the window did not load its items\n");
    return 1;
  }
  const qint64 elapsed = timer.elapsed();
  const auto* table = window.findChild<QTableView*>(QStringLiteral("heldItems"));
  std::printf("%lld ms %d rows\n", static_cast<long long>(elapsed),
              table != nullptr ? table->model()->rowCount() : -1);
  return 0;
}
