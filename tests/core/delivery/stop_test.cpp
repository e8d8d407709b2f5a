// Stopping a delivery run: prompt on a silent server, never in the middle of a mail.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

#include "core/delivery/smtp_delivery.h"
#include "support/smtp_test_server.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using Clock = std::chrono::steady_clock;
using testing::WriteFile;

constexpr char kMail[] = "From: admin@example.jp\r\nTo: fml@example.jp\r\n\r\n# admin members\r\n";

// A server that takes connections and never says a word.
class SilentServer {
 public:
  SilentServer() : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(fd_, 4);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() { close(fd_); }
  std::uint32_t port() const { return port_; }

 private:
  int fd_;
  std::uint32_t port_ = 0;
};

class StopTest : public ::testing::Test {
 protected:
  void Queue(int count) {
    for (int i = 1; i <= count; ++i) {
      const auto path = dir_ / ("RXV" + std::to_string(i) + ".tmp");
      WriteFile(path, kMail);
      mails_.push_back({false, path});
    }
  }

  // Runs the delivery on another thread, asks it to stop after `after`, and says how long the
  // run took in all.
  std::chrono::milliseconds RunAndStop(std::uint32_t port, std::chrono::milliseconds after) {
    SmtpSettings settings;
    settings.server = "127.0.0.1";
    settings.port = port;
    settings.heloName = "client.example.jp";  // default timeouts: minutes
    const Clock::time_point start = Clock::now();
    std::future<void> run = std::async(std::launch::async, [&] {
      SmtpDelivery(
          mails_, settings, ConnectToServer, [](QueuedMail&) {}, report_, &stop_);
    });
    std::this_thread::sleep_for(after);
    stop_.Request();
    run.get();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  }

  testing::TempDir dir_;
  std::vector<QueuedMail> mails_;
  DeliveryReport report_;
  StopSignal stop_;
};

TEST_F(StopTest, ASilentServerIsLeftAtOnce) {
  Queue(2);
  SilentServer server;
  const auto took = RunAndStop(server.port(), std::chrono::milliseconds(200));
  EXPECT_LT(took, std::chrono::seconds(5)) << "not the five minutes of the greeting's wait";
  EXPECT_EQ(report_.runFailure, kStoppedText);
  EXPECT_FALSE(mails_[0].delivered || mails_[1].delivered);
}

// The stop comes while the server takes the first mail: that mail is finished, the next is not
// begun, and nothing is left in between.
TEST_F(StopTest, TheMailInFlightIsFinished) {
  Queue(2);
  std::filesystem::create_directories(dir_ / "outbox");
  testing::SmtpTestServer::Options slow;
  slow.delaySeconds = 1.0;
  testing::SmtpTestServer server(dir_ / "outbox", slow);
  ASSERT_TRUE(server.running());
  RunAndStop(server.port(), std::chrono::milliseconds(500));
  EXPECT_TRUE(mails_[0].delivered);
  EXPECT_FALSE(mails_[1].delivered);
  EXPECT_EQ(report_.mailFailures[0], "");
  EXPECT_EQ(report_.runFailure, kStoppedText);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "outbox" / "1.eml"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "outbox" / "2.eml"));
}

}  // namespace
}  // namespace tarnwick
