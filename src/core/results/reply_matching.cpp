#include "core/results/reply_matching.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "core/results/sent_results.h"
#include "core/results/server_reply.h"

namespace tarnwick {

ReplyMatcher SentMailMatcher(std::string_view mailBox, const MailingListRegister& lists) {
  auto sent = std::make_shared<std::vector<SentMail>>();
  for (SentResult& result : CollectResults(mailBox, lists))
    sent->push_back(std::move(result.mail));
  return [sent](std::string_view bytes) {
    const std::optional<ServerReply> reply = ReadServerReply(bytes);
    return reply && std::any_of(sent->begin(), sent->end(),
                                [&](const SentMail& mail) { return Answers(*reply, mail); });
  };
}

FetchReport FetchMatchedReplies(const IncomingSettings& settings, std::string_view mailBox,
                                const MailingListRegister& lists, const NoticeCollector& notices) {
  return FetchReplies(settings, mailBox, lists, SentMailMatcher(mailBox, lists), notices);
}

}  // namespace tarnwick
