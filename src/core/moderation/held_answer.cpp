#include "core/moderation/held_answer.h"

namespace tarnwick {

ComposedAnswer ComposeAnswer(HeldAnswer, const HeldItem&, std::string_view, const MailingList&,
                             const AnswerInput&) {
  ComposedAnswer composed;
  composed.refusal = "保留中の項目への応答はまだ作成できません。";
  return composed;
}

std::vector<ItemAnswered> AnswerItems(HeldAnswer, const std::vector<std::uint64_t>&, HeldStore&,
                                      const MailingListRegister&, MailQueue&, const AnswerInput&) {
  return {};
}

}  // namespace tarnwick
