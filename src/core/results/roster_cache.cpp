#include "core/results/roster_cache.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <unordered_map>

#include "core/compose/list_folders.h"
#include "core/incoming/reply_fetch.h"
#include "core/platform/file_bytes.h"
#include "core/platform/file_replace.h"
#include "core/platform/fnv_hash.h"
#include "core/platform/fs_path.h"
#include "core/platform/private_folder.h"
#include "core/platform/whole_number.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Far above any roster a reply can bring; a larger file is not ours and is made again.
constexpr std::uintmax_t kMaxRosterFileBytes = 256u << 20;
constexpr std::string_view kFormat = "tarnwick-roster 1 ";

// A sum of names, sizes and times: it only needs to change when what it sums changes.
class Stamp {
 public:
  Stamp& Add(std::string_view text) {
    hash_.Add(text).AddByte(0xff);  // a separator no byte of a name can stand for
    return *this;
  }
  Stamp& Add(std::uint64_t number) { return Add(std::to_string(number)); }

  // Names, sizes and modification times to the nanosecond: a reply or sent mail that came,
  // went or was rewritten.
  Stamp& AddFile(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return Add(file.filename().native()).Add("-");
    return Add(file.filename().native())
        .Add(static_cast<std::uint64_t>(info.st_size))
        .Add(static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
             static_cast<std::uint64_t>(info.st_mtim.tv_nsec));
  }

  std::string Hex() const { return hash_.Hex(); }

 private:
  Fnv1a hash_;
};

std::string RepliesStamp(const fs::path& folder) {
  Stamp stamp;
  for (const fs::path& file : KeptReplyFiles(folder))
    stamp.AddFile(file);
  return stamp.Hex();
}

// Which list a file is of: its server's kind, address and name, as no two lists share them.
std::string FileNameOf(const MailingList& list) {
  return Stamp().Add(static_cast<std::uint64_t>(list.Type)).Add(list.Address).Add(list.Name).Hex() +
         ".roster";
}

std::string ListStamp(std::string_view mailBox, const MailingList& list, const ListFolders& folders,
                      const std::string& replies) {
  Stamp stamp;
  stamp.Add(replies).Add(FileNameOf(list));
  for (const MailFolder& folder : folders.read)
    stamp.Add(folder.name).Add(folder.onlyTo);
  for (const fs::path& file : ListSentFiles(mailBox, folders))
    stamp.AddFile(file);
  return stamp.Hex();
}

// Each list's folders, found in one walk of the register.
class FolderIndex {
 public:
  explicit FolderIndex(const MailingListRegister& lists) : folders_(FoldersOfEach(lists)) {
    for (std::size_t i = 0; i < lists.size(); ++i)
      at_.emplace(&lists.at(i), i);
  }
  const ListFolders& Of(const MailingList& list) const { return folders_[at_.at(&list)]; }

 private:
  std::vector<ListFolders> folders_;
  std::unordered_map<const MailingList*, std::size_t> at_;
};

std::string RosterFileText(const std::string& stamp, const std::optional<Roster>& roster) {
  std::string text = std::string(kFormat) + stamp + ' ' +
                     (roster ? std::to_string(roster->date) : std::string("-")) + '\n';
  if (!roster) return text;
  for (const std::string& member : roster->members)
    text.append(member).push_back('\n');
  return text;
}

std::string HeadOf(const std::string& stamp) {
  return std::string(kFormat) + stamp + ' ';
}

bool HasHead(const fs::path& file, const std::string& head) {
  std::ifstream in(file, std::ios::binary);
  std::string start(head.size(), '\0');
  return in.read(start.data(), static_cast<std::streamsize>(start.size())) && start == head;
}

// Nothing when the file is missing, unreadable, of another stamp or not of this form; else the
// roster it keeps (its addresses pointing into `bytes`), itself nothing for a list that had none.
std::optional<std::optional<RosterView>> ReadRosterFile(const fs::path& file,
                                                        const std::string& stamp,
                                                        std::string& bytes) {
  std::optional<std::string> read = ReadWholeFile(file, kMaxRosterFileBytes);
  const std::string head = HeadOf(stamp);
  if (!read || !read->starts_with(head) || read->back() != '\n') return std::nullopt;
  bytes = std::move(*read);
  const std::string_view text(bytes);
  const std::size_t firstEnd = text.find('\n');
  const std::string_view date = text.substr(head.size(), firstEnd - head.size());
  if (date == "-") return std::optional<RosterView>();
  RosterView roster;
  const std::optional<std::time_t> day = WholeNumber<std::time_t>(date);
  if (!day) return std::nullopt;
  roster.date = *day;
  roster.members.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  for (std::size_t at = firstEnd + 1; at < text.size();) {
    const std::size_t lineEnd = text.find('\n', at);
    roster.members.push_back(text.substr(at, lineEnd - at));
    at = lineEnd + 1;
  }
  return std::optional<RosterView>(std::move(roster));
}

// The files of lists no longer registered go, once every list's file is known.
void RemoveOtherFiles(const fs::path& folder, const std::set<std::string>& kept) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.ends_with(".roster") && !kept.contains(name)) fs::remove(it->path(), ec);
  }
}

// The rosters of the lists whose files are missing or stale, made from the replies in one
// reading of them, and written.
class StaleRosters {
 public:
  StaleRosters(std::string_view mailBox, const MailingListRegister& lists)
      : mailBox_(mailBox), lists_(lists) {}

  void Make(const std::vector<const MailingList*>& stale) {
    if (stale.empty()) return;
    const std::vector<SentResult> results =
        CollectResults(mailBox_, lists_, stale.size() == 1 ? stale.front() : nullptr);
    for (const MailingList* list : stale)
      made_.emplace(list, LatestRoster(results, *list));
  }
  // Made now, or nothing when its file was fresh.
  const std::optional<Roster>* Of(const MailingList* list) const {
    const auto found = made_.find(list);
    return found == made_.end() ? nullptr : &found->second;
  }

 private:
  std::string_view mailBox_;
  const MailingListRegister& lists_;
  std::map<const MailingList*, std::optional<Roster>> made_;
};

void VisitMade(std::size_t i, const std::optional<Roster>& roster, const RosterVisit& visit) {
  if (!roster) return visit(i, nullptr);
  const RosterView view = ViewOf(*roster);
  visit(i, &view);
}

}  // namespace

RosterView ViewOf(const Roster& roster) {
  RosterView view{{}, roster.date};
  view.members.assign(roster.members.begin(), roster.members.end());
  return view;
}

void VisitLatestRosters(std::string_view mailBox, const MailingListRegister& lists,
                        const std::vector<const MailingList*>& which, const RosterVisit& visit) {
  const std::optional<fs::path> box = ToFsPath(mailBox);
  if (!box) {
    for (std::size_t i = 0; i < which.size(); ++i)
      visit(i, nullptr);
    return;
  }
  const fs::path folder = *box / kRostersFolderName;
  // Member addresses are kept private, and never read from or written through a planted link.
  const bool ours = MakePrivateFolder(folder);
  const std::string replies = RepliesStamp(*box / kRepliesFolderName);
  std::vector<std::string> stamps;
  std::vector<const MailingList*> stale;
  const FolderIndex folders(lists);
  for (const MailingList* list : which) {
    stamps.push_back(ListStamp(mailBox, *list, folders.Of(*list), replies));
    if (!ours || !HasHead(folder / FileNameOf(*list), HeadOf(stamps.back()))) stale.push_back(list);
  }
  StaleRosters made(mailBox, lists);
  made.Make(stale);
  std::string bytes;
  for (std::size_t i = 0; i < which.size(); ++i) {
    const fs::path file = folder / FileNameOf(*which[i]);
    if (const std::optional<Roster>* roster = made.Of(which[i])) {
      if (ours) WriteWholeFile(file, RosterFileText(stamps[i], *roster));
      VisitMade(i, *roster, visit);
    } else if (const auto kept = ReadRosterFile(file, stamps[i], bytes)) {
      visit(i, kept->has_value() ? &**kept : nullptr);
    } else {
      // Rewritten or spoilt since its stamp was read.
      made.Make({which[i]});
      VisitMade(i, *made.Of(which[i]), visit);
    }
  }
  if (ours && which.size() == lists.size()) {
    std::set<std::string> kept;
    for (const MailingList* list : which)
      kept.insert(FileNameOf(*list));
    RemoveOtherFiles(folder, kept);
  }
}

std::optional<Roster> CachedLatestRoster(std::string_view mailBox, const MailingListRegister& lists,
                                         const MailingList& list) {
  std::optional<Roster> latest;
  VisitLatestRosters(mailBox, lists, {&list}, [&](std::size_t, const RosterView* roster) {
    if (roster) latest = Roster{{roster->members.begin(), roster->members.end()}, roster->date};
  });
  return latest;
}

}  // namespace tarnwick
