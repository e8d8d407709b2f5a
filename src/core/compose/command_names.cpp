#include "core/compose/command_names.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

// Every "X-Command:" value the command bodies write, with the command's name as the command
// tree groups it; a tree entry alone ("登録") would not say which of three it is.
constexpr std::array<std::pair<std::string_view, std::string_view>, 27> kNames{{
    {"Set New Password", "ﾊﾟｽﾜｰﾄﾞ変更"},
    {"Init Password", "ﾊﾟｽﾜｰﾄﾞ初期化"},
    {"Get Members List", "ﾒﾝﾊﾞｰ一覧"},
    {"Subscribe Member", "ﾒﾝﾊﾞｰ登録"},
    {"UnSubscribe Member", "ﾒﾝﾊﾞｰ削除"},
    {"Member Set Off", "ﾒﾝﾊﾞｰ休止"},
    {"Member Set On", "ﾒﾝﾊﾞｰ休止解除"},
    {"ChangeAddress", "ﾒﾝﾊﾞｰｱﾄﾞﾚｽ変更"},
    {"Set Matome mode", "まとめ送り"},
    {"Member Set Skip", "投稿のみ"},
    {"AddAdmin", "管理ﾒﾝﾊﾞｰ登録"},
    {"ByeAdmin", "管理ﾒﾝﾊﾞｰ削除"},
    {"Get File List", "ﾌｧｲﾙﾘｽﾄ"},
    {"Get File", "ﾌｧｲﾙ取得"},
    {"Put File", "ﾌｧｲﾙ登録"},
    {"Remove File", "ﾌｧｲﾙ削除"},
    {"Rename File", "ﾌｧｲﾙﾘﾈｰﾑ"},
    {"Set New Info File", "Infoﾌｧｲﾙ設定"},
    {"Set New Intro File", "Introﾌｧｲﾙ設定"},
    {"Set New Guide File", "Guideﾌｧｲﾙ設定"},
    {"Unlink Article(s)", "記事削除"},
    {"Get Config", "Configﾌｧｲﾙ取り寄せ"},
    {"Change Config", "Configﾌｧｲﾙ送信"},
    {"Get Help", "管理者ｺﾏﾝﾄﾞﾍﾙﾌﾟ取得"},
    {"Get Log File", "ﾛｸﾞ取り寄せ"},
    {"PGP Command", "PGP"},
    {"Debug Mode", "ﾃﾞﾊﾞｯｸﾞﾓｰﾄﾞ"},
}};

}  // namespace

std::optional<std::string_view> JapaneseCommandName(std::string_view xCommand) {
  const auto found = std::find_if(kNames.begin(), kNames.end(),
                                  [&](const auto& name) { return name.first == xCommand; });
  if (found == kNames.end()) return std::nullopt;
  return found->second;
}

std::string CommandTitleText(std::string_view xCommand) {
  if (const std::optional<std::string_view> name = JapaneseCommandName(xCommand))
    return std::string(*name);
  return Cp932ToUtf8(xCommand);
}

}  // namespace tarnwick
