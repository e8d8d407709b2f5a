#include "core/compose/command_catalogue.h"

#include <algorithm>
#include <array>

#include "core/compose/command_body.h"

namespace tarnwick {
namespace {

constexpr ExtractionMode kSender = ExtractionMode::Sender;
constexpr char kNoData[] = "設定するデータはありません";

// Category names of the command tree.
constexpr char kPasswords[] = "ﾊﾟｽﾜｰﾄﾞ関係";
constexpr char kMembers[] = "ﾒﾝﾊﾞｰﾘｽﾄ操作";
constexpr char kAdmins[] = "管理ﾒﾝﾊﾞｰ操作";
constexpr char kFiles[] = "ﾌｧｲﾙ操作";
constexpr char kOther[] = "その他";

FieldRow Field(const char* label, const char* objectName, std::string CommandInput::*input,
               std::string_view cliOption) {
  FieldRow field;
  field.label = label;
  field.objectName = objectName;
  field.input = input;
  field.cliOption = cliOption;
  return field;
}

FieldRow FileField(const char* label, std::string CommandInput::*input, FieldKind kind,
                   std::string MailingList::*remembered = nullptr, int onlyForOption = -1) {
  FieldRow field = Field(label, "file", input, "file");
  field.kind = kind;
  field.remembered = remembered;
  field.onlyForOption = onlyForOption;
  return field;
}

FieldRow CountField() {
  FieldRow field = Field("行数", "count", nullptr, "count");
  field.kind = FieldKind::Count;
  field.onlyForOption = 0;
  field.unit = "行";
  return field;
}

FieldRow ArticleField() {
  FieldRow field = Field("記事番号", "article", &CommandInput::article, "article");
  field.kind = FieldKind::Article;
  return field;
}

FieldRow LocalFileField() {
  FieldRow local = FileField("書き込むﾌｧｲﾙ", &CommandInput::localFile, FieldKind::File);
  local.objectName = "localFile";
  local.cliOption = "local-file";
  return local;
}

std::vector<FieldRow> ListTextFields(std::string MailingList::*remembered) {
  return {FileField("ﾌｧｲﾙ名", &CommandInput::file, FieldKind::ViewedFile, remembered)};
}

FieldRow NewPasswordField() {
  FieldRow field = Field("新しいﾊﾟｽﾜｰﾄﾞ", "newPassword", &CommandInput::newPassword, "password");
  field.kind = FieldKind::Secret;
  return field;
}

// In the order of the command tree.
const std::vector<CommandInfo> kRows{
    {.id = ID_NEWPASSWORD_PLATE,
     .name = "newpassword",
     .category = kPasswords,
     .label = "ﾊﾟｽﾜｰﾄﾞ変更",
     .offeredBy = OfferedBy::Both,
     .description = "ﾊﾟｽﾜｰﾄﾞを変更します",
     .fields = {NewPasswordField()},
     .body = NewPasswordBody},
    {.id = ID_INITPASSWORD_PLATE,
     .name = "initpassword",
     .category = kPasswords,
     .label = "ﾊﾟｽﾜｰﾄﾞ初期化",
     .offeredBy = OfferedBy::Fml,
     .description = "指定したｱﾄﾞﾚｽのﾊﾟｽﾜｰﾄﾞを初期化します",
     .fields = {Field("ｱﾄﾞﾚｽ", "address", &CommandInput::address, "address"), NewPasswordField()},
     .body = InitPasswordBody},
    {.id = ID_MEMBERS_PLATE,
     .name = "members",
     .category = kMembers,
     .label = "ﾒﾝﾊﾞｰ一覧",
     .offeredBy = OfferedBy::Both,
     .description = "ＭＬのﾒﾝﾊﾞｰ一覧を取り寄せます",
     .note = kNoData,
     .body = MembersBody},
    {.id = ID_SUBSCRIBE_PLATE,
     .name = "subscribe",
     .category = kMembers,
     .label = "登録",
     .offeredBy = OfferedBy::Both,
     .addressList = true,
     .description = "指定したｱﾄﾞﾚｽを登録します",
     .note = "登録アドレス",
     .body = SubscribeBody},
    {.id = ID_UNSUBSCRIBE_PLATE,
     .name = "unsubscribe",
     .category = kMembers,
     .label = "削除",
     .offeredBy = OfferedBy::Both,
     .addressList = true,
     .description = "指定したｱﾄﾞﾚｽを削除します",
     .note = "退会者アドレス",
     .body = UnsubscribeBody},
    {.id = ID_OFF_PLATE,
     .name = "off",
     .category = kMembers,
     .label = "休止",
     .offeredBy = OfferedBy::Fml,
     .addressList = true,
     .description = "指定したｱﾄﾞﾚｽを一時休止します",
     .note = "休止アドレス",
     .body = OffBody},
    {.id = ID_ON_PLATE,
     .name = "on",
     .category = kMembers,
     .label = "休止解除",
     .offeredBy = OfferedBy::Fml,
     .addressList = true,
     .description = "指定したｱﾄﾞﾚｽの一時休止を解除します",
     .note = "解除アドレス",
     .body = OnBody},
    {.id = ID_CHADDR_PLATE,
     .name = "chaddr",
     .category = kMembers,
     .label = "変更",
     .offeredBy = OfferedBy::Fml,
     .description = "指定ｱﾄﾞﾚｽを変更します",
     .fields = {Field("旧ｱﾄﾞﾚｽ", "oldAddress", &CommandInput::oldValue, "old"),
                Field("新ｱﾄﾞﾚｽ", "newAddress", &CommandInput::newValue, "new")},
     .choice = {.title = " 使用ｺﾏﾝﾄﾞ ",
                .options = {"chaddr", "change", "change-address"},
                .cliKeyword = true},
     .body = ChaddrBody},
    {.id = ID_MATOME_PLATE,
     .name = "matome",
     .category = kMembers,
     .label = "まとめ送り",
     .offeredBy = OfferedBy::Fml,
     .description = "指定ｱﾄﾞﾚｽをまとめ送りにします",
     .fields = {Field("ｱﾄﾞﾚｽ", "address", &CommandInput::address, "address"),
                Field("ﾓｰﾄﾞ", "mode", &CommandInput::mode, "mode")},
     .body = MatomeBody},
    // Post-only membership is what fml's "off" does: only the title differs.
    {.id = ID_SKIP_PLATE,
     .name = "skip",
     .category = kMembers,
     .label = "投稿のみ",
     .offeredBy = OfferedBy::Fml,
     .addressList = true,
     .description = "指定ｱﾄﾞﾚｽを投稿のみ出来るようにします",
     .note = "設定アドレス",
     .body = SkipBody},
    {.id = ID_ADDADMIN_PLATE,
     .name = "addadmin",
     .category = kAdmins,
     .label = "登録",
     .offeredBy = OfferedBy::Fml,
     .addressList = true,
     .extraction = kSender,
     .description = "指定ｱﾄﾞﾚｽを管理者ﾒﾝﾊﾞｰに追加します",
     .note = "追加アドレス",
     .body = AddAdminBody},
    {.id = ID_BYEADMIN_PLATE,
     .name = "byeadmin",
     .category = kAdmins,
     .label = "削除",
     .offeredBy = OfferedBy::Fml,
     .addressList = true,
     .extraction = kSender,
     .description = "指定ｱﾄﾞﾚｽを管理者ﾒﾝﾊﾞｰから削除します",
     .note = "削除アドレス",
     .body = ByeAdminBody},
    {.id = ID_FILELIST_PLATE,
     .name = "filelist",
     .category = kFiles,
     .label = "ﾘｽﾄ",
     .offeredBy = OfferedBy::Fml,
     .description = "ＭＬのある場所のﾌｧｲﾙﾘｽﾄを取り寄せます",
     .fields = {Field("ｵﾌﾟｼｮﾝ", "option", &CommandInput::option, "option")},
     .body = FileListBody},
    {.id = ID_FILEGET_PLATE,
     .name = "fileget",
     .category = kFiles,
     .label = "取得",
     .offeredBy = OfferedBy::Fml,
     .description = "指定ﾌｧｲﾙを取り寄せます",
     .fields = {Field("ﾌｧｲﾙ名", "file", &CommandInput::file, "file")},
     .body = FileGetBody},
    {.id = ID_FILEPUT_PLATE,
     .name = "fileput",
     .category = kFiles,
     .label = "登録",
     .offeredBy = OfferedBy::Fml,
     .description = "指定ﾌｧｲﾙをＭＬのある場所に書込みます",
     .fields = {Field("ﾌｧｲﾙ名", "file", &CommandInput::file, "file"), LocalFileField()},
     .body = FilePutBody},
    {.id = ID_REMOVE_PLATE,
     .name = "remove",
     .category = kFiles,
     .label = "削除",
     .offeredBy = OfferedBy::Fml,
     .description = "指定ﾌｧｲﾙを削除します",
     .fields = {Field("ﾌｧｲﾙ名", "file", &CommandInput::file, "file")},
     .body = RemoveBody},
    {.id = ID_RENAME_PLATE,
     .name = "rename",
     .category = kFiles,
     .label = "ﾘﾈｰﾑ",
     .offeredBy = OfferedBy::Fml,
     .description = "ﾌｧｲﾙ名を変更します",
     .fields = {Field("旧ﾌｧｲﾙ名", "oldFile", &CommandInput::oldValue, "old"),
                Field("新ﾌｧｲﾙ名", "newFile", &CommandInput::newValue, "new")},
     .body = RenameBody},
    {.id = ID_NEWINFO_PLATE,
     .name = "newinfo",
     .category = kFiles,
     .label = "Infoﾌｧｲﾙ設定",
     .offeredBy = OfferedBy::Both,
     .description = "指定ﾌｧｲﾙの内容を新しいInfoﾌｧｲﾙとして入れ替えます",
     .fields = ListTextFields(&MailingList::InfoFile),
     .body = NewInfoBody},
    {.id = ID_NEWINTRO_PLATE,
     .name = "newintro",
     .category = kFiles,
     .label = "Introﾌｧｲﾙ設定",
     .offeredBy = OfferedBy::Majordomo,
     .description = "指定ﾌｧｲﾙの内容を新しい Introﾌｧｲﾙとして入れ替えます",
     .fields = ListTextFields(&MailingList::IntroFile),
     .body = NewIntroBody},
    {.id = ID_NEWGUIDE_PLATE,
     .name = "newguide",
     .category = kFiles,
     .label = "Guideﾌｧｲﾙ設定",
     .offeredBy = OfferedBy::Fml,
     .description = "指定ﾌｧｲﾙの内容を新しいGuideﾌｧｲﾙとして入れ替えます",
     .fields = ListTextFields(&MailingList::GuideFile),
     .body = NewGuideBody},
    {.id = ID_UNLINK_PLATE,
     .name = "unlink",
     .category = kFiles,
     .label = "記事削除",
     .offeredBy = OfferedBy::Fml,
     .description = "指定した記事を削除します",
     .fields = {ArticleField()},
     .body = UnlinkBody},
    {.id = ID_CONFIG_PLATE,
     .name = "config",
     .category = kFiles,
     .label = "Configﾌｧｲﾙ設定",
     .offeredBy = OfferedBy::Both,
     .description = "ＭＬの設定ﾌｧｲﾙを操作します",
     .fields = {FileField("Config ﾌｧｲﾙ名", &CommandInput::file, FieldKind::ConfigFile,
                          &MailingList::ConfigFile, 1)},
     .choice = {.options = {"Configﾌｧｲﾙを取り寄せる", "Configﾌｧｲﾙを送信する"}, .cliFlag = "send"},
     .body = ConfigBody},
    {.id = ID_HELP_PLATE,
     .name = "help",
     .category = kOther,
     .label = "管理者ｺﾏﾝﾄﾞﾍﾙﾌﾟ取得",
     .offeredBy = OfferedBy::Fml,
     .description = "管理者用のコマンドﾍﾙﾌﾟを取り寄せます",
     .note = kNoData,
     .body = HelpBody},
    {.id = ID_LOG_PLATE,
     .name = "log",
     .category = kOther,
     .label = "ﾛｸﾞ取り寄せ",
     .offeredBy = OfferedBy::Fml,
     .description = "ﾛｸﾞﾌｧｲﾙを取り寄せます",
     .fields = {CountField()},
     .choice = {.options = {"最新のﾛｸﾞを取り寄せる", "全てのﾛｸﾞを取り寄せる"}, .cliFlag = "all"},
     .body = LogBody},
    {.id = ID_PGP_PLATE,
     .name = "pgp",
     .category = kOther,
     .label = "PGP",
     .offeredBy = OfferedBy::Fml,
     .description = "PGPの処理を行います",
     .fields = {FileField("鍵ﾌｧｲﾙ名", &CommandInput::file, FieldKind::File, nullptr, 0)},
     .choice = {.options = {"鍵の追加", "鍵の取得"}, .cliFlag = "get-keys"},
     .body = PgpBody},
    // The only body without a pass line.
    {.id = ID_DEBUG_PLATE,
     .name = "debug",
     .category = kOther,
     .label = "ﾃﾞﾊﾞｯｸﾞﾓｰﾄﾞ",
     .offeredBy = OfferedBy::Fml,
     .description = "ﾃﾞﾊﾞｯｸﾞﾓｰﾄﾞにします",
     .note = kNoData,
     .body = DebugBody},
};

}  // namespace

std::span<const CommandInfo> Commands() {
  return kRows;
}

const CommandInfo* FindCommand(CommandId id) {
  for (const CommandInfo& command : kRows) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

const CommandInfo* FindCommand(std::string_view name) {
  for (const CommandInfo& command : kRows) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

bool IsOffered(const CommandInfo& command, ServerKind serverKind) {
  if (serverKind == ServerKind::Fml) return command.offeredBy != OfferedBy::Majordomo;
  if (serverKind == ServerKind::Majordomo) return command.offeredBy != OfferedBy::Fml;
  return false;
}

std::vector<std::string_view> CliInputs(const CommandInfo& command) {
  std::vector<std::string_view> inputs;
  if (command.addressList) inputs.push_back("address");
  for (const FieldRow& field : command.fields)
    inputs.push_back(field.cliOption);
  if (!command.choice.cliFlag.empty()) inputs.push_back(command.choice.cliFlag);
  if (command.choice.cliKeyword) inputs.push_back("keyword");
  return inputs;
}

}  // namespace tarnwick
