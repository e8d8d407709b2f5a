#include "core/compose/command_catalogue.h"

#include <algorithm>
#include <array>

#include "core/compose/command_body.h"
#include "core/compose/mail_header.h"
#include "core/compose/value_rules.h"

namespace tarnwick {
namespace {

constexpr ExtractionMode kReturned = ExtractionMode::Returned;
constexpr ExtractionMode kSender = ExtractionMode::Sender;
constexpr char kNoData[] = "設定するデータはありません";

// Category names of the command tree.
constexpr char kPasswords[] = "ﾊﾟｽﾜｰﾄﾞ関係";
constexpr char kMembers[] = "ﾒﾝﾊﾞｰﾘｽﾄ操作";
constexpr char kAdmins[] = "管理ﾒﾝﾊﾞｰ操作";
constexpr char kFiles[] = "ﾌｧｲﾙ操作";
constexpr char kOther[] = "その他";

FieldSpec Field(const char* label, const char* objectName, std::string CommandInput::*input,
                std::string_view cliOption) {
  FieldSpec field;
  field.label = label;
  field.objectName = objectName;
  field.input = input;
  field.cliOption = cliOption;
  return field;
}

FieldSpec FileField(const char* label, std::string CommandInput::*input, FieldKind kind,
                    std::string MailingList::*remembered = nullptr, int onlyForOption = -1) {
  FieldSpec field = Field(label, "file", input, "file");
  field.kind = kind;
  field.remembered = remembered;
  field.onlyForOption = onlyForOption;
  return field;
}

FieldSpec CountField() {
  FieldSpec field = Field("行数", "count", nullptr, "count");
  field.kind = FieldKind::Count;
  field.onlyForOption = 0;
  field.unit = "行";
  return field;
}

FieldSpec ArticleField() {
  FieldSpec field = Field("記事番号", "article", &CommandInput::article, "article");
  field.kind = FieldKind::Article;
  return field;
}

FieldSpec LocalFileField() {
  FieldSpec local = FileField("書き込むﾌｧｲﾙ", &CommandInput::localFile, FieldKind::File);
  local.objectName = "localFile";
  local.cliOption = "local-file";
  return local;
}

std::vector<FieldSpec> ListTextFields(std::string MailingList::*remembered) {
  return {FileField("ﾌｧｲﾙ名", &CommandInput::file, FieldKind::ViewedFile, remembered)};
}

FieldSpec NewPasswordField() {
  FieldSpec field = Field("新しいﾊﾟｽﾜｰﾄﾞ", "newPassword", &CommandInput::newPassword, "password");
  field.kind = FieldKind::Secret;
  return field;
}

// The bodies of single commands.

std::optional<Body> NewPasswordBody(Composer& c) {
  constexpr std::string_view kTitle = "Set New Password";
  if (c.fml()) return c.Fml(kTitle, Line({"# admin passwd ", c.NewPassword()}));
  const MailingList& list = c.list();
  return Body{
      kTitle,
      Line({"passwd ", list.Name, " ", list.Password, " ", c.NewPassword()}) + Line({"end"}),
      {}};
}

std::optional<Body> MembersBody(Composer& c) {
  constexpr std::string_view kTitle = "Get Members List";
  if (c.fml()) return c.Fml(kTitle, Line({"# admin members"}));
  return Body{
      kTitle, Line({"approve ", c.list().Password, " who ", c.list().Name}) + Line({"end"}), {}};
}

std::optional<Body> ChaddrBody(Composer& c) {
  constexpr std::array<std::string_view, 3> kKeywords{"# admin chaddr ", "# admin change ",
                                                      "# admin change-address "};
  const CommandInput& input = c.input();
  if (input.oldValue.empty() || input.newValue.empty()) return std::nullopt;
  const std::size_t choice = input.choice >= 0 && input.choice < 3 ? input.choice : 0;
  return c.Fml("ChangeAddress", Line({kKeywords[choice], c.Address(input.oldValue), " ",
                                      c.Address(input.newValue)}));
}

std::optional<Body> MatomeBody(Composer& c) {
  c.Check(CheckMatomeMode(c.input().mode));
  return c.Fml("Set Matome mode",
               Line({"# admin matome ", c.Address(c.input().address), " ", c.input().mode}));
}

std::optional<Body> FilePutBody(Composer& c) {
  Body body = c.Fml("Put File", Line({"# admin put ", c.Required("ﾌｧｲﾙ名", c.input().file)}));
  body.content = c.MemberText(c.input().localFile, body.japanese);
  return body;
}

std::optional<Body> ConfigBody(Composer& c) {
  const bool send = c.input().choice == 1;
  const std::string_view title = send ? "Change Config" : "Get Config";
  const MailingList& list = c.list();
  if (c.fml()) {
    Body body = c.Fml(title, Line({send ? "# admin put config.ph" : "# admin get config.ph"}));
    if (send) body.content = c.Content(c.input().file);
    return body;
  }
  if (!send) {
    return Body{title, Line({"config ", list.Name, " ", list.Password}) + Line({"end"}), {}};
  }
  Body body{title, Line({"newconfig ", list.Name, " ", list.Password}),
            c.UpToEof(c.input().file, c.Content(c.input().file))};
  // Majordomo reads the configuration up to a line "EOF": glued to a last line without a line
  // break it would become part of the last value.
  if (!body.content.empty() && body.content.back() != '\n') body.content += kCrLf;
  body.content += Line({"EOF"});
  return body;
}

std::optional<Body> LogBody(Composer& c) {
  const CommandInput& input = c.input();
  // "log -0" is no count to fml: it reads it as another command.
  if (input.choice != 1 && input.count == 0) c.Check("ﾛｸﾞの行数は1以上を指定してください");
  const std::string range = input.choice == 1 ? "all" : "-" + std::to_string(input.count);
  return c.Fml("Get Log File", Line({"# admin log ", range}));
}

std::optional<Body> PgpBody(Composer& c) {
  const bool addKey = c.input().choice != 1;
  Body body = c.Fml("PGP Command", Line({"# admin pgp ", addKey ? "-ka" : "-kv"}));
  if (addKey) body.content = c.Content(c.input().file);
  return body;
}

const std::vector<CommandInfo>& Rows() {
  static const std::vector<CommandInfo> rows{
      {ID_NEWPASSWORD_PLATE,
       "newpassword",
       kPasswords,
       "ﾊﾟｽﾜｰﾄﾞ変更",
       true,
       true,
       false,
       kReturned,
       "ﾊﾟｽﾜｰﾄﾞを変更します",
       nullptr,
       {NewPasswordField()},
       {},
       NewPasswordBody},
      {ID_INITPASSWORD_PLATE,
       "initpassword",
       kPasswords,
       "ﾊﾟｽﾜｰﾄﾞ初期化",
       true,
       false,
       false,
       kReturned,
       "指定したｱﾄﾞﾚｽのﾊﾟｽﾜｰﾄﾞを初期化します",
       nullptr,
       {Field("ｱﾄﾞﾚｽ", "address", &CommandInput::address, "address"), NewPasswordField()},
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.Fml("Init Password", Line({"# admin initpass ", c.Address(c.input().address), " ",
                                             c.NewPassword()}));
       }},
      {ID_MEMBERS_PLATE,
       "members",
       kMembers,
       "ﾒﾝﾊﾞｰ一覧",
       true,
       true,
       false,
       kReturned,
       "ＭＬのﾒﾝﾊﾞｰ一覧を取り寄せます",
       kNoData,
       {},
       {},
       MembersBody},
      {ID_SUBSCRIBE_PLATE,
       "subscribe",
       kMembers,
       "登録",
       true,
       true,
       true,
       kReturned,
       "指定したｱﾄﾞﾚｽを登録します",
       "登録アドレス",
       {},
       {},
       [](Composer& c) { return c.AddressList("Subscribe Member", "# admin add ", "subscribe"); }},
      {ID_UNSUBSCRIBE_PLATE,
       "unsubscribe",
       kMembers,
       "削除",
       true,
       true,
       true,
       kReturned,
       "指定したｱﾄﾞﾚｽを削除します",
       "退会者アドレス",
       {},
       {},
       [](Composer& c) {
         return c.AddressList("UnSubscribe Member", "# admin bye ", "unsubscribe");
       }},
      {ID_OFF_PLATE,
       "off",
       kMembers,
       "休止",
       true,
       false,
       true,
       kReturned,
       "指定したｱﾄﾞﾚｽを一時休止します",
       "休止アドレス",
       {},
       {},
       [](Composer& c) { return c.AddressList("Member Set Off", "# admin off ", ""); }},
      {ID_ON_PLATE,
       "on",
       kMembers,
       "休止解除",
       true,
       false,
       true,
       kReturned,
       "指定したｱﾄﾞﾚｽの一時休止を解除します",
       "解除アドレス",
       {},
       {},
       [](Composer& c) { return c.AddressList("Member Set On", "# admin on ", ""); }},
      {ID_CHADDR_PLATE,
       "chaddr",
       kMembers,
       "変更",
       true,
       false,
       false,
       kReturned,
       "指定ｱﾄﾞﾚｽを変更します",
       nullptr,
       {Field("旧ｱﾄﾞﾚｽ", "oldAddress", &CommandInput::oldValue, "old"),
        Field("新ｱﾄﾞﾚｽ", "newAddress", &CommandInput::newValue, "new")},
       {" 使用ｺﾏﾝﾄﾞ ", {"chaddr", "change", "change-address"}, {}, true},
       ChaddrBody},
      {ID_MATOME_PLATE,
       "matome",
       kMembers,
       "まとめ送り",
       true,
       false,
       false,
       kReturned,
       "指定ｱﾄﾞﾚｽをまとめ送りにします",
       nullptr,
       {Field("ｱﾄﾞﾚｽ", "address", &CommandInput::address, "address"),
        Field("ﾓｰﾄﾞ", "mode", &CommandInput::mode, "mode")},
       {},
       MatomeBody},
      // Post-only membership is what fml's "off" does: only the title differs.
      {ID_SKIP_PLATE,
       "skip",
       kMembers,
       "投稿のみ",
       true,
       false,
       true,
       kReturned,
       "指定ｱﾄﾞﾚｽを投稿のみ出来るようにします",
       "設定アドレス",
       {},
       {},
       [](Composer& c) { return c.AddressList("Member Set Skip", "# admin off ", ""); }},
      {ID_ADDADMIN_PLATE,
       "addadmin",
       kAdmins,
       "登録",
       true,
       false,
       true,
       kSender,
       "指定ｱﾄﾞﾚｽを管理者ﾒﾝﾊﾞｰに追加します",
       "追加アドレス",
       {},
       {},
       [](Composer& c) { return c.AddressList("AddAdmin", "# admin addadmin ", ""); }},
      {ID_BYEADMIN_PLATE,
       "byeadmin",
       kAdmins,
       "削除",
       true,
       false,
       true,
       kSender,
       "指定ｱﾄﾞﾚｽを管理者ﾒﾝﾊﾞｰから削除します",
       "削除アドレス",
       {},
       {},
       [](Composer& c) { return c.AddressList("ByeAdmin", "# admin byeadmin ", ""); }},
      {ID_FILELIST_PLATE,
       "filelist",
       kFiles,
       "ﾘｽﾄ",
       true,
       false,
       false,
       kReturned,
       "ＭＬのある場所のﾌｧｲﾙﾘｽﾄを取り寄せます",
       nullptr,
       {Field("ｵﾌﾟｼｮﾝ", "option", &CommandInput::option, "option")},
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.Fml("Get File List",
                      Line({"# admin ls ", c.Optional("ｵﾌﾟｼｮﾝ", c.input().option)}));
       }},
      {ID_FILEGET_PLATE,
       "fileget",
       kFiles,
       "取得",
       true,
       false,
       false,
       kReturned,
       "指定ﾌｧｲﾙを取り寄せます",
       nullptr,
       {Field("ﾌｧｲﾙ名", "file", &CommandInput::file, "file")},
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.Fml("Get File", Line({"# admin get ", c.Required("ﾌｧｲﾙ名", c.input().file)}));
       }},
      {ID_FILEPUT_PLATE,
       "fileput",
       kFiles,
       "登録",
       true,
       false,
       false,
       kReturned,
       "指定ﾌｧｲﾙをＭＬのある場所に書込みます",
       nullptr,
       {Field("ﾌｧｲﾙ名", "file", &CommandInput::file, "file"), LocalFileField()},
       {},
       FilePutBody},
      {ID_REMOVE_PLATE,
       "remove",
       kFiles,
       "削除",
       true,
       false,
       false,
       kReturned,
       "指定ﾌｧｲﾙを削除します",
       nullptr,
       {Field("ﾌｧｲﾙ名", "file", &CommandInput::file, "file")},
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.Fml("Remove File",
                      Line({"# admin remove ", c.Required("ﾌｧｲﾙ名", c.input().file)}));
       }},
      {ID_RENAME_PLATE,
       "rename",
       kFiles,
       "ﾘﾈｰﾑ",
       true,
       false,
       false,
       kReturned,
       "ﾌｧｲﾙ名を変更します",
       nullptr,
       {Field("旧ﾌｧｲﾙ名", "oldFile", &CommandInput::oldValue, "old"),
        Field("新ﾌｧｲﾙ名", "newFile", &CommandInput::newValue, "new")},
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.Fml("Rename File",
                      Line({"# admin rename ", c.Required("変更前のﾌｧｲﾙ名", c.input().oldValue),
                            " ", c.Required("変更後のﾌｧｲﾙ名", c.input().newValue)}));
       }},
      {ID_NEWINFO_PLATE,
       "newinfo",
       kFiles,
       "Infoﾌｧｲﾙ設定",
       true,
       true,
       false,
       kReturned,
       "指定ﾌｧｲﾙの内容を新しいInfoﾌｧｲﾙとして入れ替えます",
       nullptr,
       ListTextFields(&MailingList::InfoFile),
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.ListTextBody("Set New Info File", "# admin newinfo", "newinfo");
       }},
      {ID_NEWINTRO_PLATE,
       "newintro",
       kFiles,
       "Introﾌｧｲﾙ設定",
       false,
       true,
       false,
       kReturned,
       "指定ﾌｧｲﾙの内容を新しい Introﾌｧｲﾙとして入れ替えます",
       nullptr,
       ListTextFields(&MailingList::IntroFile),
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.ListTextBody("Set New Intro File", "", "newintro");
       }},
      {ID_NEWGUIDE_PLATE,
       "newguide",
       kFiles,
       "Guideﾌｧｲﾙ設定",
       true,
       false,
       false,
       kReturned,
       "指定ﾌｧｲﾙの内容を新しいGuideﾌｧｲﾙとして入れ替えます",
       nullptr,
       ListTextFields(&MailingList::GuideFile),
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.ListTextBody("Set New Guide File", "# admin newguide", "");
       }},
      {ID_UNLINK_PLATE,
       "unlink",
       kFiles,
       "記事削除",
       true,
       false,
       false,
       kReturned,
       "指定した記事を削除します",
       nullptr,
       {ArticleField()},
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.Fml("Unlink Article(s)",
                      Line({"# admin unlink-article ", c.Required("記事番号", c.input().article)}));
       }},
      {ID_CONFIG_PLATE,
       "config",
       kFiles,
       "Configﾌｧｲﾙ設定",
       true,
       true,
       false,
       kReturned,
       "ＭＬの設定ﾌｧｲﾙを操作します",
       nullptr,
       {FileField("Config ﾌｧｲﾙ名", &CommandInput::file, FieldKind::ConfigFile,
                  &MailingList::ConfigFile, 1)},
       {nullptr, {"Configﾌｧｲﾙを取り寄せる", "Configﾌｧｲﾙを送信する"}, "send"},
       ConfigBody},
      {ID_HELP_PLATE,
       "help",
       kOther,
       "管理者ｺﾏﾝﾄﾞﾍﾙﾌﾟ取得",
       true,
       false,
       false,
       kReturned,
       "管理者用のコマンドﾍﾙﾌﾟを取り寄せます",
       kNoData,
       {},
       {},
       [](Composer& c) -> std::optional<Body> {
         return c.Fml("Get Help", Line({"# admin help"}));
       }},
      {ID_LOG_PLATE,
       "log",
       kOther,
       "ﾛｸﾞ取り寄せ",
       true,
       false,
       false,
       kReturned,
       "ﾛｸﾞﾌｧｲﾙを取り寄せます",
       nullptr,
       {CountField()},
       {nullptr, {"最新のﾛｸﾞを取り寄せる", "全てのﾛｸﾞを取り寄せる"}, "all"},
       LogBody},
      {ID_PGP_PLATE,
       "pgp",
       kOther,
       "PGP",
       true,
       false,
       false,
       kReturned,
       "PGPの処理を行います",
       nullptr,
       {FileField("鍵ﾌｧｲﾙ名", &CommandInput::file, FieldKind::File, nullptr, 0)},
       {nullptr, {"鍵の追加", "鍵の取得"}, "get-keys"},
       PgpBody},
      // The only body without a pass line.
      {ID_DEBUG_PLATE,
       "debug",
       kOther,
       "ﾃﾞﾊﾞｯｸﾞﾓｰﾄﾞ",
       true,
       false,
       false,
       kReturned,
       "ﾃﾞﾊﾞｯｸﾞﾓｰﾄﾞにします",
       kNoData,
       {},
       {},
       [](Composer&) -> std::optional<Body> {
         return Body{"Debug Mode", Line({"# set debug"}), {}};
       }},
  };
  return rows;
}

}  // namespace

std::span<const CommandInfo> Commands() {
  return Rows();
}

const CommandInfo* FindCommand(CommandId id) {
  for (const CommandInfo& command : Rows()) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

const CommandInfo* FindCommand(std::string_view name) {
  for (const CommandInfo& command : Rows()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

bool IsOffered(const CommandInfo& command, ServerKind serverKind) {
  return (serverKind == ServerKind::Fml && command.fml) ||
         (serverKind == ServerKind::Majordomo && command.majordomo);
}

std::vector<std::string_view> CliInputs(const CommandInfo& command) {
  std::vector<std::string_view> inputs;
  if (command.addressList) inputs.push_back("address");
  for (const FieldSpec& field : command.fields)
    inputs.push_back(field.cliOption);
  if (!command.choice.cliFlag.empty()) inputs.push_back(command.choice.cliFlag);
  if (command.choice.cliKeyword) inputs.push_back("keyword");
  return inputs;
}

}  // namespace tarnwick
