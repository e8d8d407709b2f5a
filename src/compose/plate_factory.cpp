#include "compose/plate_factory.h"

#include "compose/address_list_plate.h"
#include "compose/form_plate.h"

namespace tarnwick {
namespace {

struct FormPlate {
  CommandId command;
  FormSpec form;
};

FieldSpec FileField(const char* label, std::string CommandInput::*input, FieldKind kind,
                    std::string MailingList::*remembered = nullptr, int onlyForOption = -1) {
  FieldSpec field = Field(label, "file", input);
  field.kind = kind;
  field.remembered = remembered;
  field.onlyForOption = onlyForOption;
  return field;
}

FieldSpec CountField() {
  FieldSpec field = Field("行数", "count", nullptr);
  field.kind = FieldKind::Count;
  field.onlyForOption = 0;
  field.unit = "行";
  return field;
}

FieldSpec ArticleField() {
  FieldSpec field = Field("記事番号", "article", &CommandInput::article);
  field.kind = FieldKind::Article;
  return field;
}

FormSpec ListTextForm(const char* description, std::string MailingList::*remembered) {
  return {description,
          nullptr,
          {FileField("ﾌｧｲﾙ名", &CommandInput::file, FieldKind::ViewedFile, remembered)},
          {}};
}

constexpr char kNoData[] = "設定するデータはありません";

// Password fields are plain edits: the administrator sees what is sent.
const std::vector<FormPlate>& FormPlates() {
  static const std::vector<FormPlate> plates{
      {ID_CHADDR_PLATE,
       {"指定ｱﾄﾞﾚｽを変更します",
        nullptr,
        {Field("旧ｱﾄﾞﾚｽ", "oldAddress", &CommandInput::oldValue),
         Field("新ｱﾄﾞﾚｽ", "newAddress", &CommandInput::newValue)},
        {" 使用ｺﾏﾝﾄﾞ ", {"chaddr", "change", "change-address"}}}},
      {ID_MATOME_PLATE,
       {"指定ｱﾄﾞﾚｽをまとめ送りにします",
        nullptr,
        {Field("ｱﾄﾞﾚｽ", "address", &CommandInput::address),
         Field("ﾓｰﾄﾞ", "mode", &CommandInput::mode)},
        {}}},
      {ID_MEMBERS_PLATE, {"ＭＬのﾒﾝﾊﾞｰ一覧を取り寄せます", kNoData, {}, {}}},
      {ID_INITPASSWORD_PLATE,
       {"指定したｱﾄﾞﾚｽのﾊﾟｽﾜｰﾄﾞを初期化します",
        nullptr,
        {Field("ｱﾄﾞﾚｽ", "address", &CommandInput::address),
         Field("新しいﾊﾟｽﾜｰﾄﾞ", "newPassword", &CommandInput::newPassword)},
        {}}},
      {ID_NEWPASSWORD_PLATE,
       {"ﾊﾟｽﾜｰﾄﾞを変更します",
        nullptr,
        {Field("新しいﾊﾟｽﾜｰﾄﾞ", "newPassword", &CommandInput::newPassword)},
        {}}},
      {ID_FILELIST_PLATE,
       {"ＭＬのある場所のﾌｧｲﾙﾘｽﾄを取り寄せます",
        nullptr,
        {Field("ｵﾌﾟｼｮﾝ", "option", &CommandInput::option)},
        {}}},
      {ID_FILEGET_PLATE,
       {"指定ﾌｧｲﾙを取り寄せます", nullptr, {Field("ﾌｧｲﾙ名", "file", &CommandInput::file)}, {}}},
      {ID_FILEPUT_PLATE,
       {"指定ﾌｧｲﾙをＭＬのある場所に書込みます",
        nullptr,
        {Field("ﾌｧｲﾙ名", "file", &CommandInput::file),
         [] {
           FieldSpec local = FileField("書き込むﾌｧｲﾙ", &CommandInput::localFile, FieldKind::File);
           local.objectName = "localFile";
           return local;
         }()},
        {}}},
      {ID_REMOVE_PLATE,
       {"指定ﾌｧｲﾙを削除します", nullptr, {Field("ﾌｧｲﾙ名", "file", &CommandInput::file)}, {}}},
      {ID_RENAME_PLATE,
       {"ﾌｧｲﾙ名を変更します",
        nullptr,
        {Field("旧ﾌｧｲﾙ名", "oldFile", &CommandInput::oldValue),
         Field("新ﾌｧｲﾙ名", "newFile", &CommandInput::newValue)},
        {}}},
      {ID_UNLINK_PLATE, {"指定した記事を削除します", nullptr, {ArticleField()}, {}}},
      {ID_NEWINFO_PLATE,
       ListTextForm("指定ﾌｧｲﾙの内容を新しいInfoﾌｧｲﾙとして入れ替えます", &MailingList::InfoFile)},
      {ID_NEWGUIDE_PLATE,
       ListTextForm("指定ﾌｧｲﾙの内容を新しいGuideﾌｧｲﾙとして入れ替えます", &MailingList::GuideFile)},
      {ID_NEWINTRO_PLATE,
       ListTextForm("指定ﾌｧｲﾙの内容を新しい Introﾌｧｲﾙとして入れ替えます", &MailingList::IntroFile)},
      {ID_CONFIG_PLATE,
       {"ＭＬの設定ﾌｧｲﾙを操作します",
        nullptr,
        {FileField("Config ﾌｧｲﾙ名", &CommandInput::file, FieldKind::ConfigFile,
                   &MailingList::ConfigFile, 1)},
        {nullptr, {"Configﾌｧｲﾙを取り寄せる", "Configﾌｧｲﾙを送信する"}}}},
      {ID_HELP_PLATE, {"管理者用のコマンドﾍﾙﾌﾟを取り寄せます", kNoData, {}, {}}},
      {ID_LOG_PLATE,
       {"ﾛｸﾞﾌｧｲﾙを取り寄せます",
        nullptr,
        {CountField()},
        {nullptr, {"最新のﾛｸﾞを取り寄せる", "全てのﾛｸﾞを取り寄せる"}}}},
      {ID_PGP_PLATE,
       {"PGPの処理を行います",
        nullptr,
        {FileField("鍵ﾌｧｲﾙ名", &CommandInput::file, FieldKind::File, nullptr, 0)},
        {nullptr, {"鍵の追加", "鍵の取得"}}}},
      {ID_DEBUG_PLATE, {"ﾃﾞﾊﾞｯｸﾞﾓｰﾄﾞにします", kNoData, {}, {}}},
  };
  return plates;
}

}  // namespace

std::unique_ptr<CPlate> MakePlate(CommandId command) {
  const CommandInfo* info = FindCommand(command);
  if (info == nullptr) return nullptr;
  if (info->addressList) return std::make_unique<CAddressListPlate>(command);
  for (const FormPlate& plate : FormPlates()) {
    if (plate.command == command) return std::make_unique<CFormPlate>(command, plate.form);
  }
  return nullptr;
}

}  // namespace tarnwick
