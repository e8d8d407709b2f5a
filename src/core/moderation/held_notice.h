// A list server's notice to the moderator, read: a post it holds, a request it asks to be
// approved, or what became of an approval sent. Majordomo (resend's "BOUNCE", the "APPROVE" of a
// request) and fml (the moderator forwards of either type, "NOT MEMBER", a confirmed or forwarded
// subscription, and its answers to a certification), in English and in Japanese.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/mailing_list.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

enum class HeldKind { Post, Subscribe, Unsubscribe };

// How the notice came, which is how it is answered.
enum class NoticeForm {
  MajordomoBounce,   // a post held by resend: approved by posting it again with Approved:
  MajordomoApprove,  // a request: approved by "approve <password> <request>"
  FmlCertify,        // fml type 2: queued under its id, approved by "moderator certified <id>"
  FmlForwarded,      // fml type 1: approved by an administrator's new post with Approval:
  FmlNotMember,      // a non-member's post: nothing waits on the server
  FmlSubscribe,      // a subscription for the maintainer to add
};

// A notice that tells what became of an approval rather than bringing a new item.
enum class NoticeOutcome {
  None,
  Resent,           // fml: the article of the id went to the list
  NoSuchId,         // fml: no article waits under the id certified
  ApprovalRefused,  // the password of an approval was wrong, or its sender may not approve
};

struct HeldNotice {
  NoticeForm form = NoticeForm::MajordomoBounce;
  NoticeOutcome outcome = NoticeOutcome::None;
  ServerKind server = ServerKind::Majordomo;
  std::string list;        // the list's name on the server
  std::string host;        // the server's host, lower case
  std::string noticeFrom;  // the address the notice came From
  HeldKind kind = HeldKind::Post;
  std::string sender;                     // a post: its From as given; a request: the address
  std::string subject;                    // a post: its Subject as given; a request: the notice's
  std::optional<std::time_t> date;        // the held post's Date
  std::optional<std::time_t> noticeDate;  // the notice's own Date
  std::string reason;                     // the server's words
  std::string requester;                  // Majordomo: who asked for the request
  std::string post;                     // the held post, as the notice carried it, passwords masked
  bool postWhole = true;                // false: the held post's header has no end (it was cut off)
  std::string fmlId;                    // fml: the id of the queued article
  std::vector<std::string> messageIds;  // the Message-IDs the post carries
};

// Nothing for a mail that is none of these notices, or too large to be read.
std::optional<HeldNotice> ReadHeldNotice(std::string_view mail);

// The registered list the notice is of: the one of its server kind, host and list name, which
// sends such notices from the address the notice came from. Nothing for another list's notice or
// a forged one.
const MailingList* ListOfNotice(const HeldNotice& notice, const MailingListRegister& lists);

// The addresses a list's notices come from, lower case.
std::vector<std::string> NoticeSenders(const MailingList& list);

// The host of a list's server address, lower case.
std::string HostOf(const MailingList& list);

}  // namespace tarnwick
