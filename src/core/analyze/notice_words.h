// The words returned mails are read by: the markers of the copy of the returned message, the
// words of failure and of no failure, of a mail system's sender and subject, and of the labels
// before addresses. Matched against text in lower case; Japanese as UTF-8.
#pragma once

#include <string_view>

namespace tarnwick {

// Lines (decorations of "-" and "=" removed) that begin the copy of the returned message.
inline constexpr std::string_view kCopyMarkers[] = {
    "below this line is a copy",
    "original message",
    "the original message follows",
    "this is a copy of",
    "enclosed is a copy of",
    "below is a copy of",
    "message headers follow",
    "the header of the original message",
    "headers of the original message",
    "unsent message follows",
    "returned message",
    "original mail info",
    "original mail as follows",
    "your message reads",
    "a summary of the undelivered message",
    "forwarded message",
    "received: from",
};

// Words of a notice that says a mail is only late, arrived, or its addressee is away.
inline constexpr std::string_view kNoFailureWords[] = {
    "warning message only",
    "warning only",
    "will continue trying",
    "will continue to be made",
    "will retry",
    "will be retried",
    "will try again",
    "postponed",
    "temporary failure report",
    "has been delayed",
    "has not yet been delivered",
    "delivery delayed",
    "delayed mail",
    "successfully delivered",
    "was delivered",
    "delivery succeeded",
    "recipients succeeded",
    "delivery was successful",
    "out of the office",
    "out of office",
    "auto-reply",
    "autoreply",
    "automatic reply",
    "vacation",
    "has been delivered",
    "recipients or groups is complete",
    "自動返信",
    "自動応答",
};

// Words of the sender of a mail system's report.
inline constexpr std::string_view kMailSystemSenderWords[] = {
    "mailer-daemon", "mailer_daemon", "mail-daemon", "postmaster",
    "daemon",        "mail delivery", "mailer",      "<>",
};

// Words of the subject of a mail system's report.
inline constexpr std::string_view kReportSubjectWords[] = {
    "undeliver",     "returned",  "failure", "failed",       "delivery",
    "not delivered", "error",     "bounce",  "reject",       "non-deliver",
    "nondeliver",    "could not", "unable",  "notification", "notice",
    "problem",       "no such",   "unknown", "エラー",       "配信",
    "不達",          "返送",      "失敗",    "送信でき",     "届きません",
};

// Words of the subject of a report that a delivery failed, as against one that may report a
// success or a delay too ("Delivery Status Notification").
inline constexpr std::string_view kFailureSubjectWords[] = {
    "undeliver",   "returned",   "failure",   "failed",   "not delivered", "bounce",  "reject",
    "non-deliver", "nondeliver", "could not", "unable",   "no such",       "unknown", "エラー",
    "不達",        "返送",       "失敗",      "送信でき", "届きません",
};

// Words of a subject that announces a delay warning.
inline constexpr std::string_view kNoFailureSubjectWords[] = {
    "delay",
    "still being retried",
    "could not send message for past",
    "could not send mail for past",
    "(success)",
    "(relay)",
    "遅延",
};

// Beginnings of the subject of a success notice or a read receipt.
inline constexpr std::string_view kNoFailureSubjectStarts[] = {
    "delivered:", "relayed:", "read:", "not read:", "return receipt",
};

// Words of a line that says a delivery failed for good.
inline constexpr std::string_view kFailureWords[] = {
    "user unknown",
    "unknown user",
    "no such",
    "does not exist",
    "doesn't exist",
    "not exist",
    "not found",
    "not be found",
    "timed out",
    "not known",
    "not listed",
    "unavailable",
    "mailbox is full",
    "exceeds",
    "exceeded",
    "quota",
    "rejected",
    "refused",
    "undeliverable",
    "not be delivered",
    "not delivered",
    "couldn't be delivered",
    "wasn't delivered",
    "could not deliver",
    "couldn't deliver",
    "couldn't be found",
    "unable to receive",
    "not accepting",
    "isn't accepting",
    "not allowed to receive",
    "storage limit",
    "blocked",
    "suspended",
    "deactivated",
    "inactive",
    "discarded",
    "is locked",
    "cannot be delivered",
    "delivery failed",
    "delivery has failed",
    "failed",
    "failure",
    "error",
    "permanent",
    "invalid",
    "malformed",
    "no longer valid",
    "not valid",
    "not a valid",
    "unknown",
    "not accepted",
    "unable to deliver",
    "did not reach",
    "rcpt to",
    "intended recipient",
    "delivery problems",
    "originally addressed to",
    "no mailbox",
    "disabled",
    "expired",
    "550",
    "551",
    "552",
    "553",
    "554",
    "5.1.1",
    "5.0.0",
    "失敗",
    "できません",
    "されませんでした",
    "届きません",
    "不達",
    "拒否",
    "使用されていません",
    "超過",
    "できませんでした",
    "存在しない",
    "できない",
    "いっぱい",
    "容量",
    "無効",
    "解約",
    "ブロック",
    "見つかりません",
    "エラー",
    "不明",
};

// Words of a label ("target mail address:", "Original recipient:") before the recipients.
inline constexpr std::string_view kRecipientLabelWords[] = {
    "address",  "recipient", "member", "subscriber", "宛先",   "あて先", "宛て先",
    "アドレス", "受信者",    "会員",   "相手先",     "送信先", "配信先",
};
// Words of a label before an address that is not a recipient's.
inline constexpr std::string_view kSenderLabelWords[] = {
    "from", "sender", "reply", "return", "送信者", "差出人", "送信元",
};

// Lines that quote a header of the returned message: their addresses are not recipients'.
inline constexpr std::string_view kQuotedFieldNames[] = {
    "from:", "sender:", "reply-to:", "return-path:", "message-id:", "received:", "date:",
};

// Local parts of the mail systems' own mailboxes, which notices offer for help.
inline constexpr std::string_view kServiceNames[] = {
    "postmaster@", "mailer-daemon@", "mail-daemon@", "mailer_daemon@", "root@",
    "abuse@",      "hostmaster@",    "nobody@",      "noreply@",       "no-reply@",
};

}  // namespace tarnwick
