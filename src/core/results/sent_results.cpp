#include "core/results/sent_results.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "core/analyze/mime_mail.h"
#include "core/analyze/recipients.h"
#include "core/compose/list_folders.h"
#include "core/compose/queue_folder.h"
#include "core/incoming/reply_fetch.h"
#include "core/platform/cp932_case.h"
#include "core/platform/file_bytes.h"
#include "core/platform/fs_path.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// The Message-IDs in a References or In-Reply-To text.
std::vector<std::string> MessageIds(std::string_view text) {
  std::vector<std::string> ids;
  for (std::size_t open = text.find('<'); open != std::string_view::npos;
       open = text.find('<', open + 1)) {
    const std::size_t close = text.find('>', open);
    if (close == std::string_view::npos) break;
    ids.emplace_back(text.substr(open, close - open + 1));
  }
  return ids;
}

// Every reply kept, read once, and found by what ties it to a sent mail.
class ReplyIndex {
 public:
  explicit ReplyIndex(const fs::path& folder) {
    for (const fs::path& file : KeptReplyFiles(folder)) {
      const std::optional<std::string> bytes = ReadWholeFile(file, kMaxReturnedMailBytes);
      if (!bytes) continue;
      if (std::optional<ServerReply> reply = ReadServerReply(*bytes)) Add(std::move(*reply));
    }
  }

  std::vector<const ServerReply*> For(const SentMail& mail) const {
    std::vector<const ServerReply*> found;
    for (const auto* key : {&mail.token, &mail.messageId}) {
      const auto [first, last] = byKey_.equal_range(*key);
      for (auto it = first; it != last; ++it) {
        if (Answers(replies_[it->second], mail)) found.push_back(&replies_[it->second]);
      }
    }
    return found;
  }

 private:
  void Add(ServerReply reply) {
    const std::size_t index = replies_.size();
    if (!reply.token.empty()) byKey_.emplace(reply.token, index);
    for (std::string& id : MessageIds(reply.references))
      byKey_.emplace(std::move(id), index);
    replies_.push_back(std::move(reply));
  }

  std::vector<ServerReply> replies_;
  std::multimap<std::string, std::size_t> byKey_;
};

}  // namespace

std::vector<fs::path> KeptReplyFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->path().extension() == ".eml" && !it->path().filename().string().starts_with(".") &&
        it->is_regular_file(ec)) {
      files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<SentResult> CollectResults(std::string_view mailBox, const MailingListRegister& lists,
                                       const MailingList* only) {
  std::vector<SentResult> results;
  const std::optional<fs::path> box = ToFsPath(mailBox);
  if (!box) return results;
  const ReplyIndex replies(*box / kRepliesFolderName);
  const std::vector<ListFolders> folders = FoldersOfEach(lists, mailBox, FolderKind::Sent);
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const MailingList& list = lists.at(i);
    if (only != nullptr && &list != only) continue;
    for (const fs::path& file : ListSentFiles(mailBox, folders[i])) {
      const std::optional<std::string> bytes = ReadWholeFile(file, kMaxQueuedMailBytes);
      std::optional<SentMail> mail = bytes ? ReadSentMail(*bytes) : std::nullopt;
      if (!mail) continue;
      CommandOutcome outcome = OutcomeOf(*mail, replies.For(*mail));
      results.push_back({&list, file.filename().string(), ModifiedTime(file), std::move(*mail),
                         std::move(outcome)});
    }
  }
  std::stable_sort(results.begin(), results.end(),
                   [](const SentResult& a, const SentResult& b) { return a.sent < b.sent; });
  return results;
}

std::vector<Roster> Rosters(const std::vector<SentResult>& results, const MailingList& list) {
  std::vector<Roster> rosters;
  for (auto it = results.rbegin(); it != results.rend(); ++it) {
    if (it->list == &list && it->outcome.roster) rosters.push_back({*it->outcome.roster, it->sent});
  }
  return rosters;
}

namespace {

// The members as commands change them, in the order they came: each change finds its address
// (letter case ignored) in an index, not by a walk through a roster of thousands.
class MemberChanges {
 public:
  explicit MemberChanges(std::vector<std::string> members) : members_(std::move(members)) {}

  // The members after the changes.
  std::vector<std::string> Take() && {
    if (!indexed_) return std::move(members_);
    std::vector<std::string> kept;
    kept.reserve(at_.size());
    for (std::size_t i = 0; i < members_.size(); ++i) {
      if (!gone_[i]) kept.push_back(std::move(members_[i]));
    }
    return kept;
  }

  void Remove(const std::string& address) {
    Index();
    const auto [first, last] = at_.equal_range(FoldCp932Case(address));
    for (auto it = first; it != last; ++it)
      gone_[it->second] = true;
    at_.erase(first, last);
  }
  void Add(const std::string& address) {
    Remove(address);  // indexes
    at_.emplace(FoldCp932Case(address), members_.size());
    members_.push_back(address);
    gone_.push_back(false);
  }

 private:
  // Made at the first change: most rosters see none.
  void Index() {
    if (indexed_) return;
    indexed_ = true;
    gone_.assign(members_.size(), false);
    at_.reserve(members_.size());
    for (std::size_t i = 0; i < members_.size(); ++i)
      at_.emplace(FoldCp932Case(members_[i]), i);
  }

  std::vector<std::string> members_;
  bool indexed_ = false;
  std::vector<bool> gone_;
  std::unordered_multimap<std::string, std::size_t> at_;
};

// What one command line of a mail that was done did to the members: fml's add, bye and chaddr,
// Majordomo's subscribe and unsubscribe.
void ApplyCommand(std::string_view line, bool fml, MemberChanges& members) {
  const std::vector<std::string> addresses = AddressesIn(line);
  // fml's lines start "admin", Majordomo's "approve <password>".
  const std::size_t skip = fml ? line.find(' ') : line.find(' ', line.find(' ') + 1);
  if (addresses.empty() || skip == std::string_view::npos) return;
  const std::string_view command = line.substr(skip + 1);
  const auto is = [&](std::string_view word) {
    return command.starts_with(word) && command.size() > word.size() && command[word.size()] == ' ';
  };
  if (is(fml ? "add" : "subscribe")) members.Add(addresses.front());
  if (is(fml ? "bye" : "unsubscribe")) members.Remove(addresses.front());
  if (fml && (is("chaddr") || is("change") || is("change-address")) && addresses.size() == 2) {
    members.Remove(addresses[0]);
    members.Add(addresses[1]);
  }
}

}  // namespace

std::optional<Roster> LatestRoster(const std::vector<SentResult>& results,
                                   const MailingList& list) {
  const auto latest = std::find_if(results.rbegin(), results.rend(), [&](const SentResult& result) {
    return result.list == &list && result.outcome.roster;
  });
  if (latest == results.rend()) return std::nullopt;
  MemberChanges members(*latest->outcome.roster);
  // The mails sent after it, in the order they were sent (to the second, and within one by
  // their files' finer times).
  for (auto later = latest.base(); later != results.end(); ++later) {
    if (later->list != &list || later->outcome.state != CommandState::Done) continue;
    for (const std::string& line : later->mail.commands)
      ApplyCommand(line, later->mail.fml, members);
  }
  return Roster{std::move(members).Take(), latest->sent};
}

RosterLookup::RosterLookup(const Roster& roster) {
  for (const std::string& address : roster.members)
    folded_.insert(FoldCp932Case(address));
}

bool RosterLookup::Holds(std::string_view address) const {
  return folded_.contains(FoldCp932Case(address));
}

namespace {

std::vector<std::string> Missing(const Roster& from, const Roster& in) {
  const RosterLookup lookup(in);
  std::vector<std::string> missing;
  for (const std::string& address : from.members) {
    if (!lookup.Holds(address)) missing.push_back(address);
  }
  return missing;
}

}  // namespace

RosterChange CompareRosters(const Roster& previous, const Roster& latest) {
  return {Missing(latest, previous), Missing(previous, latest)};
}

std::string RosterCsv(const Roster& roster) {
  std::string csv = "address\n";
  for (const std::string& address : roster.members)
    csv += address + "\n";
  return csv;
}

}  // namespace tarnwick
