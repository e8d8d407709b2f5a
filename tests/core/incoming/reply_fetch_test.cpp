#include "core/incoming/reply_fetch.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Before any server is asked: the folder the replies go to.
FetchReport FetchWithoutServer(const fs::path& box) {
  return FetchReplies(IncomingSettings(), box.string(), MailingListRegister(),
                      [](std::string_view) { return false; });
}

TEST(ReplyFolderTest, ALinkInPlaceOfTheRepliesFolderIsNeverWrittenThrough) {
  testing::TempDir dir;
  fs::create_directories(dir / "box");
  fs::create_directories(dir / "elsewhere");
  fs::permissions(dir / "elsewhere",
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
  fs::create_directory_symlink(dir / "elsewhere", dir / "box" / ".replies");
  const FetchReport report = FetchWithoutServer(dir / "box");
  EXPECT_NE(report.failure.find("を作れません"), std::string::npos) << report.failure;
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  EXPECT_NE(fs::status(dir / "elsewhere").permissions() & fs::perms::others_read, fs::perms::none)
      << "the link's target keeps its mode";
}

TEST(ReplyFolderTest, ScratchFilesLeftByAKilledFetchAreRemovedFreshOnesKept) {
  testing::TempDir dir;
  const fs::path replies = dir / "box" / ".replies";
  const fs::path stale = replies / ".1000-7.eml.a1B2c3";
  const fs::path fresh = replies / ".1000-8.eml.d4E5f6";
  const fs::path reply = replies / "1000-6.eml";
  for (const fs::path& file : {stale, fresh, reply})
    testing::WriteFile(file, "x");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(stale, old);
  fs::last_write_time(reply, old);
  EXPECT_EQ(FetchWithoutServer(dir / "box").failure, "受信ｻｰﾊﾞｰが設定されていません");
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(fresh)) << "it may be another fetch's, under way";
  EXPECT_TRUE(fs::exists(reply));
}

// An IMAP server on this machine for one session: it greets, takes any login, examines a folder
// of UIDVALIDITY 7 holding the mail of UID 5, and answers each FETCH as `fetched` says.
class ImapScript {
 public:
  using Answer = std::function<std::string(const std::string& command)>;

  explicit ImapScript(Answer fetched) : fetched_(std::move(fetched)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool listening =
        bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        listen(listener_, 1) == 0 &&
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    EXPECT_TRUE(listening);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ImapScript() {
    shutdown(listener_, SHUT_RDWR);  // ends an accept no client came to
    thread_.join();
    close(listener_);
  }
  ImapScript(const ImapScript&) = delete;
  ImapScript& operator=(const ImapScript&) = delete;

  FetchReport Fetch(const fs::path& box) const {
    IncomingSettings settings;
    settings.server = "127.0.0.1";
    settings.port = port_;
    settings.security = SmtpSecurity::None;
    settings.user = "admin";
    settings.password = "secret";
    MailingListRegister lists;
    auto list = std::make_unique<MailingList>();
    list->Address = "fml@example.jp";
    lists.Insert(std::move(list));
    return FetchReplies(settings, box.string(), lists, [](std::string_view) { return false; });
  }

 private:
  static bool ReadLine(int client, std::string& pending, std::string& line) {
    std::size_t end = 0;
    while ((end = pending.find("\r\n")) == std::string::npos) {
      char bytes[4096];
      const ssize_t got = recv(client, bytes, sizeof bytes, 0);
      if (got <= 0) return false;
      pending.append(bytes, static_cast<std::size_t>(got));
    }
    line = pending.substr(0, end);
    pending.erase(0, end + 2);
    return true;
  }
  static void Send(int client, const std::string& text) {
    (void)!send(client, text.data(), text.size(), MSG_NOSIGNAL);
  }

  void Serve() {
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    Send(client, "* OK ready\r\n");
    std::string pending;
    for (std::string line; ReadLine(client, pending, line);) {
      const std::string tag = line.substr(0, line.find(' '));
      const std::string command = line.substr(std::min(line.size(), tag.size() + 1));
      std::string answer;
      if (command.starts_with("AUTHENTICATE")) {
        Send(client, "+\r\n");
        if (!ReadLine(client, pending, line)) break;
      } else if (command.starts_with("EXAMINE")) {
        answer = "* OK [UIDVALIDITY 7] ok\r\n";
      } else if (command.starts_with("UID SEARCH")) {
        answer = "* SEARCH 5\r\n";
      } else if (command.starts_with("UID FETCH")) {
        answer = fetched_(command);
      }
      Send(client, answer + tag + " OK done\r\n");
    }
    close(client);
  }

  Answer fetched_;
  int listener_ = -1;
  std::uint32_t port_ = 0;
  std::thread thread_;
};

// The answer to the fetch of the senders: UID 5 is from the list's server, of this size.
std::string Senders(const std::string& size) {
  const std::string fields = "From: fml@example.jp\r\n\r\n";
  return "* 1 FETCH (UID 5 RFC822.SIZE " + size + " BODY[HEADER.FIELDS (FROM REPLY-TO)] {" +
         std::to_string(fields.size()) + "}\r\n" + fields + ")\r\n";
}

std::string StateOf(const fs::path& box) {
  return fs::exists(box / ".replies" / ".imap-state")
             ? testing::ReadFile(box / ".replies" / ".imap-state")
             : std::string("none");
}

// A reply the server does not hand over, whatever it sends instead, is read again next time:
// the position never moves past a reply not kept.
TEST(ReplyFetchTest, APositionNeverMovesPastAReplyNotKept) {
  const std::string notGiven = "受信ｻｰﾊﾞｰから返信(UID 5)を受け取れません";
  const struct {
    std::string instead;
    std::string failure;
  } withheld[] = {
      {"", notGiven},                                          // nothing at all
      {"* 1 FETCH (UID 6 BODY[] {4}\r\nmine)\r\n", notGiven},  // another mail than asked
      // a size past any number: the session gives the server up
      {"* 1 FETCH (UID 5 BODY[] {99999999999999999999999}\r\n", "受信ｻｰﾊﾞｰとの接続が切れました"},
  };
  for (const auto& [instead, failure] : withheld) {
    testing::TempDir dir;
    fs::create_directories(dir / "box");
    const ImapScript server([&](const std::string& command) {
      return command.find("BODY.PEEK[]") != std::string::npos ? instead : Senders("30");
    });
    const FetchReport report = server.Fetch(dir / "box");
    EXPECT_EQ(report.failure, failure) << instead;
    EXPECT_EQ(report.kept, 0u);
    EXPECT_EQ(StateOf(dir / "box"), "none") << instead;
    EXPECT_FALSE(fs::exists(dir / "box" / ".replies" / "7-5.eml")) << "nothing kept in its name";
  }
}

// A reply larger than any is passed over by its size, never asked for: the fetch goes on.
TEST(ReplyFetchTest, AReplyTooLargeIsPassedOverByItsSize) {
  testing::TempDir dir;
  fs::create_directories(dir / "box");
  std::atomic<bool> bodyAsked = false;
  const ImapScript server([&](const std::string& command) {
    if (command.find("BODY.PEEK[]") == std::string::npos)
      return Senders(std::to_string(kMaxFetchedMailBytes + 1));
    bodyAsked = true;
    return std::string();  // as a server's reply past what a literal may hold is left out
  });
  const FetchReport report = server.Fetch(dir / "box");
  EXPECT_EQ(report.failure, "");
  EXPECT_EQ(report.read, 1u);
  EXPECT_EQ(report.tooLarge, 1u);
  EXPECT_EQ(report.kept, 0u);
  EXPECT_FALSE(bodyAsked);
  EXPECT_EQ(StateOf(dir / "box"), "7 5\n");
}

}  // namespace
}  // namespace tarnwick
