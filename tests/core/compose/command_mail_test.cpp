#include "core/compose/command_mail.h"

#include <gtest/gtest.h>

#include <regex>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

using testing::WriteFile;

constexpr char kF[] = "fml";
constexpr char kM[] = "majordomo";

// One row: a command for a list of one kind, its inputs, and the mail's X-Command value and body
// as the list server must receive them, written out by hand. "{dir}" in a file input stands for
// the folder of the sample files.
struct Row {
  const char* name;
  CommandId id;
  const char* kind;
  const char* password;
  CommandInput input;
  const char* title;
  const char* body;
};

CommandInput Addresses(std::vector<std::string> addresses) {
  CommandInput input;
  input.addresses = std::move(addresses);
  return input;
}

CommandInput With(void (*fill)(CommandInput&)) {
  CommandInput input;
  fill(input);
  return input;
}

const Row kRows[] = {
    {"newpassword_fml", ID_NEWPASSWORD_PLATE, kF, "pw",
     With([](CommandInput& i) { i.newPassword = "np"; }), "Set New Password",
     "# admin pass pw\r\n# admin passwd np\r\n"},
    {"newpassword_majordomo", ID_NEWPASSWORD_PLATE, kM, "pw",
     With([](CommandInput& i) { i.newPassword = "np"; }), "Set New Password",
     "passwd dev pw np\r\nend\r\n"},
    {"initpassword_fml", ID_INITPASSWORD_PLATE, kF, "pw", With([](CommandInput& i) {
       i.address = "user@example.jp";
       i.newPassword = "np";
     }),
     "Init Password", "# admin pass pw\r\n# admin initpass user@example.jp np\r\n"},
    {"members_fml",
     ID_MEMBERS_PLATE,
     kF,
     "pw",
     {},
     "Get Members List",
     "# admin pass pw\r\n# admin members\r\n"},
    {"members_fml_no_password",
     ID_MEMBERS_PLATE,
     kF,
     "",
     {},
     "Get Members List",
     "# admin members\r\n"},
    {"members_majordomo",
     ID_MEMBERS_PLATE,
     kM,
     "pw",
     {},
     "Get Members List",
     "approve pw who dev\r\nend\r\n"},
    {"subscribe_fml", ID_SUBSCRIBE_PLATE, kF, "pw", Addresses({"a@ex.jp", "B@ex.jp", "c@ex.jp"}),
     "Subscribe Member",
     "# admin pass pw\r\n# admin add a@ex.jp\r\n# admin add B@ex.jp\r\n# admin add c@ex.jp\r\n"},
    // fml takes a "/" between word characters before the "@".
    {"subscribe_fml_slash", ID_SUBSCRIBE_PLATE, kF, "pw", Addresses({"a/b@ex.jp"}),
     "Subscribe Member", "# admin pass pw\r\n# admin add a/b@ex.jp\r\n"},
    {"subscribe_majordomo", ID_SUBSCRIBE_PLATE, kM, "pw", Addresses({"a@ex.jp", "b@ex.jp"}),
     "Subscribe Member",
     "approve pw subscribe dev a@ex.jp\r\napprove pw subscribe dev b@ex.jp\r\nend\r\n"},
    {"subscribe_majordomo_no_password", ID_SUBSCRIBE_PLATE, kM, "", Addresses({"a@ex.jp"}),
     "Subscribe Member", "approve  subscribe dev a@ex.jp\r\nend\r\n"},
    {"unsubscribe_fml", ID_UNSUBSCRIBE_PLATE, kF, "pw",
     Addresses({"a@ex.jp", "a@ex.jp", "b@ex.jp"}), "UnSubscribe Member",
     "# admin pass pw\r\n# admin bye a@ex.jp\r\n# admin bye a@ex.jp\r\n# admin bye b@ex.jp\r\n"},
    {"unsubscribe_majordomo", ID_UNSUBSCRIBE_PLATE, kM, "pw", Addresses({"a@ex.jp"}),
     "UnSubscribe Member", "approve pw unsubscribe dev a@ex.jp\r\nend\r\n"},
    {"off_fml", ID_OFF_PLATE, kF, "pw", Addresses({"a@ex.jp"}), "Member Set Off",
     "# admin pass pw\r\n# admin off a@ex.jp\r\n"},
    {"on_fml", ID_ON_PLATE, kF, "pw", Addresses({"a@ex.jp"}), "Member Set On",
     "# admin pass pw\r\n# admin on a@ex.jp\r\n"},
    {"skip_fml", ID_SKIP_PLATE, kF, "pw", Addresses({"a@ex.jp"}), "Member Set Skip",
     "# admin pass pw\r\n# admin off a@ex.jp\r\n"},
    {"addadmin_fml", ID_ADDADMIN_PLATE, kF, "pw", Addresses({"a@ex.jp"}), "AddAdmin",
     "# admin pass pw\r\n# admin addadmin a@ex.jp\r\n"},
    {"byeadmin_fml", ID_BYEADMIN_PLATE, kF, "", Addresses({"a@ex.jp"}), "ByeAdmin",
     "# admin byeadmin a@ex.jp\r\n"},
    {"chaddr_fml", ID_CHADDR_PLATE, kF, "pw", With([](CommandInput& i) {
       i.oldValue = "old@ex.jp";
       i.newValue = "new@ex.jp";
     }),
     "ChangeAddress", "# admin pass pw\r\n# admin chaddr old@ex.jp new@ex.jp\r\n"},
    {"chaddr_fml_change", ID_CHADDR_PLATE, kF, "", With([](CommandInput& i) {
       i.oldValue = "a@ex.jp";
       i.newValue = "b@ex.jp";
       i.choice = 1;
     }),
     "ChangeAddress", "# admin change a@ex.jp b@ex.jp\r\n"},
    {"chaddr_fml_change_address", ID_CHADDR_PLATE, kF, "", With([](CommandInput& i) {
       i.oldValue = "a@ex.jp";
       i.newValue = "b@ex.jp";
       i.choice = 2;
     }),
     "ChangeAddress", "# admin change-address a@ex.jp b@ex.jp\r\n"},
    {"matome_fml", ID_MATOME_PLATE, kF, "pw", With([](CommandInput& i) {
       i.address = "a@ex.jp";
       i.mode = "3u";
     }),
     "Set Matome mode", "# admin pass pw\r\n# admin matome a@ex.jp 3u\r\n"},
    {"filelist_fml_empty_option",
     ID_FILELIST_PLATE,
     kF,
     "pw",
     {},
     "Get File List",
     "# admin pass pw\r\n# admin ls \r\n"},
    {"filelist_fml", ID_FILELIST_PLATE, kF, "", With([](CommandInput& i) { i.option = "-l"; }),
     "Get File List", "# admin ls -l\r\n"},
    {"fileget_fml", ID_FILEGET_PLATE, kF, "pw", With([](CommandInput& i) { i.file = "guide"; }),
     "Get File", "# admin pass pw\r\n# admin get guide\r\n"},
    {"fileput_fml", ID_FILEPUT_PLATE, kF, "pw", With([](CommandInput& i) {
       i.file = "help";
       i.localFile = "{dir}/three_lines.txt";
     }),
     "Put File", "# admin pass pw\r\n# admin put help\r\nline 1\r\nline 2\nline 3\r\n"},
    {"remove_fml", ID_REMOVE_PLATE, kF, "pw", With([](CommandInput& i) { i.file = "old"; }),
     "Remove File", "# admin pass pw\r\n# admin remove old\r\n"},
    {"rename_fml", ID_RENAME_PLATE, kF, "pw", With([](CommandInput& i) {
       i.oldValue = "a.txt";
       i.newValue = "b.txt";
     }),
     "Rename File", "# admin pass pw\r\n# admin rename a.txt b.txt\r\n"},
    {"newinfo_fml", ID_NEWINFO_PLATE, kF, "pw",
     With([](CommandInput& i) { i.file = "{dir}/three_lines.txt"; }), "Set New Info File",
     "# admin pass pw\r\n# admin newinfo\r\nline 1\r\nline 2\nline 3\r\n"},
    {"newinfo_majordomo", ID_NEWINFO_PLATE, kM, "pw",
     With([](CommandInput& i) { i.file = "{dir}/no_line_end.txt"; }), "Set New Info File",
     "newinfo dev pw\r\nlast line"},
    {"newguide_fml", ID_NEWGUIDE_PLATE, kF, "pw",
     With([](CommandInput& i) { i.file = "{dir}/three_lines.txt"; }), "Set New Guide File",
     "# admin pass pw\r\n# admin newguide\r\nline 1\r\nline 2\nline 3\r\n"},
    {"newintro_majordomo", ID_NEWINTRO_PLATE, kM, "pw",
     With([](CommandInput& i) { i.file = "{dir}/three_lines.txt"; }), "Set New Intro File",
     "newintro dev pw\r\nline 1\r\nline 2\nline 3\r\n"},
    {"unlink_fml_range", ID_UNLINK_PLATE, kF, "pw",
     With([](CommandInput& i) { i.article = "3-5"; }), "Unlink Article(s)",
     "# admin pass pw\r\n# admin unlink-article 3-5\r\n"},
    {"config_fetch_fml",
     ID_CONFIG_PLATE,
     kF,
     "pw",
     {},
     "Get Config",
     "# admin pass pw\r\n# admin get config.ph\r\n"},
    {"config_fetch_majordomo_ignores_file", ID_CONFIG_PLATE, kM, "pw",
     With([](CommandInput& i) { i.file = "{dir}/three_lines.txt"; }), "Get Config",
     "config dev pw\r\nend\r\n"},
    {"config_send_fml", ID_CONFIG_PLATE, kF, "pw", With([](CommandInput& i) {
       i.choice = 1;
       i.file = "{dir}/three_lines.txt";
     }),
     "Change Config", "# admin pass pw\r\n# admin put config.ph\r\nline 1\r\nline 2\nline 3\r\n"},
    {"config_send_majordomo", ID_CONFIG_PLATE, kM, "pw", With([](CommandInput& i) {
       i.choice = 1;
       i.file = "{dir}/three_lines.txt";
     }),
     "Change Config", "newconfig dev pw\r\nline 1\r\nline 2\nline 3\r\nEOF\r\n"},
    // Without a line break at the file's end, "EOF" must still stand on a line of its own.
    {"config_send_majordomo_no_line_end", ID_CONFIG_PLATE, kM, "pw", With([](CommandInput& i) {
       i.choice = 1;
       i.file = "{dir}/no_line_end.txt";
     }),
     "Change Config", "newconfig dev pw\r\nlast line\r\nEOF\r\n"},
    {"help_fml", ID_HELP_PLATE, kF, "pw", {}, "Get Help", "# admin pass pw\r\n# admin help\r\n"},
    {"log_fml_default",
     ID_LOG_PLATE,
     kF,
     "pw",
     {},
     "Get Log File",
     "# admin pass pw\r\n# admin log -10\r\n"},
    {"log_fml_200", ID_LOG_PLATE, kF, "", With([](CommandInput& i) { i.count = 200; }),
     "Get Log File", "# admin log -200\r\n"},
    {"log_fml_all", ID_LOG_PLATE, kF, "", With([](CommandInput& i) {
       i.choice = 1;
       i.count = 200;
     }),
     "Get Log File", "# admin log all\r\n"},
    {"pgp_fml_add_key", ID_PGP_PLATE, kF, "pw",
     With([](CommandInput& i) { i.file = "{dir}/three_lines.txt"; }), "PGP Command",
     "# admin pass pw\r\n# admin pgp -ka\r\nline 1\r\nline 2\nline 3\r\n"},
    {"pgp_fml_get_keys", ID_PGP_PLATE, kF, "pw", With([](CommandInput& i) {
       i.choice = 1;
       i.file = "{dir}/three_lines.txt";
     }),
     "PGP Command", "# admin pass pw\r\n# admin pgp -kv\r\n"},
    {"debug_fml_never_carries_the_password",
     ID_DEBUG_PLATE,
     kF,
     "pw",
     {},
     "Debug Mode",
     "# set debug\r\n"},
};

// Sample files for the inputs that name one.
class SampleFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new testing::TempDir;
    WriteFile(*dir_ / "three_lines.txt", "line 1\r\nline 2\nline 3\r\n");
    WriteFile(*dir_ / "no_line_end.txt", "last line");
    WriteFile(*dir_ / "eof.txt", "text\r\nEOF\r\nmore\r\n");
  }
  static void TearDownTestSuite() { delete dir_; }

  static std::string Resolve(std::string path) {
    const std::string::size_type at = path.find("{dir}");
    if (at != std::string::npos) path.replace(at, 5, dir_->path().string());
    return path;
  }

  static testing::TempDir* dir_;
};

testing::TempDir* SampleFiles::dir_ = nullptr;

class CommandBodies : public SampleFiles, public ::testing::WithParamInterface<Row> {};

MailingList ListOf(const char* kind, const char* password) {
  MailingList list;
  list.Title = "dev list";
  list.Type = std::string(kind) == kF ? ServerKind::Fml : ServerKind::Majordomo;
  list.Name = "dev";
  list.Address = "server@example.jp";
  list.Admin = "admin@example.jp";
  list.Password = password;
  return list;
}

TEST_P(CommandBodies, ComposeTheExactMail) {
  const Row& row = GetParam();
  CommandInput input = row.input;
  for (std::string* path : {&input.file, &input.localFile})
    *path = Resolve(*path);
  std::string mail = "stale text";
  const ComposeResult result = BuildMail(row.id, ListOf(row.kind, row.password), input, mail);
  ASSERT_EQ(result.status, ComposeStatus::Composed) << result.reason;
  const std::regex date(
      "Date: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), \\d\\d "
      "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \\d{4} "
      "\\d\\d:\\d\\d:\\d\\d \\S+\r\n"
      "Subject: ([^\r\n]*) \\[([0-9a-f]{8})\\]\r\n"
      "Message-ID: <\\d{14}\\.([0-9a-f]{8})@example\\.jp>\r\n");
  std::smatch match;
  ASSERT_TRUE(std::regex_search(mail, match, date)) << mail;
  EXPECT_EQ(mail.substr(0, match.position(0)),
            "From: admin@example.jp\r\nTo: server@example.jp\r\n");
  EXPECT_EQ(match[3].str(), std::string(row.title));
  EXPECT_EQ(match[4].str(), match[5].str()) << "one token ties subject and Message-ID";
  EXPECT_EQ(match.suffix().str(), "X-Command: " + std::string(row.title) + "\r\n\r\n" + row.body);
}

INSTANTIATE_TEST_SUITE_P(AllCommands, CommandBodies, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandBodiesCoverage, EveryOfferedCommandHasARow) {
  for (const CommandInfo& command : Commands()) {
    for (const char* kind : {kF, kM}) {
      if (!IsOffered(command, std::string(kind) == kF ? ServerKind::Fml : ServerKind::Majordomo))
        continue;
      bool found = false;
      for (const Row& row : kRows)
        found |= row.id == command.id && row.kind == kind;
      EXPECT_TRUE(found) << command.name << " for " << kind;
    }
  }
}

TEST(CommandMail, CommandsWithoutTheirInputComposeNothing) {
  std::string mail;
  const MailingList fml = ListOf(kF, "pw");
  EXPECT_EQ(BuildMail(ID_SUBSCRIBE_PLATE, fml, {}, mail).status, ComposeStatus::NothingToQueue);
  EXPECT_EQ(BuildMail(ID_BYEADMIN_PLATE, fml, {}, mail).status, ComposeStatus::NothingToQueue);
  CommandInput halfChaddr;
  halfChaddr.newValue = "new@ex.jp";
  EXPECT_EQ(BuildMail(ID_CHADDR_PLATE, fml, halfChaddr, mail).status,
            ComposeStatus::NothingToQueue);
  halfChaddr.oldValue = "old@ex.jp";
  halfChaddr.newValue.clear();
  EXPECT_EQ(BuildMail(ID_CHADDR_PLATE, fml, halfChaddr, mail).status,
            ComposeStatus::NothingToQueue);
  EXPECT_TRUE(mail.empty());
}

TEST(CommandMail, CommandsAreComposedOnlyForTheKindsThatOfferThem) {
  std::string mail;
  const CommandInput someone = Addresses({"a@ex.jp"});
  EXPECT_EQ(BuildMail(ID_OFF_PLATE, ListOf(kM, "pw"), someone, mail).status,
            ComposeStatus::NotOffered);
  EXPECT_EQ(BuildMail(ID_NEWINTRO_PLATE, ListOf(kF, "pw"), {}, mail).status,
            ComposeStatus::NotOffered);
  MailingList noKind = ListOf(kF, "pw");
  for (const ServerKind type : {ServerKind::None, static_cast<ServerKind>(-1)}) {
    noKind.Type = type;
    EXPECT_EQ(BuildMail(ID_MEMBERS_PLATE, noKind, {}, mail).status, ComposeStatus::NotOffered);
  }
}

TEST(CommandMail, LineBreaksCantSmuggleInMoreCommandsOrHeaders) {
  std::string mail;
  EXPECT_EQ(BuildMail(ID_SUBSCRIBE_PLATE, ListOf(kF, "pw"),
                      Addresses({"a@ex.jp\r\n# admin bye boss@ex.jp"}), mail)
                .status,
            ComposeStatus::Refused);
  MailingList list = ListOf(kF, "pw");
  list.Admin = "admin@ex.jp\nBcc: everyone@ex.jp";
  EXPECT_EQ(BuildMail(ID_MEMBERS_PLATE, list, {}, mail).status, ComposeStatus::Refused);
  EXPECT_TRUE(mail.empty());
}

// Values the server would not take as meant: refused with a reason naming the value, and nothing
// is composed.
struct Refused {
  const char* name;
  CommandId id;
  const char* kind;
  const char* password;
  CommandInput input;
  const char* reason;
};

const Refused kRefused[] = {
    {"empty_address_entry", ID_SUBSCRIBE_PLATE, kF, "pw", Addresses({""}), "ｱﾄﾞﾚｽが空です"},
    {"address_with_a_blank", ID_SUBSCRIBE_PLATE, kM, "pw", Addresses({"a b@ex.jp"}),
     "ｱﾄﾞﾚｽ「a b@ex.jp」は使えません\n空白を含んでいます"},
    {"name_and_address", ID_UNSUBSCRIBE_PLATE, kM, "pw", Addresses({"Name<n@ex.jp>"}),
     "「<」はｱﾄﾞﾚｽに使えません"},
    {"fml_slash_run", ID_SUBSCRIBE_PLATE, kF, "pw", Addresses({"a/b/c@ex.jp"}),
     "ｱﾄﾞﾚｽ「a/b/c@ex.jp」の「/」はFMLのｺﾏﾝﾄﾞに使えない文字です"},
    {"fml_slash_in_domain", ID_SUBSCRIBE_PLATE, kF, "pw", Addresses({"a@ex/b.jp"}),
     "ｱﾄﾞﾚｽ「a@ex/b.jp」は使えません"},
    {"majordomo_slash", ID_SUBSCRIBE_PLATE, kM, "pw", Addresses({"a/b@ex.jp"}),
     "ｱﾄﾞﾚｽ「a/b@ex.jp」は使えません\n「/」はｱﾄﾞﾚｽに使えません"},
    {"fml_unsafe_address", ID_SUBSCRIBE_PLATE, kF, "pw", Addresses({"ok@ex.jp", "o'b@ex.jp"}),
     "ｱﾄﾞﾚｽ「o'b@ex.jp」の「'」はFMLのｺﾏﾝﾄﾞに使えない文字です"},
    {"fml_line_too_long", ID_SUBSCRIBE_PLATE, kF, "pw",
     Addresses({std::string(120, 'a') + "@ex.jp"}), "FMLは128ﾊﾞｲﾄを超えるｺﾏﾝﾄﾞ行を読み飛ばします"},
    {"chaddr_new_address", ID_CHADDR_PLATE, kF, "pw", With([](CommandInput& i) {
       i.oldValue = "old@ex.jp";
       i.newValue = "new";
     }),
     "ｱﾄﾞﾚｽ「new」は使えません"},
    {"initpass_without_address", ID_INITPASSWORD_PLATE, kF, "pw",
     With([](CommandInput& i) { i.newPassword = "np"; }), "ｱﾄﾞﾚｽが空です"},
    {"empty_new_password", ID_NEWPASSWORD_PLATE, kM, "pw", {}, "新しいﾊﾟｽﾜｰﾄﾞが空です"},
    {"new_password_with_a_blank", ID_NEWPASSWORD_PLATE, kF, "pw",
     With([](CommandInput& i) { i.newPassword = "two words"; }), "新しいﾊﾟｽﾜｰﾄﾞに空白は使えません"},
    {"fml_unsafe_new_password", ID_NEWPASSWORD_PLATE, kF, "pw",
     With([](CommandInput& i) { i.newPassword = "new!pass"; }), "新しいﾊﾟｽﾜｰﾄﾞの「!」"},
    {"list_password_with_a_blank",
     ID_MEMBERS_PLATE,
     kM,
     "two words",
     {},
     "ML「dev list」のﾊﾟｽﾜｰﾄﾞに空白は使えません"},
    {"fml_unsafe_list_password", ID_HELP_PLATE, kF, "pa$s", {}, "ML「dev list」のﾊﾟｽﾜｰﾄﾞの「$」"},
    {"matome_digest_option", ID_MATOME_PLATE, kF, "pw", With([](CommandInput& i) {
       i.address = "a@ex.jp";
       i.mode = "m=3";
     }),
     "まとめ送りのﾓｰﾄﾞ「m=3」はFMLが受け付けません"},
    {"matome_empty_mode", ID_MATOME_PLATE, kF, "pw",
     With([](CommandInput& i) { i.address = "a@ex.jp"; }), "まとめ送りのﾓｰﾄﾞ「」"},
    {"log_count_zero", ID_LOG_PLATE, kF, "pw", With([](CommandInput& i) { i.count = 0; }),
     "ﾛｸﾞの行数は1以上を指定してください"},
    {"file_name_climbing_out", ID_FILEGET_PLATE, kF, "pw",
     With([](CommandInput& i) { i.file = "../guide"; }), "ﾌｧｲﾙ名「../guide」の「/」"},
    {"absolute_file_name", ID_REMOVE_PLATE, kF, "pw",
     With([](CommandInput& i) { i.file = "/etc/passwd"; }), "ﾌｧｲﾙ名「/etc/passwd」の「/」"},
    {"file_name_with_a_command", ID_FILEPUT_PLATE, kF, "pw", With([](CommandInput& i) {
       i.file = "guide;ls";
       i.localFile = "{dir}/three_lines.txt";
     }),
     "ﾌｧｲﾙ名「guide;ls」の「;」"},
    {"empty_file_name", ID_FILEGET_PLATE, kF, "pw", {}, "ﾌｧｲﾙ名が空です"},
    {"file_name_with_a_blank", ID_FILEGET_PLATE, kF, "pw",
     With([](CommandInput& i) { i.file = "gui de"; }),
     "ﾌｧｲﾙ名「gui de」に空白は使えません\nFMLは空白で区切られた語を別々の値として読みます"},
    {"rename_with_a_blank", ID_RENAME_PLATE, kF, "pw", With([](CommandInput& i) {
       i.oldValue = "a b";
       i.newValue = "c";
     }),
     "変更前のﾌｧｲﾙ名「a b」に空白は使えません"},
    {"rename_to_a_path", ID_RENAME_PLATE, kF, "pw", With([](CommandInput& i) {
       i.oldValue = "a";
       i.newValue = "../a";
     }),
     "変更後のﾌｧｲﾙ名「../a」"},
    {"ls_wildcard", ID_FILELIST_PLATE, kF, "pw", With([](CommandInput& i) { i.option = "-l *"; }),
     "ｵﾌﾟｼｮﾝ「-l *」の「*」"},
    {"article_list_with_a_command", ID_UNLINK_PLATE, kF, "pw",
     With([](CommandInput& i) { i.article = "1;2"; }), "記事番号「1;2」の「;」"},
    {"put_missing_file", ID_FILEPUT_PLATE, kF, "pw", With([](CommandInput& i) {
       i.file = "help";
       i.localFile = "{dir}/missing";
     }),
     "missing」が読めません"},
    {"newinfo_missing_file", ID_NEWINFO_PLATE, kM, "pw",
     With([](CommandInput& i) { i.file = "{dir}/missing"; }), "が読めません"},
    {"newconfig_no_file", ID_CONFIG_PLATE, kM, "pw", With([](CommandInput& i) { i.choice = 1; }),
     "送るﾌｧｲﾙが指定されていません"},
    {"newinfo_eof_line", ID_NEWINFO_PLATE, kM, "pw",
     With([](CommandInput& i) { i.file = "{dir}/eof.txt"; }),
     "eof.txt」の2行目が「EOF」です\nMajordomoはそこで本文を終え"},
    {"newintro_eof_line", ID_NEWINTRO_PLATE, kM, "pw",
     With([](CommandInput& i) { i.file = "{dir}/eof.txt"; }), "の2行目が「EOF」です"},
    {"newconfig_eof_line", ID_CONFIG_PLATE, kM, "pw", With([](CommandInput& i) {
       i.choice = 1;
       i.file = "{dir}/eof.txt";
     }),
     "の2行目が「EOF」です"},
};

class CommandRefusals : public SampleFiles, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(CommandRefusals, NameTheValueAndComposeNothing) {
  const Refused& row = kRefused[GetParam()];
  CommandInput input = row.input;
  for (std::string* path : {&input.file, &input.localFile})
    *path = Resolve(*path);
  std::string mail = "stale text";
  const ComposeResult result = BuildMail(row.id, ListOf(row.kind, row.password), input, mail);
  EXPECT_EQ(result.status, ComposeStatus::Refused);
  EXPECT_NE(result.reason.find(row.reason), std::string::npos) << result.reason;
  EXPECT_TRUE(mail.empty());
}

INSTANTIATE_TEST_SUITE_P(Values, CommandRefusals,
                         ::testing::Range<std::size_t>(0, std::size(kRefused)),
                         [](const auto& info) { return std::string(kRefused[info.param].name); });

TEST(CommandMail, AnFmlListTextMayHoldAnEofLine) {
  testing::TempDir dir;
  WriteFile(dir / "eof.txt", "text\r\nEOF\r\nmore\r\n");
  CommandInput input;
  input.file = (dir / "eof.txt").string();
  std::string mail;
  EXPECT_EQ(BuildMail(ID_NEWINFO_PLATE, ListOf(kF, "pw"), input, mail).status,
            ComposeStatus::Composed);
  EXPECT_TRUE(mail.ends_with("# admin newinfo\r\ntext\r\nEOF\r\nmore\r\n")) << mail;
}

}  // namespace
}  // namespace tarnwick
