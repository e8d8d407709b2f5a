#include "core/results/command_outcome.h"

#include <algorithm>
#include <set>

#include "core/compose/command_words.h"
#include "core/compose/mail_identity.h"
#include "core/platform/cp932_case.h"
#include "core/platform/text_lines.h"

namespace tarnwick {
namespace {

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  for (const LineWord& word : WordsOf(line))
    words.emplace_back(line.substr(word.begin, word.end - word.begin));
  return words;
}

std::string Joined(const std::vector<std::string>& words, std::size_t from, std::string_view gap) {
  std::string text;
  for (std::size_t i = from; i < words.size(); ++i) {
    if (i > from) text += gap;
    text += words[i];
  }
  return text;
}

std::string_view HeaderValue(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() || !EqualsCp932IgnoreCase(line.substr(0, name.size()), name))
    return {};
  line.remove_prefix(name.size());
  const std::size_t start = line.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

void ReadHeaderLine(std::string_view line, SentMail& mail) {
  if (const std::string_view subject = HeaderValue(line, "Subject:"); !subject.empty()) {
    mail.token = TokenInSubject(subject).value_or("");
  } else if (const std::string_view id = HeaderValue(line, "Message-ID:"); !id.empty()) {
    mail.messageId = id;
  } else if (const std::string_view title = HeaderValue(line, "X-Command:"); !title.empty()) {
    mail.title = title;
  } else if (const std::string_view to = HeaderValue(line, "To:"); !to.empty()) {
    mail.server = to;
  }
}

ServerKind KindOf(const SentMail& mail) {
  return mail.fml ? ServerKind::Fml : ServerKind::Majordomo;
}

// The words of the mail's commands that are passwords: shown nowhere.
std::set<std::string> Secrets(const SentMail& mail) {
  std::set<std::string> secrets;
  for (const std::string& line : mail.commands) {
    const std::vector<LineWord> words = WordsOf(line);
    for (std::size_t index : PasswordWords(KindOf(mail), line, words))
      secrets.insert(line.substr(words[index].begin, words[index].end - words[index].begin));
  }
  return secrets;
}

// A command line as the results show it: without Majordomo's approval, passwords as "****".
std::string Shown(std::string_view line, const std::set<std::string>& secrets) {
  std::vector<std::string> words = Words(line);
  const std::size_t from = words.size() > 2 && words[0] == "approve" ? 2 : 0;
  for (std::string& word : words) {
    if (secrets.contains(word)) word = "****";
  }
  return Joined(words, from, " ");
}

// fml masks the password it echoes: the line matches up to the mask.
bool SameCommand(std::string_view sent, std::string_view echoed) {
  if (sent == echoed) return true;
  const std::size_t mask = echoed.find("****");
  return mask != std::string_view::npos && mask > 0 && sent.starts_with(echoed.substr(0, mask));
}

const ServerReply* FirstOfKind(const std::vector<const ServerReply*>& replies, ReplyKind kind) {
  for (const ServerReply* reply : replies) {
    if (reply->kind == kind) return reply;
  }
  return nullptr;
}

}  // namespace

std::optional<SentMail> ReadSentMail(std::string_view bytes) {
  SentMail mail;
  enum class Part { Header, FirstBodyLine, Body } part = Part::Header;
  ForEachLine(bytes, [&](std::string_view line) {
    if (part == Part::Header) {
      if (line.empty())
        part = Part::FirstBodyLine;
      else
        ReadHeaderLine(line, mail);
      return true;
    }
    if (part == Part::FirstBodyLine) {
      // fml's commands all stand behind "# "; Majordomo's never do.
      mail.fml = line.starts_with("# ");
      part = Part::Body;
    }
    if (line.empty() || (mail.fml && !line.starts_with("# "))) return true;
    mail.commands.emplace_back(mail.fml ? line.substr(2) : line);
    return !TakesTheRest(KindOf(mail), mail.commands.back()) && (mail.fml || line != "end");
  });
  if (mail.token.empty()) return std::nullopt;
  return mail;
}

bool Answers(const ServerReply& reply, const SentMail& mail) {
  const bool fromServer = std::any_of(
      reply.senders.begin(), reply.senders.end(),
      [&](const std::string& sender) { return EqualsCp932IgnoreCase(sender, mail.server); });
  if (!fromServer) return false;
  if (reply.kind == ReplyKind::MajordomoResults) return !mail.fml && reply.token == mail.token;
  return mail.fml && !mail.messageId.empty() &&
         reply.references.find(mail.messageId) != std::string::npos;
}

CommandOutcome OutcomeOf(const SentMail& mail, const std::vector<const ServerReply*>& replies) {
  CommandOutcome outcome;
  for (const ServerReply* reply : replies) {
    if (reply->roster && !outcome.roster) outcome.roster = reply->roster;
  }
  const ServerReply* status =
      FirstOfKind(replies, mail.fml ? ReplyKind::FmlStatus : ReplyKind::MajordomoResults);
  if (status == nullptr) return outcome;
  const std::set<std::string> secrets = Secrets(mail);
  for (const EchoedCommand& command : status->commands) {
    if (command.failed) {
      outcome.failures.push_back(Shown(command.line, secrets) + ": " +
                                 Joined(command.result, 0, " "));
    }
  }
  // fml stops at a line it refuses, or skips one it finds unsafe: a line it never echoed was
  // not done.
  std::size_t echoed = 0;
  for (const std::string& sent : mail.fml ? mail.commands : std::vector<std::string>()) {
    std::size_t found = echoed;
    while (found < status->commands.size() && !SameCommand(sent, status->commands[found].line))
      ++found;
    if (found == status->commands.size()) {
      outcome.failures.push_back(Shown(sent, secrets) + ": 実行されませんでした");
    } else {
      echoed = found + 1;
    }
  }
  if (status->commands.empty()) outcome.failures.push_back("応答にｺﾏﾝﾄﾞの結果がありません");
  outcome.state = outcome.failures.empty() ? CommandState::Done : CommandState::Failed;
  return outcome;
}

std::string_view StateText(CommandState state) {
  switch (state) {
    case CommandState::Waiting:
      return "待機中";
    case CommandState::Done:
      return "完了";
    case CommandState::Failed:
      break;
  }
  return "失敗";
}

}  // namespace tarnwick
