#include "config/config_rows.h"

namespace tarnwick {
namespace {

using enum RowControl;

const std::vector<const char*> kAccess{"open", "list", "closed"};
const std::vector<const char*> kPolicy{"open",         "closed",         "auto",
                                       "open+confirm", "closed+confirm", "auto+confirm"};

constexpr Variable kListName{"メーリングリスト名", "$LIST"};
constexpr Variable kIssue{"通し番号", "$ISSUE"};
constexpr Variable kNum{"通し番号", "$NUM"};
constexpr Variable kSender{"From: アドレス", "$SENDER"};
constexpr Variable kVersion{"majordomo のバージョン情報", "$VERSION"};

}  // namespace

const std::vector<SheetRow>& SheetRows() {
  static const std::vector<SheetRow> rows{
      {0, "admin_passwd", Line, {}, {}},
      {0, "administrivia", YesNo, {}, {}},
      {0, "advertise", Multi, {}, {}},
      {0, "approve_passwd", Line, {}, {}},
      {0, "archive_dir", Line, {}, {}},
      {0, "comments", Multi, {}, {}},
      {0, "date_info", YesNo, {}, {}},
      {0, "date_intro", YesNo, {}, {}},
      {0, "debug", YesNo, {}, {}},
      {0, "description", Line, {}, {}},
      {1, "digest_archive", Line, {}, {}},
      {1, "digest_issue", Number, {}, {}},
      {1, "digest_maxdays", NumberDefault, {}, {}},
      {1, "digest_maxlines", NumberDefault, {}, {}},
      {1, "digest_name", Line, {}, {}},
      {1, "digest_rm_footer", Line, {}, {}},
      {1, "digest_rm_fronter", Line, {}, {}},
      {1, "digest_volume", Number, {}, {}},
      {1, "digest_work_dir", Line, {}, {}},
      {1, "get_access", Choice, kAccess, {}},
      {1, "index_access", Choice, kAccess, {}},
      {1, "info_access", Choice, kAccess, {}},
      {1, "intro_access", Choice, kAccess, {}},
      {1, "maxlength", Number, {}, {}},
      {2, "message_footer", Multi, {}, {kListName, kIssue, kSender, kVersion}},
      {2, "message_fronter", Multi, {}, {kListName, kIssue, kSender, kVersion}},
      {2, "message_headers", Multi, {}, {kListName, kSender, kVersion}},
      {2, "moderate", YesNo, {}, {}},
      {2, "moderator", Line, {}, {}},
      {2, "mungedomain", YesNo, {}, {}},
      {2, "noadvertise", Multi, {}, {}},
      {3, "precedence", Line, {}, {}},
      {3, "purge_received", YesNo, {}, {}},
      {3, "reply_to", Line, {}, {kSender}},
      {3, "resend_host", Line, {}, {}},
      {3, "restrict_post", Line, {}, {}},
      {3, "sender", Line, {}, {}},
      {3, "strip", YesNo, {}, {}},
      {3, "subject_prefix", Line, {}, {kListName, kNum, kSender, kVersion}},
      {3, "subscribe_policy", Choice, kPolicy, {}},
      {3, "taboo_body", Multi, {}, {}},
      {3, "taboo_headers", Multi, {}, {}},
      {4, "unsubscribe_policy", Choice, kPolicy, {}},
      {4, "which_access", Choice, kAccess, {}},
      {4, "who_access", Choice, kAccess, {}},
  };
  return rows;
}

}  // namespace tarnwick
