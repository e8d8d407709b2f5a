#include "core/config/config_keys.h"

namespace tarnwick {
namespace {

using enum ConfigKind;
using enum ValueRule;

constexpr const char* kAccess[]{"open", "list", "closed"};
constexpr const char* kPolicy[]{"open",         "closed",         "auto",
                                "open+confirm", "closed+confirm", "auto+confirm"};

constexpr Variable kListName{"メーリングリスト名", "$LIST"};
constexpr Variable kIssue{"通し番号", "$ISSUE"};
constexpr Variable kNum{"通し番号", "$NUM"};
constexpr Variable kSender{"From: アドレス", "$SENDER"};
constexpr Variable kVersion{"majordomo のバージョン情報", "$VERSION"};

constexpr Variable kAddedTextVariables[]{kListName, kIssue, kSender, kVersion};
constexpr Variable kHeaderVariables[]{kListName, kSender, kVersion};
constexpr Variable kReplyToVariables[]{kSender};
constexpr Variable kSubjectVariables[]{kListName, kNum, kSender, kVersion};

}  // namespace

constexpr std::array<ConfigKey, kConfigKeyCount> kConfigKeys{{
    {.name = "admin_passwd",
     .kind = Text,
     .page = 0,
     .rule = OneWord,
     .tip = "リスト管理者のパスワード。approve や newconfig などの管理コマンドで使います。"},
    {.name = "administrivia",
     .kind = YesNo,
     .page = 0,
     .tip = "yes にすると、subscribe などのコマンドらしい投稿をリストに流さず管理者に回します。"},
    {.name = "advertise",
     .kind = Block,
     .page = 0,
     .rule = Patterns,
     .tip = "この正規表現に合うアドレスにだけ、lists コマンドでこのリストを案内します。"},
    {.name = "approve_passwd",
     .kind = Text,
     .page = 0,
     .rule = OneWord,
     .tip = "投稿を承認するとき (Approved: ヘッダー) に使うパスワード。"},
    {.name = "archive_dir",
     .kind = Text,
     .page = 0,
     .tip = "投稿を保存するアーカイブのディレクトリ。"},
    {.name = "comments",
     .kind = Block,
     .page = 0,
     .rule = DashEscaped,
     .tip = "設定ファイルに残しておくコメント。動作には影響しません。"},
    {.name = "date_info",
     .kind = YesNo,
     .page = 0,
     .tip = "yes にすると、info ファイルの先頭に最終更新日時を付けます。"},
    {.name = "date_intro",
     .kind = YesNo,
     .page = 0,
     .tip = "yes にすると、intro ファイルの先頭に最終更新日時を付けます。"},
    {.name = "debug",
     .kind = YesNo,
     .page = 0,
     .tip = "yes にすると、投稿を配送せずに処理の確認だけを行います。"},
    {.name = "description",
     .kind = Text,
     .page = 0,
     .tip = "lists コマンドで表示される、リストの短い説明。"},
    {.name = "digest_archive",
     .kind = Text,
     .page = 1,
     .tip = "まとめ送り (ダイジェスト) を保存するディレクトリ。"},
    {.name = "digest_issue", .kind = Number, .page = 1, .tip = "次に作るダイジェストの号数。"},
    {.name = "digest_maxdays",
     .kind = OptionalNumber,
     .page = 1,
     .tip = "この日数が経つとダイジェストを送り出します。Default なら日数では区切りません。"},
    {.name = "digest_maxlines",
     .kind = OptionalNumber,
     .page = 1,
     .tip = "この行数に達するとダイジェストを送り出します。Default なら行数では区切りません。"},
    {.name = "digest_name",
     .kind = Text,
     .page = 1,
     .tip = "ダイジェストのサブジェクトに使う名前。"},
    {.name = "digest_rm_footer",
     .kind = Text,
     .page = 1,
     .rule = OneWord,
     .tip = "ダイジェストに入れる前にフッターを取り除く、元のリストの名前。"},
    {.name = "digest_rm_fronter",
     .kind = Text,
     .page = 1,
     .rule = OneWord,
     .tip = "ダイジェストに入れる前にフロンターを取り除く、元のリストの名前。"},
    {.name = "digest_volume", .kind = Number, .page = 1, .tip = "ダイジェストの巻数。"},
    {.name = "digest_work_dir",
     .kind = Text,
     .page = 1,
     .tip = "ダイジェストを組み立てる作業ディレクトリ。"},
    {.name = "get_access",
     .kind = Text,
     .page = 1,
     .choices = kAccess,
     .tip = "get コマンドでファイルを取り寄せられる人 (open: 誰でも、list: メンバー、closed: "
            "管理者だけ)。"},
    {.name = "index_access",
     .kind = Text,
     .page = 1,
     .choices = kAccess,
     .tip = "index コマンドでファイル一覧を見られる人 (open / list / closed)。"},
    {.name = "info_access",
     .kind = Text,
     .page = 1,
     .choices = kAccess,
     .tip = "info コマンドでリストの案内を見られる人 (open / list / closed)。"},
    {.name = "intro_access",
     .kind = Text,
     .page = 1,
     .choices = kAccess,
     .tip = "intro コマンドで登録時の案内を見られる人 (open / list / closed)。"},
    {.name = "maxlength",
     .kind = Number,
     .page = 1,
     .tip = "投稿の最大の長さ (文字数)。これを超える投稿は承認待ちになります。"},
    {.name = "message_footer",
     .kind = Block,
     .page = 2,
     .rule = DashEscaped,
     .variables = kAddedTextVariables,
     .tip = "各投稿の末尾に付ける文章。"},
    {.name = "message_fronter",
     .kind = Block,
     .page = 2,
     .rule = DashEscaped,
     .variables = kAddedTextVariables,
     .tip = "各投稿の先頭に付ける文章。"},
    {.name = "message_headers",
     .kind = Block,
     .page = 2,
     .rule = DashEscaped,
     .variables = kHeaderVariables,
     .tip = "各投稿に加えるヘッダー行。"},
    {.name = "moderate",
     .kind = YesNo,
     .page = 2,
     .tip = "yes にすると、すべての投稿をモデレーターの承認待ちにします。"},
    {.name = "moderator",
     .kind = Text,
     .page = 2,
     .rule = OneWord,
     .tip = "承認待ちの投稿を受け取るアドレス。空ならリストの管理者に届きます。"},
    {.name = "mungedomain",
     .kind = YesNo,
     .page = 2,
     .tip = "yes にすると、サブドメインだけが違うアドレスを同じメンバーとして扱います。"},
    {.name = "noadvertise",
     .kind = Block,
     .page = 2,
     .rule = Patterns,
     .tip = "この正規表現に合うアドレスには、lists コマンドでこのリストを見せません。"},
    {.name = "precedence",
     .kind = Text,
     .page = 3,
     .rule = OneWord,
     .tip = "配送する投稿の Precedence: ヘッダーの値 (bulk など)。"},
    {.name = "purge_received",
     .kind = YesNo,
     .page = 3,
     .tip = "yes にすると、配送前に Received: ヘッダーを取り除きます。"},
    {.name = "reply_to",
     .kind = Text,
     .page = 3,
     .rule = OneWord,
     .variables = kReplyToVariables,
     .tip = "投稿に付ける Reply-To: ヘッダー。$SENDER は投稿者のアドレスになります。"},
    {.name = "resend_host",
     .kind = Text,
     .page = 3,
     .rule = OneWord,
     .tip = "配送する投稿のアドレスに使うホスト名。"},
    {.name = "restrict_post",
     .kind = Text,
     .page = 3,
     .tip = "投稿できる人を並べたファイルやリストの名前。空なら誰でも投稿できます。"},
    {.name = "sender",
     .kind = Text,
     .page = 3,
     .rule = OneWord,
     .tip = "配送する投稿の Sender: に使うアドレス。"},
    {.name = "strip",
     .kind = YesNo,
     .page = 3,
     .tip = "yes にすると、登録するアドレスから名前やコメントを取り除きます。"},
    {.name = "subject_prefix",
     .kind = Text,
     .page = 3,
     .rule = OneWord,
     .variables = kSubjectVariables,
     .tip = "投稿のサブジェクトの先頭に付ける文字列。"},
    {.name = "subscribe_policy",
     .kind = Text,
     .page = 3,
     .choices = kPolicy,
     .tip = "登録の受け付け方 (open: 誰でも、closed: 管理者の承認、auto: 自動、+confirm: "
            "本人の確認付き)。"},
    {.name = "taboo_body",
     .kind = Block,
     .page = 3,
     .rule = Patterns,
     .tip = "本文がこの正規表現に合う投稿は承認待ちになります。"},
    {.name = "taboo_headers",
     .kind = Block,
     .page = 3,
     .rule = Patterns,
     .tip = "ヘッダーがこの正規表現に合う投稿は承認待ちになります。"},
    {.name = "unsubscribe_policy",
     .kind = Text,
     .page = 4,
     .choices = kPolicy,
     .tip = "退会の受け付け方 (open / closed / auto、+confirm は本人の確認付き)。"},
    {.name = "which_access",
     .kind = Text,
     .page = 4,
     .choices = kAccess,
     .tip = "which コマンドで登録先を調べられる人 (open / list / closed)。"},
    {.name = "who_access",
     .kind = Text,
     .page = 4,
     .choices = kAccess,
     .tip = "who コマンドでメンバー一覧を見られる人 (open / list / closed)。"},
}};

std::optional<std::size_t> FindConfigKey(std::string_view name) {
  for (std::size_t i = 0; i < kConfigKeys.size(); ++i) {
    if (kConfigKeys[i].name == name) return i;
  }
  return std::nullopt;
}

RowControl SheetControl(const ConfigKey& key) {
  switch (key.kind) {
    case Text:
      return key.choices.empty() ? RowControl::Line : RowControl::Choice;
    case YesNo:
      return RowControl::YesNo;
    case Number:
      return RowControl::Number;
    case OptionalNumber:
      return RowControl::NumberDefault;
    case Block:
      return RowControl::Multi;
  }
  return RowControl::Line;
}

}  // namespace tarnwick
