#include "ui/results/member_mails_flow.h"

#include "ui/platform/qt_text.h"

namespace tarnwick {

MemberMails ComposeListMails(const MailingList& list, CommandId command,
                             const std::vector<std::string>& addresses) {
  MailingList withPassword = list;
  LoadPassword(withPassword);
  MemberMails mails = ComposeMemberMails(withPassword, command, addresses, LimitsOf(list));
  if (mails.refusal) {
    mails.refusal = FromCp932(list.Title).toStdString() + ": " + *mails.refusal;
  }
  return mails;
}

QString AdminKeptNote(const MailingList& list) {
  return QStringLiteral(
             "ML「%1」の管理者のｱﾄﾞﾚｽ %2 は残します (fml はﾒﾝﾊﾞｰからのｺﾏﾝﾄﾞだけを受け付けます)")
      .arg(FromCp932(list.Title), FromCp932(list.Admin));
}

}  // namespace tarnwick
