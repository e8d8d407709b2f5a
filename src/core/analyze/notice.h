// Returned mails that say in words which deliveries failed: the notices of qmail, Postfix, Exim,
// Exchange, Lotus Domino, the Japanese carriers and many more, as the text before the copy of
// the returned message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class Recipients;

// Whether the sender or the subject shows a mail system's report on a delivery, as against
// ordinary mail, which may well speak of errors and addresses too.
bool HeadersShowMailSystemReport(std::string_view from, std::string_view subject);
// Whether the sender is a mail system ("MAILER-DAEMON", "Mail Delivery System", "postmaster").
bool SenderIsMailSystem(std::string_view from);

// The notice without the returned message (or its headers) that many mail systems append.
std::string_view NoticeBeforeCopy(std::string_view text);

// Whether the address is a mail system's own mailbox ("postmaster@", "mailer-daemon@"), as
// notices offer for help.
bool IsServiceAddress(std::string_view address);
// Whether the notice names an address that may be the failed recipient's: one that is no
// service mailbox, nor the mail's own address named as the sender ("your message from x@",
// "sent by x@").
bool NamesOtherAddress(std::string_view notice, const std::vector<std::string>& own);
// A text with a word that says a delivery failed ("user unknown", "undeliverable", "失敗").
bool SaysFailure(std::string_view text);
// A subject that calls the mail a failure report ("Returned mail", "Undeliverable: news").
bool SubjectSaysFailure(std::string_view subject);
// A notice that says a mail is late, arrived, or its addressee is away: no failure to act on.
bool SaysNoFailure(std::string_view notice);
// A subject that announces a delay warning ("Delivery Status Notification (Delay)"), a success
// notice, a read receipt, or a post the list server holds for its owner.
bool SubjectSaysNoFailure(std::string_view subject);

// "<user@example.jp>:" at the start of a line, as qmail and Postfix name a failed recipient,
// with the reason on the same or the following lines.
void ReadBracketedRecipients(std::string_view notice, Recipients& failed);

// Addresses on the lines that say a delivery failed, and on the lines after one that announces
// the failed recipients ("could not be delivered to:"). The notice's own sender and addressee
// and the mail system's service addresses are never taken.
void ReadPlainNotice(std::string_view notice, const std::vector<std::string>& own,
                     Recipients& failed);

// The "bouncedRecipients" of a bounce notification in JSON, as Amazon SES sends them.
void ReadJsonBounce(std::string_view notice, Recipients& failed);

}  // namespace tarnwick
