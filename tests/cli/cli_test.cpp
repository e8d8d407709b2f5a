#include "cli/cli.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "core/compose/queue_folder.h"
#include "core/delivery/delivery_lock.h"
#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"
#include "support/smtp_test_server.h"
#include "support/temp_dir.h"

namespace tarnwick::cli {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  // The default mail box folder is one of the test's own, never the user's.
  CliTest() { setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1); }

  Outcome Cli(std::vector<std::string> args, const std::string& input = "") const {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::Run(args, store_, in, out, err);
    return {status, out.str(), err.str()};
  }

  Outcome AddList(const std::string& title, const std::string& type = "fml") const {
    return Cli({"list-add", "--title", title, "--type", type, "--name", "dev", "--address",
                "fml@example.jp", "--admin", "admin@example.jp"});
  }

  testing::TempDir dir_;
  SettingsStore store_{dir_ / "registry.db"};
};

TEST_F(CliTest, AddedListsAreListedInRegisterOrder) {
  ASSERT_EQ(AddList("開発ML").status, 0);
  ASSERT_EQ(AddList("announce", "Majordomo").status, 0);
  const Outcome lists = Cli({"lists"});
  EXPECT_EQ(lists.status, 0);
  EXPECT_EQ(lists.out,
            "announce\tMajordomo\tdev\tfml@example.jp\tadmin@example.jp\t0\n"
            "開発ML\tFML\tdev\tfml@example.jp\tadmin@example.jp\t0\n");
}

TEST_F(CliTest, ListAddStoresCp932AndEveryField) {
  ASSERT_EQ(Cli({"list-add", "--title", "ソフト", "--type", "fml", "--name", "n", "--address",
                 "a@x", "--admin", "m@ex.jp", "--password", "秘密"})
                .status,
            0);
  const MailingListRegister lists = LoadRegister(store_);
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists.at(0).Title, "\x83\x5C\x83\x74\x83\x67");
  EXPECT_EQ(lists.at(0).Password, "\x94\xE9\x96\xA7");
  EXPECT_EQ(lists.at(0).Type, ServerKind::Fml);
  EXPECT_EQ(lists.at(0).Admin, "m@ex.jp");
}

TEST_F(CliTest, ListsShowTheQueuedCount) {
  ASSERT_EQ(Cli({"settings", "MailBox", dir_.path().string()}).status, 0);
  testing::WriteFile(dir_ / "dev" / "RXV1.tmp", "x");
  ASSERT_EQ(AddList("t").status, 0);
  EXPECT_EQ(Cli({"lists"}).out, "t\tFML\tdev\tfml@example.jp\tadmin@example.jp\t1\n");
}

TEST_F(CliTest, BadArgumentsAreRefusedAndNothingIsStored) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"list-add", "--title", "t"},
      {"list-add", "--title", "t", "--type", "sendmail", "--name", "n", "--address", "a", "--admin",
       "m"},
      {"list-add", "--title", "😀", "--type", "fml", "--name", "n", "--address", "a", "--admin",
       "m"},
      {"list-add", "--title", "t", "--title", "u", "--type", "fml", "--name", "n", "--address", "a",
       "--admin", "m"},
      {"list-add", "--colour", "red"},
      {"list-add", "--title"},
      {"lists", "extra"},
      {"settings", "SMTPPort"},
      {"settings", "SMTPPort", "-1"},
      {"settings", "SMTPPort", "25x"},
      {"settings", "SMTPPort", "4294967296"},
      // what the common-settings dialog can't hold either
      {"settings", "SMTPPort", "70000"},
      {"settings", "SMTPPort", "0"},
      {"settings", "SMTPSecurity", "9"},
      {"settings", "Mailer", "7"},
      {"settings", "DialUp", "2"},
      {"settings", "NoSuchSetting", "1"},
      {"settings", "MailBox", "\xFF"},
      {"settings", "AdminAddress", "admin"},
  };
  for (const auto& args : bad) {
    const Outcome outcome = Cli(args);
    EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args);
    EXPECT_NE(outcome.err.find("tarnwick-cli: "), std::string::npos);
  }
  EXPECT_TRUE(LoadRegister(store_).empty());
  EXPECT_EQ(Cli({"settings"}).out.find("MailBox\t" + (dir_ / "data/tarnwick/mail").string() + "\n"),
            0u);
}

// Commands that only read leave the store byte for byte as it was.
TEST_F(CliTest, ReadingCommandsNeverWriteTheStore) {
  ASSERT_EQ(AddList("開発ML").status, 0);
  ASSERT_EQ(Cli({"settings", "MailBox", dir_.path().string()}).status, 0);
  const std::string before = testing::ReadFile(store_.file());
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"lists"}, {"settings"}, {"queue", "開発ML"}}) {
    EXPECT_EQ(Cli(args).status, 0) << args[0];
  }
  Cli({"send"});  // nothing queued, no server set: it only reads the settings
  EXPECT_EQ(testing::ReadFile(store_.file()), before);
  EXPECT_EQ(
      Cli({"settings", "SMTPPort", "70000"})
          .err.find(
              "tarnwick-cli: ポート番号 (SMTPPort) には1から65535までの整数を入力してください"),
      0u);
}

TEST_F(CliTest, RefusedCharactersAreNamed) {
  const Outcome outcome = Cli({"settings", "RasName", "接続😀"});
  EXPECT_NE(outcome.err.find("\"😀\""), std::string::npos) << outcome.err;
}

TEST_F(CliTest, SettingsPrintsEveryOneWithDefaultsAndWritesTyped) {
  EXPECT_EQ(Cli({"settings"}).out,
            "MailBox\t" + (dir_ / "data/tarnwick/mail").string() +
                "\nMailer\t0\nMailerPath\t\nDialUp\t0\nRasName\t\nSMTPServer\t\n"
                "SMTPPort\t25\nSMTPSecurity\t0\nSMTPAuth\t0\nSMTPUser\t\nSMTPPassword\t\n"
                "SMTPExtended\t0\nSentDays\t90\nIncomingServer\t\nIncomingPort\t993\n"
                "IncomingSecurity\t2\nIncomingUser\t\nIncomingPassword\t\nIncomingFolder\tINBOX\n"
                "IncomingOnStart\t0\nBounceDays\t3\nAdminAddress\t\nRejectTemplate\t\n");
  EXPECT_EQ(Cli({"settings", "SMTPPassword", "secret"}).status, 0);
  EXPECT_EQ(Cli({"settings", "IncomingPassword", "-"}, "also secret\n").status, 0);
  const std::string shown = Cli({"settings"}).out;
  EXPECT_NE(shown.find("SMTPPassword\t********\n"), std::string::npos);
  EXPECT_NE(shown.find("IncomingPassword\t********\n"), std::string::npos);
  EXPECT_EQ(ReadSetting(store_.ReadRoot().OpenKey(kCommonKey, false), kIncomingPassword),
            "also secret");
  EXPECT_EQ(Cli({"settings", "smtpport", "587"}).status, 0);
  EXPECT_EQ(Cli({"settings", "SMTPServer", "smtp.例え.jp"}).status, 0);
  const SettingsKey common = store_.OpenRoot().OpenKey(kCommonKey, false);
  EXPECT_EQ(ReadSetting(common, kSmtpPort), 587u);
  EXPECT_EQ(ReadSetting(common, kSmtpServer), "smtp.\x97\xE1\x82\xA6.jp");
  EXPECT_NE(Cli({"settings"}).out.find("SMTPServer\tsmtp.例え.jp\nSMTPPort\t587\n"),
            std::string::npos);
}

// With no mail box set, compose queues into the default folder, made private on first use.
TEST_F(CliTest, ComposeWithoutAMailBoxQueuesIntoTheDefaultFolder) {
  ASSERT_EQ(AddList("開発ML").status, 0);
  const Outcome composed = Cli({"compose", "開発ML", "members"});
  ASSERT_EQ(composed.status, 0) << composed.err;
  const fs::path box = dir_ / "data/tarnwick/mail";
  EXPECT_EQ(QueuedFiles(box / "dev").size(), 1u);
  EXPECT_EQ(fs::status(box).permissions() & fs::perms::all, fs::perms::owner_all);
  const Outcome sent = Cli({"send"});
  EXPECT_NE(sent.out.find("\nSMTPｻｰﾊﾞ名が設定されていません。設定 → 共通設定の「SMTPｻｰﾊﾞ名」"),
            std::string::npos)
      << "the run names the field to fill: " << sent.out;
}

class CliMailTest : public CliTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(Cli({"settings", "MailBox", dir_.path().string()}).status, 0);
    ASSERT_EQ(Cli({"list-add", "--title", "開発ML", "--type", "fml", "--name", "dev", "--address",
                   "fml@example.jp", "--admin", "admin@example.jp", "--password", "pw"})
                  .status,
              0);
    ASSERT_EQ(Cli({"list-add", "--title", "announce", "--type", "majordomo", "--name", "ann",
                   "--address", "majordomo@example.org", "--admin", "me@example.org"})
                  .status,
              0);
  }

  // The mail's text from the X-Command line on (the Date line changes with the clock).
  static std::string FromTitle(const std::string& mail) {
    const std::size_t at = mail.find("X-Command:");
    return at == std::string::npos ? mail : mail.substr(at);
  }
};

TEST_F(CliMailTest, ComposeToStandardOutputFindsTheListInAnyCaseAndSortsAddresses) {
  const Outcome composed = Cli({"compose", "開発ml", "subscribe", "--address", "b@ex.jp",
                                "--address", "c@ex.jp", "--address", "A@ex.jp", "--stdout"});
  ASSERT_EQ(composed.status, 0) << composed.err;
  EXPECT_TRUE(composed.out.starts_with("From: admin@example.jp\r\nTo: fml@example.jp\r\nDate: "));
  EXPECT_EQ(FromTitle(composed.out),
            "X-Command: Subscribe Member\r\n\r\n# admin pass pw\r\n# admin add A@ex.jp\r\n"
            "# admin add b@ex.jp\r\n# admin add c@ex.jp\r\n");
  EXPECT_EQ(Cli({"queue", "開発ML"}).out, "") << "--stdout queues nothing";
}

TEST_F(CliMailTest, ComposeTakesEachCommandsOwnInputs) {
  testing::WriteFile(dir_ / "list.cf", "description = Dev\n");
  EXPECT_EQ(FromTitle(Cli({"compose", "announce", "config", "--send", "--file",
                           (dir_ / "list.cf").string(), "--stdout"})
                          .out),
            "X-Command: Change Config\r\n\r\nnewconfig ann \r\ndescription = Dev\nEOF\r\n");
  EXPECT_EQ(FromTitle(Cli({"compose", "開発ML", "chaddr", "--old", "a@ex.jp", "--new", "b@ex.jp",
                           "--keyword", "change-address", "--stdout"})
                          .out),
            "X-Command: ChangeAddress\r\n\r\n# admin pass pw\r\n"
            "# admin change-address a@ex.jp b@ex.jp\r\n");
  EXPECT_EQ(FromTitle(Cli({"compose", "開発ML", "log", "--count", "200", "--stdout"}).out),
            "X-Command: Get Log File\r\n\r\n# admin pass pw\r\n# admin log -200\r\n");
  EXPECT_EQ(FromTitle(Cli({"compose", "開発ML", "matome", "--address", "a@ex.jp", "--mode", "3",
                           "--stdout"})
                          .out),
            "X-Command: Set Matome mode\r\n\r\n# admin pass pw\r\n# admin matome a@ex.jp 3\r\n");
}

TEST_F(CliMailTest, ComposeQueuesLikeTheCreateButtonAndQueueListsIt) {
  const Outcome queued = Cli({"compose", "announce", "members"});
  ASSERT_EQ(queued.status, 0) << queued.err;
  const std::filesystem::path file(queued.out.substr(0, queued.out.size() - 1));
  EXPECT_EQ(file.parent_path(), dir_ / "ann");
  EXPECT_EQ(FromTitle(testing::ReadFile(file)),
            "X-Command: Get Members List\r\n\r\napprove  who ann\r\nend\r\n");
  EXPECT_EQ(Cli({"queue", "announce"}).out, file.filename().string() + "\tﾒﾝﾊﾞｰ一覧\n");
  EXPECT_EQ(Cli({"lists"}).out.find(
                "announce\tMajordomo\tann\tmajordomo@example.org\tme@example.org\t1\n"),
            0u);
}

TEST_F(CliMailTest, ComposeRefusesWhatWouldGoWrong) {
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{"compose", "nobody", "members"}, 1},
      {{"compose", "announce", "off", "--address", "a@x"}, 1},  // not a Majordomo command
      {{"compose", "開発ML", "subscribe"}, 2},                  // no address: nothing to queue
      {{"compose", "開発ML", "chaddr", "--old", "a@x"}, 2},
      {{"compose", "開発ML", "subscribe", "--file", "x"}, 2},
      {{"compose", "開発ML", "matome", "--address", "a", "--address", "b"}, 2},
      {{"compose", "開発ML", "chaddr", "--old", "a", "--new", "b", "--keyword", "move"}, 2},
      {{"compose", "開発ML", "log", "--count", "ten"}, 2},
      {{"compose", "開発ML", "frobnicate"}, 2},
      {{"compose", "開発ML"}, 2},
      {{"compose", "開発ML", "subscribe", "--address", "a@x\n# admin bye boss@x"}, 2},
      {{"compose", "開発ML", "subscribe", "--address", "😀@x"}, 2},
      {{"compose", "開発ML", "subscribe", "--address", "山田@ex.jp"}, 2},
      {{"compose", "開発ML", "subscribe", "--address", "a b@ex.jp"}, 2},
      {{"compose", "開発ML", "fileget", "--file", "../guide"}, 2},
      {{"compose", "開発ML", "newpassword", "--password", "new!pass"}, 2},
      {{"compose", "開発ML", "newinfo", "--file", (dir_ / "missing.txt").string()}, 2},
  };
  for (const auto& [args, status] : cases) {
    const Outcome outcome = Cli(args);
    EXPECT_EQ(outcome.status, status) << ::testing::PrintToString(args) << outcome.err;
    EXPECT_FALSE(outcome.err.empty());
  }
  EXPECT_EQ(Cli({"queue", "開発ML"}).out, "") << "nothing was queued";
}

TEST_F(CliMailTest, AListWithAPasswordItsServerCantTakeIsAddedWithAWarningButComposesNothing) {
  const Outcome added =
      Cli({"list-add", "--title", "cut", "--type", "majordomo", "--name", "cut", "--address",
           "majordomo@example.org", "--admin", "me@example.org", "--password", "two words"});
  EXPECT_EQ(added.status, 0);
  EXPECT_NE(added.err.find("ML「cut」のﾊﾟｽﾜｰﾄﾞに空白は使えません"), std::string::npos) << added.err;
  const Outcome composed = Cli({"compose", "cut", "members", "--stdout"});
  EXPECT_EQ(composed.status, 2);
  EXPECT_NE(composed.err.find("このMLのｺﾏﾝﾄﾞﾒｰﾙは作成できません"), std::string::npos);
  EXPECT_EQ(composed.out, "");
}

TEST_F(CliMailTest, ListNamesThatCantNameAFolderAreRefused) {
  EXPECT_NE(Cli({"list-add", "--title", "odd", "--type", "fml", "--name", "", "--address", "a",
                 "--admin", "b"})
                .err.find("ﾘｽﾄ名を入力してください"),
            std::string::npos);
  for (const char* name : {"..", ".", "a/b", "two words", "tab\tname", "\x1B[31m"}) {
    const Outcome added = Cli({"list-add", "--title", "odd", "--type", "fml", "--name", name,
                               "--address", "a", "--admin", "b"});
    EXPECT_EQ(added.status, 2) << name;
    EXPECT_NE(added.err.find("はﾒｰﾙを保存するﾌｫﾙﾀﾞ名に使えません"), std::string::npos);
  }
  EXPECT_EQ(Cli({"lists"}).out.find("odd"), std::string::npos);
}

// A store written before names were checked may still hold one.
TEST_F(CliMailTest, QueueOfAListWithAnUnsafeNameShowsNothing) {
  MailingListRegister lists = LoadRegister(store_);
  auto odd = std::make_unique<MailingList>();
  odd->Title = "odd";
  odd->Type = ServerKind::Fml;
  odd->Name = "..";
  lists.Insert(std::move(odd));
  ASSERT_TRUE(SaveRegister(store_, lists));
  ASSERT_EQ(Cli({"settings", "MailBox", (dir_ / "box").string()}).status, 0);
  std::filesystem::create_directories(dir_ / "box");
  testing::WriteFile(dir_ / "RXV1.tmp", "X-Command: outside the mail box\r\n");
  EXPECT_EQ(Cli({"queue", "odd"}).out, "");
  EXPECT_EQ(Cli({"compose", "odd", "members"}).status, 1);
  EXPECT_TRUE(QueuedFiles(dir_.path()).size() == 1) << "nothing was queued beside it";
}

TEST_F(CliMailTest, SendDeliversTheQueueAndSaysWhatDidNotGo) {
  std::filesystem::create_directories(dir_ / "outbox");
  testing::SmtpTestServer server(dir_ / "outbox");
  ASSERT_TRUE(server.running());
  ASSERT_EQ(Cli({"settings", "SMTPServer", "127.0.0.1"}).status, 0);
  ASSERT_EQ(Cli({"settings", "SMTPPort", std::to_string(server.port())}).status, 0);
  ASSERT_EQ(Cli({"compose", "開発ML", "members"}).status, 0);
  ASSERT_EQ(Cli({"list-add", "--title", "refused", "--type", "fml", "--name", "bad", "--address",
                 "reject@example.jp", "--admin", "admin@example.jp"})
                .status,
            0);
  ASSERT_EQ(Cli({"compose", "refused", "help"}).status, 0);

  {
    const LockAttempt held = DeliveryLock::TryAcquire(dir_.path().string());
    const Outcome blocked = Cli({"send"});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_NE(blocked.err.find("another run"), std::string::npos);
  }
  const Outcome sent = Cli({"send"});
  EXPECT_EQ(sent.status, 1);
  EXPECT_NE(sent.out.find("\tﾒﾝﾊﾞｰ一覧\tdelivered\n"), std::string::npos) << sent.out;
  EXPECT_NE(sent.out.find("\t管理者ｺﾏﾝﾄﾞﾍﾙﾌﾟ取得\tコマンド実行に失敗しました"), std::string::npos)
      << sent.out;
  EXPECT_NE(sent.out.find("\n1 delivered, 1 not delivered in "), std::string::npos) << sent.out;
  EXPECT_TRUE(std::filesystem::exists(dir_ / "outbox" / "1.eml"));
  EXPECT_EQ(Cli({"queue", "開発ML"}).out, "");
  EXPECT_NE(Cli({"queue", "refused"}).out, "");

  // The delivered mail is kept among the sent ones, waiting for its reply.
  const std::vector<std::filesystem::path> sentFiles = QueuedFiles(dir_ / ".sent" / "dev");
  ASSERT_EQ(sentFiles.size(), 1u);
  const std::string name = sentFiles[0].filename().string();
  const std::regex waiting("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\t開発ML\tﾒﾝﾊﾞｰ一覧\t" + name +
                           "\t待機中\t\n");
  EXPECT_TRUE(std::regex_match(Cli({"results"}).out, waiting)) << Cli({"results"}).out;
  EXPECT_EQ(Cli({"members", "開発ML"}).status, 1) << "no roster before a reply";

  // fml's two replies arrive: its status report, and the members.
  const std::string sentMail = testing::ReadFile(sentFiles[0]);
  const std::size_t id = sentMail.find("Message-ID: ") + 12;
  const std::string messageId = sentMail.substr(id, sentMail.find("\r\n", id) - id);
  const std::string header =
      "From: fml-admin@example.jp\nReply-To: fml@example.jp\n"
      "References: " +
      messageId + "\n";
  testing::WriteFile(dir_ / ".replies" / "1.eml",
                     header +
                         "Subject: fml Command Status report (dev ML)\n\n"
                         ">>> admin pass ********\nOK\n>>> admin members\n");
  testing::WriteFile(dir_ / ".replies" / "2.eml",
                     header +
                         "Subject: members (dev ML)\n\n-----\nb@example.jp\n"
                         "\"Doe, J\" <o'brien@example.jp>\nnot an address\n-----\nb@example.jp\n");
  const Outcome results = Cli({"results", "開発ml"});
  EXPECT_NE(results.out.find("\t" + name + "\t完了\t\n"), std::string::npos) << results.out;
  EXPECT_EQ(Cli({"results", "refused"}).out, "");
  EXPECT_EQ(Cli({"results", "nobody"}).status, 1);
  const Outcome members = Cli({"members", "開発ML"});
  EXPECT_EQ(members.out, "b@example.jp\no'brien@example.jp\n");
  EXPECT_NE(members.err.find("roster of "), std::string::npos);
  EXPECT_EQ(Cli({"members", "開発ML", "--csv"}).out, "address\nb@example.jp\no'brien@example.jp\n");
}

TEST_F(CliTest, ImportRegTakesInAWindowsExportAndSaysWhatWantsANewValue) {
  const std::string file = std::string(TARNWICK_TEST_DATA) + "/migrate/tarnwick5.reg";
  const Outcome imported = Cli({"import-reg", file});
  EXPECT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out,
            "imported\t表ソ開発ML\nimported\tお知らせ\n"
            "needs a new value\tMailBox (C:\\Documents and Settings\\taro\\Mail)\n"
            "needs a new value\t表ソ開発ML: GuideFile (C:\\ML\\guide.txt)\n");
  EXPECT_NE(imported.err.find("表ソ開発ML: "), std::string::npos);
  EXPECT_NE(Cli({"import-reg", file}).out.find("kept"), std::string::npos);
  const Outcome missing = Cli({"import-reg", file + ".missing"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(Cli({"import-reg"}).status, 2);
}

// The administrator's address goes out as every mail's From: the rule of any address, refused
// where it is given, on list-add as in an import.
TEST_F(CliTest, AnAdministratorAddressNoServerTakesIsRefusedWhereItIsGiven) {
  const Outcome added = Cli({"list-add", "--title", "t", "--type", "fml", "--name", "n",
                             "--address", "fml@example.jp", "--admin", "admin@"});
  EXPECT_EQ(added.status, 2);
  EXPECT_NE(added.err.find("管理者ｱﾄﾞﾚｽ「admin@」は使えません"), std::string::npos) << added.err;
  EXPECT_EQ(Cli({"lists"}).out, "");

  std::string reg = testing::ReadFile(std::string(TARNWICK_TEST_DATA) + "/migrate/tarnwick4.reg");
  reg.replace(reg.find("admin@example.jp"), 16, "admin@");
  testing::WriteFile(dir_ / "bad.reg", reg);
  const Outcome imported = Cli({"import-reg", (dir_ / "bad.reg").string()});
  EXPECT_EQ(imported.status, 1);
  EXPECT_EQ(imported.out,
            "imported\tお知らせ\n"
            "needs a new value\tMailBox (C:\\Documents and Settings\\taro\\Mail)\n");
  EXPECT_NE(imported.err.find("not imported: 表ソ開発ML (HKEY_CURRENT_USER\\Software\\Ombrel\\"
                              "Tarnwick\\MLPropertys\\ML0): 管理者ｱﾄﾞﾚｽ「admin@」は使えません"),
            std::string::npos)
      << imported.err;
}

TEST_F(CliTest, ExtractPrintsTheAddressesInListOrder) {
  const std::string sample = std::string(TARNWICK_TEST_DATA) + "/returned/";
  EXPECT_EQ(Cli({"extract", sample + "sendmail_user_unknown.eml"}).out,
            "hanako@example.ne.jp\ntaro.yamada@example.jp\ntaro.yamada@example.jp\n");
  EXPECT_EQ(Cli({"extract", "--sender", sample + "sender_capitals.eml"}).out,
            "Taro.Yamada@Example.JP\n");
  const Outcome none = Cli({"extract", sample + "not_a_bounce.eml"});
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("ｱﾄﾞﾚｽの抽出に失敗しました"), std::string::npos);
  EXPECT_EQ(Cli({"extract"}).status, 2);
}

// "-" keeps a password out of the process list: it is read from standard input instead.
TEST_F(CliTest, PasswordsGivenAsADashAreReadFromStandardInput) {
  ASSERT_EQ(Cli({"list-add", "--title", "t", "--type", "fml", "--name", "n", "--address", "a",
                 "--admin", "m@ex.jp", "--password", "-"},
                "s3cret\r\nnot read\n")
                .status,
            0);
  EXPECT_EQ(LoadRegister(store_).at(0).Password, "s3cret");
  ASSERT_EQ(Cli({"settings", "SMTPPassword", "-"}, "smtp pw\n").status, 0);
  EXPECT_EQ(ReadSetting(store_.OpenRoot().OpenKey(kCommonKey, false), kSmtpPassword), "smtp pw");
  const Outcome nothing = Cli({"settings", "SMTPPassword", "-"});
  EXPECT_EQ(nothing.status, 2);
  EXPECT_NE(nothing.err.find("no password on standard input"), std::string::npos);
  EXPECT_NE(Cli({"--help"}).out.find("--password -"), std::string::npos);
}

TEST_F(CliTest, ConfigShowAndSetRoundTripAConfigurationFile) {
  const std::filesystem::path file = dir_ / "dev.config";
  std::filesystem::copy_file(std::string(TARNWICK_TEST_DATA) + "/config/dev.config", file);
  const Outcome shown = Cli({"config", "show", file.string()});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out,
            "admin_passwd\ts3cret\n"
            "administrivia\tyes\n"
            "advertise\t/example\\\\.jp$/\\n\n"
            "approve_passwd\tapprove1\n"
            "description\t開発者の連絡用メーリングリスト\n"
            "digest_maxdays\t\n"
            "maxlength\t40000\n"
            "message_footer\t--\\nTo leave $LIST, send \"unsubscribe $LIST\" to "
            "majordomo@lists.example.jp\\n\n"
            "moderate\tno\n"
            "reply_to\t$LIST@lists.example.jp\n"
            "subject_prefix\t[$LIST:$NUM]\n"
            "subscribe_policy\topen+confirm\n"
            "who_access\tlist\n");

  ASSERT_EQ(Cli({"config", "set", file.string(), "moderate", "yes", "digest_maxdays", "7",
                 "message_footer", "--\\nBye", "description", "開発ML"})
                .status,
            0);
  const Outcome after = Cli({"config", "show", file.string()});
  EXPECT_NE(after.out.find("moderate\tyes\n"), std::string::npos);
  EXPECT_NE(after.out.find("digest_maxdays\t7\n"), std::string::npos);
  EXPECT_NE(after.out.find("message_footer\t--\\nBye\\n\n"), std::string::npos);
  EXPECT_NE(after.out.find("description\t開発ML\n"), std::string::npos);
  const std::string saved = testing::ReadFile(file);
  EXPECT_NE(saved.find("# admin_passwd         [word] (dev.admin) <majordomo>\n"),
            std::string::npos)
      << "comments are kept";
  EXPECT_NE(saved.find("message_footer      <<  END\n---\nBye\nEND\n"), std::string::npos);
}

TEST_F(CliTest, ConfigSetRefusesWhatDoesNotFitAndLeavesTheFile) {
  const std::filesystem::path file = dir_ / "dev.config";
  std::filesystem::copy_file(std::string(TARNWICK_TEST_DATA) + "/config/dev.config", file);
  const std::string before = testing::ReadFile(file);
  const std::vector<std::vector<std::string>> refused = {
      {"config", "set", file.string(), "moderate", "maybe"},
      {"config", "set", file.string(), "maxlength", "lots"},
      {"config", "set", file.string(), "debug", "yes"},  // not in the file
      {"config", "set", file.string(), "colour", "red"},
      {"config", "set", file.string(), "reply_to", "a\\nb"},
      {"config", "set", file.string(), "reply_to", "a\\b"},
      {"config", "set", file.string(), "moderate", "yes", "maxlength", "lots"},
      {"config", "set", file.string(), "moderate"},
      // values Majordomo would reject, failing the whole newconfig
      {"config", "set", file.string(), "admin_passwd", "adm#1n"},
      {"config", "set", file.string(), "description", "List #1"},
      {"config", "set", file.string(), "maxlength", "0"},
      {"config", "set", file.string(), "subscribe_policy", "Open"},
      {"config", "set", file.string(), "who_access", "everyone"},
      {"config", "set", file.string(), "reply_to", "two words"},
      {"config", "set", file.string(), "advertise", "example"},
  };
  for (const auto& args : refused) {
    const Outcome outcome = Cli(args);
    EXPECT_EQ(outcome.status, 2) << ::testing::PrintToString(args);
  }
  EXPECT_NE(Cli({"config", "set", file.string(), "subscribe_policy", "Open"})
                .err.find("「subscribe_policy」の値「Open」はMajordomoが受け付けません"),
            std::string::npos);
  EXPECT_EQ(testing::ReadFile(file), before);
  EXPECT_EQ(Cli({"config", "show", (dir_ / "missing").string()}).status, 1);
}

TEST(CliStore, UnopenableStoreFailsEveryCommand) {
  testing::TempDir dir;
  testing::WriteFile(dir / "registry.db", "garbage");
  const SettingsStore store(dir / "registry.db");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(cli::Run({"lists"}, store, out, err), 1);
  EXPECT_NE(err.str().find("cannot open the settings store"), std::string::npos);
  EXPECT_EQ(testing::ReadFile(dir / "registry.db"), "garbage");
}

}  // namespace
}  // namespace tarnwick::cli
