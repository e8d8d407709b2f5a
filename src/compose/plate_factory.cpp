#include "compose/plate_factory.h"

#include <array>

#include "compose/address_list_plate.h"
#include "compose/form_plate.h"

namespace tarnwick {
namespace {

struct FormPlate {
  CommandId command;
  FormSpec form;
};

// Password fields are plain edits: the administrator sees what is sent.
const std::array<FormPlate, 5> kFormPlates{{
    {ID_CHADDR_PLATE,
     {"指定ｱﾄﾞﾚｽを変更します",
      nullptr,
      {{"旧ｱﾄﾞﾚｽ", "oldAddress", &CommandInput::oldValue},
       {"新ｱﾄﾞﾚｽ", "newAddress", &CommandInput::newValue}},
      {" 使用ｺﾏﾝﾄﾞ ", {"chaddr", "change", "change-address"}}}},
    {ID_MATOME_PLATE,
     {"指定ｱﾄﾞﾚｽをまとめ送りにします",
      nullptr,
      {{"ｱﾄﾞﾚｽ", "address", &CommandInput::address}, {"ﾓｰﾄﾞ", "mode", &CommandInput::mode}},
      {}}},
    {ID_MEMBERS_PLATE, {"ＭＬのﾒﾝﾊﾞｰ一覧を取り寄せます", "設定するデータはありません", {}, {}}},
    {ID_INITPASSWORD_PLATE,
     {"指定したｱﾄﾞﾚｽのﾊﾟｽﾜｰﾄﾞを初期化します",
      nullptr,
      {{"ｱﾄﾞﾚｽ", "address", &CommandInput::address},
       {"新しいﾊﾟｽﾜｰﾄﾞ", "newPassword", &CommandInput::newPassword}},
      {}}},
    {ID_NEWPASSWORD_PLATE,
     {"ﾊﾟｽﾜｰﾄﾞを変更します",
      nullptr,
      {{"新しいﾊﾟｽﾜｰﾄﾞ", "newPassword", &CommandInput::newPassword}},
      {}}},
}};

}  // namespace

std::unique_ptr<CPlate> MakePlate(CommandId command) {
  const CommandInfo* info = FindCommand(command);
  if (info == nullptr) return nullptr;
  if (info->addressList) return std::make_unique<CAddressListPlate>(command);
  for (const FormPlate& plate : kFormPlates) {
    if (plate.command == command) return std::make_unique<CFormPlate>(command, plate.form);
  }
  return nullptr;
}

}  // namespace tarnwick
