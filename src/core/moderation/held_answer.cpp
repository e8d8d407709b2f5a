#include "core/moderation/held_answer.h"

#include <cstring>
#include <ctime>
#include <map>
#include <span>
#include <unordered_map>

#include "core/analyze/mime_mail.h"
#include "core/compose/command_mail.h"
#include "core/compose/list_folders.h"
#include "core/compose/list_text.h"
#include "core/compose/mail_header.h"
#include "core/compose/mail_identity.h"
#include "core/compose/value_rules.h"
#include "core/moderation/raw_mail.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// The rejection notice when the common settings hold none (UTF-8).
constexpr std::string_view kDefaultRejectTemplate =
    "{list} への投稿「{subject}」は、管理者の判断により配送されませんでした。\r\n"
    "\r\n"
    "理由: {reason}\r\n";

bool HasLineBreak(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

ComposedAnswer Refused(std::string reason) {
  ComposedAnswer refused;
  refused.refusal = std::move(reason);
  return refused;
}

std::string PostingAddress(const MailingList& list) {
  return list.Name + "@" + HostOf(list);
}

// A mail From the administrator To `to`: its Subject, a new Message-ID, the extra header lines,
// a blank line and the body. A title is followed by the mail's token; a subject as given is not.
struct Heading {
  std::string_view to;
  std::string_view title;
  bool tokenInSubject = true;
  std::string_view extraHeader;
};

std::string Compose(const MailingList& list, const Heading& heading, std::string_view body,
                    std::time_t now) {
  MailingList addressed = list;
  addressed.Address = std::string(heading.to);
  std::string text;
  FormatMailHeader(addressed, text, now);
  std::string identity = FormatIdentityLines(heading.title, list.Admin, NewMailToken(), now);
  if (!heading.tokenInSubject)
    identity = "Subject: " + std::string(heading.title) + kCrLf +
               identity.substr(identity.find("Message-ID: "));
  text += identity;
  text += heading.extraHeader;
  text += kCrLf;
  text += body;
  return text;
}

// The Message-ID a composed mail carries, as "<...>".
std::string MessageIdOf(std::string_view mail) {
  constexpr std::string_view kField = "\r\nMessage-ID: ";
  const std::size_t at = mail.find(kField);
  if (at == std::string_view::npos) return {};
  const std::size_t start = at + kField.size();
  return std::string(mail.substr(start, mail.find("\r\n", start) - start));
}

ComposedAnswer Composed(std::string mail) {
  ComposedAnswer composed;
  composed.answerId = MessageIdOf(mail);
  composed.mails.push_back(std::move(mail));
  return composed;
}

// The plain address of a From as given ("Name <a@b>" or "a@b (Name)").
std::string PlainAddressOf(std::string_view from) {
  const std::size_t open = from.rfind('<');
  const std::size_t close = from.rfind('>');
  if (open != std::string_view::npos && close != std::string_view::npos && close > open)
    return std::string(from.substr(open + 1, close - open - 1));
  std::string_view word = from.substr(0, from.find_first_of(" \t("));
  return std::string(word);
}

// The header fields that say how the body is to be read.
std::string MimeFieldsOf(std::string_view header) {
  std::string fields;
  for (std::string_view name : {"MIME-Version", "Content-Type", "Content-Transfer-Encoding"}) {
    if (const std::optional<std::string> value = FieldValue(header, name))
      fields.append(name).append(": ").append(*value).append(kCrLf);
  }
  return fields;
}

Refusal CheckItemValues(const HeldItem& item) {
  for (std::string_view text : {std::string_view(item.sender), std::string_view(item.subject),
                                std::string_view(item.fmlId)}) {
    if (HasLineBreak(text)) return "改行を含む値はｺﾏﾝﾄﾞﾒｰﾙに使えません";
  }
  return std::nullopt;
}

// A command mail of one line To the list server's command address.
ComposedAnswer CommandLine(const MailingList& list, std::string_view title, std::string line,
                           std::time_t now) {
  line += kCrLf;
  if (Refusal refusal = CheckCommandLines(list.Type, line)) return Refused(std::move(*refusal));
  return Composed(Compose(list, {list.Address, title, true, {}}, line, now));
}

ComposedAnswer ApproveMajordomoPost(const HeldItem& item, std::string_view post,
                                    const MailingList& list, std::time_t now) {
  if (!item.postWhole)
    return Refused(
        "保留された投稿が途中で切れているため承認できません (再投稿すると壊れた"
        "ﾒｰﾙが配送されます)");
  std::string body = "Approved: " + list.Password + kCrLf;
  body += post;
  return Composed(Compose(list, {PostingAddress(list), "approve", true, {}}, body, now));
}

ComposedAnswer ApproveMajordomoRequest(const HeldItem& item, const MailingList& list,
                                       std::time_t now) {
  if (Refusal refusal = CheckAddressFor(list.Type, item.sender))
    return Refused(std::move(*refusal));
  const char* verb = item.kind == HeldKind::Unsubscribe ? "unsubscribe" : "subscribe";
  return CommandLine(list, "approve",
                     "approve " + list.Password + " " + verb + " " + list.Name + " " + item.sender,
                     now);
}

ComposedAnswer ApproveFmlCertify(const HeldItem& item, const MailingList& list,
                                 const AnswerInput& input, std::time_t now) {
  if (Refusal refusal = CheckFmlWord("ID", item.fmlId)) return Refused(std::move(*refusal));
  ComposedAnswer composed =
      CommandLine(list, "moderator", "moderator certified " + item.fmlId, now);
  if (!composed.refusal && input.roster != nullptr &&
      !RosterLookup(*input.roster).Holds(list.Admin))
    composed.warning = "管理者ｱﾄﾞﾚｽ " + Cp932ToUtf8(list.Admin) +
                       " は最新の会員一覧にありません: fml は会員以外からの承認を受け付けません";
  return composed;
}

ComposedAnswer ApproveFmlForwarded(const HeldItem& item, std::string_view post,
                                   const MailingList& list, std::time_t now) {
  if (!item.postWhole) return Refused("保留された投稿が途中で切れているため承認できません");
  const RawMail held = SplitMail(post);
  const std::string extra = "Approval: " + list.Password + kCrLf + MimeFieldsOf(held.header);
  return Composed(
      Compose(list, {PostingAddress(list), item.subject, false, extra}, held.body, now));
}

ComposedAnswer ApproveFmlSubscribe(const HeldItem& item, const MailingList& list) {
  CommandInput input;
  input.addresses.push_back(item.sender);
  std::string text;
  const ComposeResult result = BuildMail(ID_SUBSCRIBE_PLATE, list, input, text);
  if (result.status != ComposeStatus::Composed) return Refused(result.reason);
  return Composed(std::move(text));
}

// fml's certification goes by its id from the administrator; every other approval carries the
// password.
bool NeedsPassword(NoticeForm form) {
  return form != NoticeForm::FmlCertify && form != NoticeForm::FmlSubscribe;
}

ComposedAnswer Approve(const HeldItem& item, std::string_view post, const MailingList& list,
                       const AnswerInput& input, std::time_t now) {
  if (list.Password.empty() && NeedsPassword(item.form))
    return Refused(
        "ML「" + Cp932ToUtf8(list.Title) +
        "」にﾊﾟｽﾜｰﾄﾞが登録されていないため承認できません: ｻｰﾊﾞは承認にﾊﾟｽﾜｰﾄﾞを求めます");
  switch (item.form) {
    case NoticeForm::MajordomoBounce:
      return ApproveMajordomoPost(item, post, list, now);
    case NoticeForm::MajordomoApprove:
      return ApproveMajordomoRequest(item, list, now);
    case NoticeForm::FmlCertify:
      return ApproveFmlCertify(item, list, input, now);
    case NoticeForm::FmlForwarded:
    case NoticeForm::FmlNotMember:
      return ApproveFmlForwarded(item, post, list, now);
    case NoticeForm::FmlSubscribe:
      return ApproveFmlSubscribe(item, list);
  }
  return Refused("この項目は承認できません");
}

void ReplaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
  for (std::size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + value.size()))
    text.replace(at, placeholder.size(), value);
}

ComposedAnswer Reject(const HeldItem& item, const MailingList& list, const AnswerInput& input,
                      std::time_t now) {
  const std::string poster = PlainAddressOf(item.sender);
  if (Refusal refusal = CheckMemberAddress(poster)) return Refused(std::move(*refusal));
  std::string notice = input.rejectTemplate.empty() ? std::string(kDefaultRejectTemplate)
                                                    : Cp932ToUtf8(input.rejectTemplate);
  ReplaceAll(notice, "{list}", list.Name + "@" + HostOf(list));
  ReplaceAll(notice, "{subject}", DecodedHeaderText(item.subject));
  ReplaceAll(notice, "{reason}", Cp932ToUtf8(input.reason));
  const ListText text = ToListText(notice, "却下の通知");
  if (text.refusal) return Refused(*text.refusal);
  const std::string title = "Re: " + item.subject;
  return Composed(
      Compose(list, {poster, title, true, text.japanese ? kIso2022JpHeader : ""}, text.text, now));
}

const MailingList* ListOfItem(const HeldItem& item, const MailingListRegister& lists) {
  for (std::size_t i = 0; i < lists.size(); ++i) {
    if (IsOfList(item, lists.at(i))) return &lists.at(i);
  }
  return nullptr;
}

HeldState StateAfter(HeldAnswer answer) {
  switch (answer) {
    case HeldAnswer::Approve:
      return HeldState::Awaiting;
    case HeldAnswer::Reject:
      return HeldState::Rejected;
    case HeldAnswer::Discard:
      return HeldState::Discarded;
  }
  return HeldState::Pending;
}

// The rosters are read once, and only when an fml certification asks whose member the
// administrator is.
class RosterSource {
 public:
  RosterSource(std::string_view mailBox, const MailingListRegister& lists)
      : mailBox_(mailBox), lists_(lists) {}
  const Roster* Of(const MailingList& list) {
    if (!read_) results_ = CollectResults(mailBox_, lists_);
    read_ = true;
    latest_ = LatestRoster(results_, list);
    return latest_ ? &*latest_ : nullptr;
  }

 private:
  std::string mailBox_;
  const MailingListRegister& lists_;
  bool read_ = false;
  std::vector<SentResult> results_;
  std::optional<Roster> latest_;
};

struct Prepared {
  HeldItem item;
  const MailingList* list = nullptr;
  ComposedAnswer composed;
};

Prepared Prepare(HeldAnswer answer, std::uint64_t id, const HeldStore& store,
                 const MailingListRegister& lists, RosterSource& rosters, AnswerInput input) {
  Prepared prepared;
  prepared.item.id = id;
  const HeldItem* item = store.ItemOfId(id);
  if (item == nullptr) {
    prepared.composed.refusal = "#" + std::to_string(id) + " という保留項目はありません";
    return prepared;
  }
  prepared.item = *item;
  prepared.list = ListOfItem(*item, lists);
  if (prepared.list == nullptr) {
    prepared.composed.refusal = "#" + std::to_string(id) + " のﾘｽﾄは登録されていません";
    return prepared;
  }
  std::string post;
  if (answer == HeldAnswer::Approve && item->kind == HeldKind::Post) {
    std::optional<std::string> kept = store.PostOf(*item);
    if (!kept) {
      prepared.composed.refusal = "#" + std::to_string(id) + " の保留された投稿が読めません";
      return prepared;
    }
    post = std::move(*kept);
  }
  if (answer == HeldAnswer::Approve && item->form == NoticeForm::FmlCertify)
    input.roster = rosters.Of(*prepared.list);
  prepared.composed = ComposeAnswer(answer, *item, post, *prepared.list, input);
  return prepared;
}

// The item's mails queued (their outcomes, in the order of its mails) and its new state
// written, unsynced; the reason when either fails.
Refusal Record(HeldAnswer answer, Prepared& prepared, std::span<const QueueOutcome> outcomes,
               HeldStore& store, const ListFolders& folders, ItemAnswered& answered) {
  for (const QueueOutcome& outcome : outcomes) {
    if (outcome.status != QueueStatus::Queued)
      return DescribeQueueFailure(outcome, folders.newMails);
    answered.queued.push_back(outcome.path);
  }
  prepared.item.state = StateAfter(answer);
  prepared.item.answerId = prepared.composed.answerId;
  if (const int error = store.Update(prepared.item))
    return "#" + std::to_string(prepared.item.id) +
           " の状態を書けません: " + std::string(std::strerror(error));
  return std::nullopt;
}

}  // namespace

std::vector<ItemAnswered> AnswerItems(HeldAnswer answer, const std::vector<std::uint64_t>& ids,
                                      HeldStore& store, const MailingListRegister& lists,
                                      MailQueue& queue, const AnswerInput& input) {
  RosterSource rosters(queue.mailBox(), lists);
  std::vector<Prepared> prepared;
  for (std::uint64_t id : ids)
    prepared.push_back(Prepare(answer, id, store, lists, rosters, input));
  // All the mails queued at once, and all the states written at once: a thousand answers
  // cost a few syncs.
  std::vector<MailToQueue> mails;
  std::vector<ListFolders> folders(prepared.size());
  for (std::size_t i = 0; i < prepared.size(); ++i) {
    if (prepared[i].composed.refusal) continue;
    folders[i] = FoldersOf(lists, *prepared[i].list);
    for (const std::string& mail : prepared[i].composed.mails)
      mails.push_back({folders[i].newMails, mail});
  }
  const std::vector<QueueOutcome> outcomes = queue.AddAll(mails);
  const Durability durability = store.durability();
  store.SetDurability(Durability::Later);
  std::vector<ItemAnswered> answered;
  std::size_t mail = 0;
  for (std::size_t i = 0; i < prepared.size(); ++i) {
    ItemAnswered& result = answered.emplace_back();
    result.id = prepared[i].item.id;
    result.warning = prepared[i].composed.warning;
    result.refusal = prepared[i].composed.refusal;
    if (result.refusal) continue;
    const std::span<const QueueOutcome> own(outcomes.data() + mail,
                                            prepared[i].composed.mails.size());
    mail += own.size();
    result.refusal = Record(answer, prepared[i], own, store, folders[i], result);
  }
  const int error = store.Sync();
  store.SetDurability(durability);
  for (ItemAnswered& result : answered) {
    if (error != 0 && !result.refusal)
      result.refusal = "#" + std::to_string(result.id) +
                       " の状態を書けません: " + std::string(std::strerror(error));
  }
  return answered;
}

std::size_t SettleSentAnswers(HeldStore& store, std::string_view mailBox,
                              const MailingListRegister& lists) {
  // The answers awaited, by list and Message-ID: each list's sent mails are read once.
  std::map<const MailingList*, std::unordered_map<std::string, const HeldItem*>> awaited;
  for (const HeldItem& item : store.items()) {
    if (item.state != HeldState::Awaiting || item.form == NoticeForm::FmlCertify ||
        item.answerId.empty())
      continue;
    if (const MailingList* list = ListOfItem(item, lists))
      awaited[list].emplace(item.answerId, &item);
  }
  std::vector<HeldItem> delivered;
  for (auto& [list, answers] : awaited) {
    for (const fs::path& sent : ListSentFiles(mailBox, FoldersOf(lists, *list))) {
      if (const auto found = answers.find(MailFileField(sent, "Message-ID"));
          found != answers.end()) {
        delivered.push_back(*found->second);
        answers.erase(found);
      }
    }
  }
  if (delivered.empty()) return 0;
  const Durability durability = store.durability();
  store.SetDurability(Durability::Later);
  for (HeldItem& item : delivered) {
    item.state = HeldState::Approved;
    store.Update(item);
  }
  store.SetDurability(durability);
  return durability == Durability::Later || store.Sync() == 0 ? delivered.size() : 0;
}

ComposedAnswer ComposeAnswer(HeldAnswer answer, const HeldItem& item, std::string_view post,
                             const MailingList& list, const AnswerInput& input) {
  if (item.state != HeldState::Pending)
    return Refused("#" + std::to_string(item.id) + " はすでに応答済みです (" +
                   std::string(HeldStateText(item.state)) + ")");
  if (answer == HeldAnswer::Discard) return {};
  if (HasLineBreak(list.Admin) || HasLineBreak(list.Password) || HasLineBreak(list.Name))
    return Refused("改行を含む値はｺﾏﾝﾄﾞﾒｰﾙに使えません");
  if (Refusal refusal = CheckItemValues(item)) return Refused(std::move(*refusal));
  const std::time_t now = input.now != 0 ? input.now : std::time(nullptr);
  if (answer == HeldAnswer::Reject) return Reject(item, list, input, now);
  if (Refusal refusal = CheckListPassword(list)) return Refused(std::move(*refusal));
  return Approve(item, post, list, input, now);
}

}  // namespace tarnwick
