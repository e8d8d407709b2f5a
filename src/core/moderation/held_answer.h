// The moderator's answer to a held post or request: approved the way its server takes an
// approval, rejected with a notice to the poster, or discarded. Every answer is composed before
// anything is queued, so a refused item leaves nothing behind; each item answered takes its new
// state and the Message-ID of the mail that answered it in the held store.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/compose/mail_queue.h"
#include "core/moderation/held_store.h"
#include "core/platform/refusal.h"
#include "core/results/sent_results.h"
#include "core/store/mailing_list_register.h"

namespace tarnwick {

enum class HeldAnswer { Approve, Reject, Discard };

// What an answer needs besides the item and its list (the list with its password loaded).
struct AnswerInput {
  std::string rejectTemplate;      // CP932, with {subject}, {reason}, {list}; empty: the default
  std::string reason;              // CP932: the reason typed for a rejection
  const Roster* roster = nullptr;  // the list's latest roster, when one came (AnswerItems reads it)
  std::time_t now = 0;             // 0: the clock
};

struct ComposedAnswer {
  std::vector<std::string> mails;  // the mail texts to queue: none for a discard
  std::string answerId;            // the Message-ID of the first mail, as "<...>"
  Refusal refusal;                 // why the item can't be answered so (UTF-8); then no mails
  std::string warning;             // what the administrator should know (UTF-8), not a refusal
};

// The answer's mails for one item, or why it is refused: an item no longer 保留中 is refused
// naming its state, an approval of a post cut off in its notice is refused, and every rule of a
// command mail applies (the password, the addresses, fml's lines). No refusal or warning names
// the password.
// `post` is the held post as the store keeps it (HeldStore::PostOf).
ComposedAnswer ComposeAnswer(HeldAnswer answer, const HeldItem& item, std::string_view post,
                             const MailingList& list, const AnswerInput& input);

struct ItemAnswered {
  std::uint64_t id = 0;
  Refusal refusal;                  // UTF-8: this item was not answered, and why
  std::string warning;              // UTF-8
  std::vector<std::string> queued;  // CP932 paths of the mails queued for it
};

// Answers the items named by their ids: each composed first (a refusal of one names it, the
// others still go), then queued into its list's folder, then its state (承認待ち, 却下, 破棄)
// and answerId written. `lists` holds the lists with their passwords loaded; each list's latest
// roster is read from the queue's mail box.
std::vector<ItemAnswered> AnswerItems(HeldAnswer answer, const std::vector<std::uint64_t>& ids,
                                      HeldStore& store, const MailingListRegister& lists,
                                      MailQueue& queue, const AnswerInput& input);

// An approval whose mail was delivered (it is among the list's sent mails, by its Message-ID) is
// 承認済み, except fml's certification, which waits for the server's "resent" notice. The number
// of items so changed, written in one batch (none when that write fails: they are written with
// the store's next one).
std::size_t SettleSentAnswers(HeldStore& store, std::string_view mailBox,
                              const MailingListRegister& lists);

}  // namespace tarnwick
