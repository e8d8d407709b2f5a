// Fetching the servers' replies from the administrator's mailbox: the new mails of the folder are
// looked at (their From and Reply-To only), those from a registered list's server, or from an
// address whose notices the caller collects, are kept whole in "<mail box>/.replies/", and how
// far the folder was read is remembered beside them. The mailbox itself is only read: nothing is
// deleted, moved or flagged there.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/incoming/imap_login.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

inline constexpr std::string_view kRepliesFolderName = ".replies";

struct FetchReport {
  std::size_t read = 0;       // new mails looked at
  std::size_t kept = 0;       // of those, replies from the lists' servers, now kept
  std::size_t matched = 0;    // of those, the replies that answer a sent mail
  std::size_t collected = 0;  // of those, the notices the collector took
  std::size_t tooLarge = 0;   // replies passed over: larger than any reply is read
  std::string failure;        // why the fetch did not go through (UTF-8); empty when it did
};

// Told the bytes of each reply as it is kept; says whether the reply answers a mail sent.
using ReplyMatcher = std::function<bool(std::string_view reply)>;

// What the caller collects besides the replies: the addresses its notices come from (lower
// case), and what is told the bytes of each mail kept. `take` says whether the mail was such a
// notice; a `failure` (UTF-8) stops the fetch before the mail, as a mail not kept does.
// `listMail`, when given, is told the header fields kListMailFields of every other mail (a list's
// article, most of them), which are not kept; its failure stops the fetch as well. What either
// wrote need not be on disk until `flush`, called before the fetch remembers how far it read.
struct NoticeCollector {
  std::vector<std::string> senders;
  std::function<bool(std::string_view mail, std::string& failure)> take;
  std::function<void(std::string_view fields, std::string& failure)> listMail;
  std::function<std::string()> flush;  // the failure (UTF-8), empty when all is on disk
};

// The fields a list server's article is told by, besides its From and Reply-To.
inline constexpr std::string_view kListMailFields = "SENDER LIST-ID X-ML-NAME MESSAGE-ID";

// A fetch ends within this time, whatever the server does; what was read by then is kept and
// the next fetch goes on from there.
inline constexpr std::chrono::seconds kFetchLimit(100);

FetchReport FetchReplies(const IncomingSettings& settings, std::string_view mailBox,
                         const MailingListRegister& lists, const ReplyMatcher& answersSentMail,
                         const NoticeCollector& notices = {});

}  // namespace tarnwick
