// Command mails as the real Majordomo 1.94.5 and fml 4.0 take them, through the list-server kit.
#include <gtest/gtest.h>

#include <fstream>

#include "core/compose/command_mail.h"
#include "core/compose/fml_line.h"
#include "core/config/majordomo_config.h"
#include "core/platform/text_codec.h"
#include "support/list_server_kit.h"
#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::ListServerKit;

class ListServers : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    kit_ = ListServerKit::FromEnvironment(TARNWICK_LISTSERVER, TARNWICK_LISTSERVER_DIR, reason);
    if (!kit_) GTEST_SKIP() << reason;
  }

  // Composes the command for the kit's list of that kind and delivers it to a fresh list.
  std::string Send(ServerKind kind, CommandId id, const CommandInput& input) {
    std::string mail;
    const ComposeResult composed = BuildMail(id, kit_->List(kind), input, mail);
    EXPECT_EQ(composed.status, ComposeStatus::Composed) << composed.reason;
    kit_->Reset(kind);
    return kit_->Deliver(kind, mail);
  }

  std::string FileOf(ServerKind kind, std::string_view key) const {
    return testing::FileText(kit_->State(kind, key));
  }

  std::optional<ListServerKit> kit_;
  testing::TempDir dir_;
};

bool Alerted(const std::string& replies) {
  return replies.find("Subject: Security Alert") != std::string::npos ||
         replies.find("ignore too long command") != std::string::npos;
}

// Our copy of fml's line check decides exactly as fml does: a line it lets through is run, a
// line it refuses would have set off fml's alert.
TEST_F(ListServers, FmlRunsExactlyTheLinesOurCheckLetsThrough) {
  const std::string lines[] = {
      "# admin add a+tag@example.org",
      "# admin add o'brien@example.org",
      "# admin add a!b@example.org",
      "# admin add a$b@example.org",
      "# admin add a&b@example.org",
      "# admin add a=b@example.org",
      "# admin add a%b@example.org",
      "# admin add \"a\"@example.org",
      "# admin add Name <n@example.org>",
      "# admin add \x8E\x52\x93\x63@example.org",  // 山田 in Shift_JIS
      "# admin add " + std::string(110, 'a') + "@example.org",
      "# admin get spool/1",
      "# admin get ../guide",
      "# admin get /etc/passwd",
      "# admin get a/b/c",
      "# admin get guide;ls",
      "# admin ls -l *",
      "# admin unlink-article 1;2",
      "# admin passwd new!pass",
      "# admin passwd te*st?",
      "# admin initpass a1@example.net x[y]",
      "# admin matome a1@example.net 3u",
  };
  const MailingList list = kit_->List(ServerKind::Fml);
  for (const std::string& line : lines) {
    kit_->Reset(ServerKind::Fml);
    const std::string replies = kit_->Deliver(
        ServerKind::Fml, "From: " + list.Admin + "\r\nTo: " + list.Address +
                             "\r\n\r\n# admin pass " + list.Password + "\r\n" + line + "\r\n");
    EXPECT_EQ(Alerted(replies), CheckFmlLine(line).has_value()) << line << "\n" << replies;
  }
}

// Majordomo's own configuration file is read and written back without a byte changed, and a
// changed key touches its own lines only.
TEST_F(ListServers, MajordomosOwnConfigurationRoundTrips) {
  kit_->Reset(ServerKind::Majordomo);
  const std::string original = FileOf(ServerKind::Majordomo, "config");
  ASSERT_FALSE(original.empty());
  const std::filesystem::path copy = dir_ / "testlist.config";
  std::ofstream(copy, std::ios::binary) << original;
  MajordomoConfig config;
  ASSERT_TRUE(config.Load(copy));
  EXPECT_EQ(config.value("subscribe_policy").text, "open+confirm");
  int error = 0;
  ASSERT_EQ(config.Save(error), ConfigSave::Saved);
  EXPECT_EQ(testing::FileText(copy.string()), original);
  config.value("maxlength").number = 12345;
  ASSERT_EQ(config.Save(error), ConfigSave::Saved);
  const std::string changed = testing::FileText(copy.string());
  const std::size_t at = original.find("\nmaxlength ");
  ASSERT_NE(at, std::string::npos);
  const std::size_t end = original.find('\n', at + 1);
  EXPECT_EQ(changed,
            original.substr(0, at + 1) + "maxlength           =   12345" + original.substr(end));
}

// What the sheet writes, Majordomo takes as the same values: sent with newconfig, rewritten by
// Majordomo's own writer, and read back here.
TEST_F(ListServers, BlocksReachMajordomoAsWritten) {
  kit_->Reset(ServerKind::Majordomo);
  const std::filesystem::path file = dir_ / "testlist.config";
  std::ofstream(file, std::ios::binary) << FileOf(ServerKind::Majordomo, "config");
  MajordomoConfig config;
  ASSERT_TRUE(config.Load(file));
  // ("END" as an element is left out: Majordomo's own writer would end its block there.)
  config.value("message_footer").text =
      "-- \r\n-\r\n- x\r\n\r\n  indented\r\nEOF\r\n# not a comment\r\nend\r\n";
  config.value("description").text = "\x8A\x4A\x94\xAD\x97\x70 list";  // 開発用
  int error = 0;
  ASSERT_EQ(config.Save(error), ConfigSave::Saved);

  CommandInput input;
  input.choice = 1;
  input.file = file.string();
  std::string mail;
  ASSERT_EQ(BuildMail(ID_CONFIG_PLATE, kit_->List(ServerKind::Majordomo), input, mail).status,
            ComposeStatus::Composed);
  const std::string replies = kit_->Deliver(ServerKind::Majordomo, mail);
  ASSERT_NE(replies.find("New config for list testlist accepted."), std::string::npos) << replies;
  EXPECT_EQ(replies.find("not recognized"), std::string::npos) << "no line ran as a command";
  const MailingList list = kit_->List(ServerKind::Majordomo);
  kit_->Deliver(ServerKind::Majordomo, "From: " + list.Admin + "\r\nTo: " + list.Address +
                                           "\r\n\r\nwriteconfig testlist " + list.Password +
                                           "\r\nend\r\n");
  MajordomoConfig stored;
  ASSERT_TRUE(stored.Load(kit_->State(ServerKind::Majordomo, "config")));
  EXPECT_EQ(stored.value("message_footer").text,
            "--\r\n-\r\n- x\r\n\r\n  indented\r\nEOF\r\n# not a comment\r\nend\r\n");
  EXPECT_EQ(stored.value("description").text, config.value("description").text);
}

// The body of the one reply in raw replies, read as a Japanese mail program reads it: by its
// charset label, and unlabelled 7-bit text as ISO-2022-JP.
std::string MemberReads(const std::string& raw) {
  const std::size_t start = raw.find("\n\n");
  const std::size_t end = raw.find("\n==== listserver end");
  if (start == std::string::npos || end == std::string::npos) return {};
  const std::string body = raw.substr(start + 2, end - start - 2);
  const bool labelled = raw.find("charset=") != std::string::npos;
  const bool iso2022jp = raw.find("charset=iso-2022-jp") != std::string::npos;
  if (labelled && !iso2022jp) return {};
  return ToUtf8(body, Encoding::Iso2022Jp).value_or("(undecodable)");
}

// A list text in any of the encodings an administrator saves reaches a member who asks for it
// as it was written.
TEST_F(ListServers, JapaneseTextReachesMembersAsWritten) {
  const std::string utf8 = "開発MLへようこそ。\n質問は〜管理者まで\nｶﾀｶﾅもOK\n";
  const std::string read = "開発MLへようこそ。\n質問は〜管理者まで\nカタカナもOK\n";
  const std::string cp932 = Utf8ToCp932(utf8).text;
  const std::string files[] = {cp932, utf8, "\xEF\xBB\xBF" + utf8,
                               "\x1B$B3+H/\x1B(BML\x1B$B$X$h$&$3$=!#\x1B(B\n"
                               "\x1B$B<ALd$O!A4IM}<T$^$G\x1B(B\n\x1B$B%+%?%+%J$b\x1B(BOK\n"};
  for (ServerKind kind : {ServerKind::Majordomo, ServerKind::Fml}) {
    const MailingList list = kit_->List(kind);
    for (const std::string& bytes : files) {
      const std::filesystem::path file = dir_ / "text.txt";
      std::ofstream(file, std::ios::binary) << bytes;
      CommandInput input;
      input.file = file.string();
      std::string replies =
          Send(kind, kind == ServerKind::Fml ? ID_NEWGUIDE_PLATE : ID_NEWINFO_PLATE, input);
      ASSERT_FALSE(Alerted(replies)) << replies;
      const std::string request = kind == ServerKind::Fml ? "guide\n" : "info testlist\nend\n";
      replies =
          kit_->Deliver(kind, "From: a1@example.net\nTo: " + list.Address + "\n\n" + request, true);
      EXPECT_NE(MemberReads(replies).find(read), std::string::npos) << ServerKindName(kind) << ":\n"
                                                                    << replies;
    }
  }
}

struct Accepted {
  const char* name;
  ServerKind kind;
  CommandId id;
  CommandInput input;
  const char* reply;  // what the server answers when it did the command
};

void PrintTo(const Accepted& row, std::ostream* out) {
  *out << row.name;
}

CommandInput Input(void (*fill)(CommandInput&)) {
  CommandInput input;
  fill(input);
  return input;
}

const Accepted kAccepted[] = {
    {"majordomo_subscribe", ServerKind::Majordomo, ID_SUBSCRIBE_PLATE, Input([](CommandInput& i) {
       i.addresses = {"new@example.org", "o'brien@example.org"};
     }),
     "Succeeded.\n>>>> approve adminpw subscribe testlist o'brien@example.org\nSucceeded."},
    {"majordomo_members",
     ServerKind::Majordomo,
     ID_MEMBERS_PLATE,
     {},
     "Members of list 'testlist':"},
    // "#" starts no comment in a command line: the new password works as typed.
    {"majordomo_passwd_with_hash", ServerKind::Majordomo, ID_NEWPASSWORD_PLATE,
     Input([](CommandInput& i) { i.newPassword = "adm#1n"; }), "Password changed."},
    {"majordomo_config", ServerKind::Majordomo, ID_CONFIG_PLATE, {}, "majordomo mailing list"},
    {"fml_add", ServerKind::Fml, ID_SUBSCRIBE_PLATE,
     Input([](CommandInput& i) { i.addresses = {"new+tag@example.org"}; }),
     "is added to the member list"},
    {"fml_add_slash", ServerKind::Fml, ID_SUBSCRIBE_PLATE,
     Input([](CommandInput& i) { i.addresses = {"a/b@example.org"}; }),
     "is added to the member list"},
    {"fml_bye", ServerKind::Fml, ID_UNSUBSCRIBE_PLATE,
     Input([](CommandInput& i) { i.addresses = {"a1@example.net"}; }), "BYE [a1@example.net]"},
    {"fml_chaddr", ServerKind::Fml, ID_CHADDR_PLATE, Input([](CommandInput& i) {
       i.oldValue = "a1@example.net";
       i.newValue = "b1@example.net";
     }),
     "CHADDR [a1@example.net]  accepted."},
    {"fml_matome", ServerKind::Fml, ID_MATOME_PLATE, Input([](CommandInput& i) {
       i.address = "a1@example.net";
       i.mode = "3u";
     }),
     "MATOME [a1@example.net] 3u accepted."},
    {"fml_passwd", ServerKind::Fml, ID_NEWPASSWORD_PLATE,
     Input([](CommandInput& i) { i.newPassword = "te*st?"; }), "TRY CHANGING PASSWORD"},
    {"fml_get_spool_article", ServerKind::Fml, ID_FILEGET_PLATE,
     Input([](CommandInput& i) { i.file = "spool/1"; }), ">>> admin get spool/1"},
    {"fml_unlink", ServerKind::Fml, ID_UNLINK_PLATE,
     Input([](CommandInput& i) { i.article = "1"; }), "admin unlink-article 1 in spool"},
    {"fml_log", ServerKind::Fml, ID_LOG_PLATE, Input([](CommandInput& i) { i.count = 1; }),
     ">>> admin log -1"},
};

class ServersAccept : public ListServers, public ::testing::WithParamInterface<Accepted> {};

TEST_P(ServersAccept, WhatIsComposed) {
  const Accepted& row = GetParam();
  kit_->Reset(row.kind);
  const std::string logBefore = FileOf(row.kind, "log");
  const std::string replies = Send(row.kind, row.id, row.input);
  EXPECT_NE(replies.find(row.reply), std::string::npos) << replies;
  EXPECT_FALSE(Alerted(replies)) << replies;
  // Replies are tied to our mails by the subject (Majordomo echoes it) and the Message-ID (fml
  // refers to it, and logs every mail without one).
  EXPECT_NE(
      replies.find(row.kind == ServerKind::Fml ? "References: <" : "Subject: Majordomo results: "),
      std::string::npos)
      << replies;
  if (row.kind == ServerKind::Fml) {
    const std::string log = FileOf(ServerKind::Fml, "log");
    ASSERT_TRUE(log.starts_with(logBefore));
    EXPECT_EQ(log.find("Invalid Message-Id", logBefore.size()), std::string::npos) << log;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, ServersAccept, ::testing::ValuesIn(kAccepted),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnwick
