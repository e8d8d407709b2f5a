#include "core/incoming/reply_fetch.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "core/incoming/imap_login.h"
#include "core/platform/cp932_case.h"
#include "core/platform/file_bytes.h"
#include "core/platform/file_replace.h"
#include "core/platform/fs_path.h"
#include "core/platform/private_folder.h"
#include "core/platform/text_codec.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Header fields are asked for this many mails at a time: a mailbox of any size is read within a
// bounded memory.
constexpr std::size_t kHeaderBatch = 500;
constexpr std::string_view kStateFileName = ".imap-state";

struct ReadPosition {
  std::uint32_t uidValidity = 0;
  std::uint32_t lastUid = 0;
};

// "<UIDVALIDITY> <last UID read>"; nothing read yet when the file is missing or damaged.
ReadPosition LoadPosition(const fs::path& file) {
  ReadPosition position;
  const std::optional<std::string> text = ReadWholeFile(file, 64);
  if (!text) return position;
  const char* end = text->data() + text->size();
  auto [next, ec] = std::from_chars(text->data(), end, position.uidValidity);
  if (ec != std::errc() || next == end || *next != ' ') return {};
  if (std::from_chars(next + 1, end, position.lastUid).ec != std::errc()) return {};
  return position;
}

// A reply is written to a scratch file beside its name, then renamed over it; a fetch killed in
// between leaves the scratch file. One older than any fetch lasts is such a leftover.
void RemoveStaleScratchFiles(const fs::path& folder) {
  const auto stale = fs::file_time_type::clock::now() - 2 * kFetchLimit;
  std::error_code ec;
  for (fs::directory_iterator entry(folder, ec), end; !ec && entry != end; entry.increment(ec)) {
    const std::string name = entry->path().filename().string();
    const bool scratch = name.starts_with('.') && name.size() > 8 && name[name.size() - 7] == '.';
    std::error_code fileError;
    if (scratch && entry->is_regular_file(fileError) && entry->last_write_time(fileError) < stale &&
        !fileError)
      fs::remove(entry->path(), fileError);
  }
}

// The lists' server addresses and the senders of the notices collected, in lower case.
std::set<std::string> ServerAddresses(const MailingListRegister& lists,
                                      const NoticeCollector& notices) {
  std::set<std::string> addresses;
  for (std::size_t i = 0; i < lists.size(); ++i)
    addresses.insert(FoldCp932Case(lists.at(i).Address));
  for (const std::string& sender : notices.senders)
    addresses.insert(FoldCp932Case(sender));
  return addresses;
}

// The lines of the From and Reply-To fields among the header fields, continuation lines and all.
std::string SenderLines(std::string_view fields) {
  std::string senders;
  bool taking = false;
  for (std::size_t at = 0; at < fields.size();) {
    const std::size_t end = std::min(fields.find('\n', at), fields.size() - 1) + 1;
    const std::string_view line = fields.substr(at, end - at);
    if (line[0] != ' ' && line[0] != '\t') {
      const std::string name = LowerAscii(line.substr(0, line.find(':')));
      taking = name == "from" || name == "reply-to";
    }
    if (taking) senders += line;
    at = end;
  }
  return senders;
}

// Whether the header fields name one of the servers as From or Reply-To.
bool FromAServer(std::string_view fields, const std::set<std::string>& servers) {
  const std::string folded = FoldCp932Case(SenderLines(fields));
  return std::any_of(servers.begin(), servers.end(), [&](const std::string& server) {
    for (std::size_t at = folded.find(server); at != std::string::npos;
         at = folded.find(server, at + 1)) {
      const bool startsWord = at == 0 || std::strchr(" <:\t\n\"", folded[at - 1]) != nullptr;
      const std::size_t after = at + server.size();
      const bool endsWord = after == folded.size() || std::strchr(" >\r\n\t\"", folded[after]);
      if (!server.empty() && startsWord && endsWord) return true;
    }
    return false;
  });
}

class Fetch {
 public:
  Fetch(const IncomingSettings& settings, fs::path folder, const MailingListRegister& lists,
        const ReplyMatcher& answersSentMail, const NoticeCollector& notices)
      : settings_(settings),
        folder_(std::move(folder)),
        servers_(ServerAddresses(lists, notices)),
        answersSentMail_(answersSentMail),
        notices_(notices),
        fieldsItem_("BODY.PEEK[HEADER.FIELDS (FROM REPLY-TO" +
                    (notices.listMail ? " " + std::string(kListMailFields) : std::string()) +
                    ")]") {}

  FetchReport Run() {
    ImapLogin login = LogInToImap(settings_);
    if (login.session == nullptr) return Failed(login.failure);
    const std::string failure = ReadNew(*login.session);
    login.session->Logout();
    if (!failure.empty()) return Failed(failure);
    return report_;
  }

 private:
  FetchReport Failed(std::string failure) {
    report_.failure = std::move(failure);
    return report_;
  }

  std::string ReadNew(ImapSession& session) {
    std::uint32_t validity = 0;
    if (std::string failure = session.Examine(settings_.folder, validity); !failure.empty())
      return failure;
    ReadPosition position = LoadPosition(folder_ / kStateFileName);
    // Another UIDVALIDITY: the folder's UIDs mean other mails now, and all are read afresh.
    if (position.uidValidity != validity) position = {validity, 0};
    std::vector<std::uint32_t> uids;
    if (std::string failure = session.NewerThan(position.lastUid, uids); !failure.empty())
      return failure;
    for (std::size_t at = 0; at < uids.size(); at += kHeaderBatch) {
      const std::vector<std::uint32_t> batch(
          uids.begin() + static_cast<std::ptrdiff_t>(at),
          uids.begin() + static_cast<std::ptrdiff_t>(std::min(at + kHeaderBatch, uids.size())));
      if (std::string failure = ReadBatch(session, validity, batch); !failure.empty())
        return failure;
      position.lastUid = batch.back();
      // Only what is on disk is remembered as read: a fetch cut off reads the rest again.
      if (const int error = SyncFileSystem(folder_); error != 0)
        return "返信を保存できません: " + std::string(std::strerror(error));
      if (notices_.flush) {
        if (std::string failure = notices_.flush(); !failure.empty()) return failure;
      }
      if (const int error = SavePosition(position); error != 0) {
        return "受信位置を保存できません: " + std::string(std::strerror(error));
      }
    }
    return {};
  }

  std::string ReadBatch(ImapSession& session, std::uint32_t validity,
                        const std::vector<std::uint32_t>& batch) {
    std::map<std::uint32_t, std::string> headers;
    std::map<std::uint32_t, std::uint64_t> sizes;
    std::string failure = session.Fetch(batch, fieldsItem_, headers, &sizes);
    if (!failure.empty()) return failure;
    report_.read += batch.size();
    for (const auto& [uid, fields] : headers) {
      if (!FromAServer(fields, servers_)) {
        if (notices_.listMail) notices_.listMail(fields, failure);
        if (!failure.empty()) return failure;
        continue;
      }
      const auto size = sizes.find(uid);
      if (size != sizes.end() && size->second > kMaxFetchedMailBytes) {
        ++report_.tooLarge;
        continue;
      }
      if (failure = Keep(session, validity, uid); !failure.empty()) return failure;
    }
    return {};
  }

  // Fetches one reply and keeps it. A reply the server does not give fails the fetch, so the
  // position read is never saved past a reply not kept.
  std::string Keep(ImapSession& session, std::uint32_t validity, std::uint32_t uid) {
    std::map<std::uint32_t, std::string> mail;
    if (std::string failure = session.Fetch({uid}, "BODY.PEEK[]", mail); !failure.empty())
      return failure;
    const auto reply = mail.find(uid);
    if (reply == mail.end())
      return "受信ｻｰﾊﾞｰから返信(UID " + std::to_string(uid) + ")を受け取れません";
    const fs::path file = folder_ / (std::to_string(validity) + "-" + std::to_string(uid) + ".eml");
    if (const int error = WriteWholeFile(file, reply->second, Durability::Later); error != 0)
      return "返信を保存できません: " + std::string(std::strerror(error));
    if (notices_.take) {
      std::string failure;
      if (notices_.take(reply->second, failure)) ++report_.collected;
      if (!failure.empty()) return failure;
    }
    ++report_.kept;
    if (answersSentMail_(reply->second)) ++report_.matched;
    return {};
  }

  int SavePosition(const ReadPosition& position) const {
    return WriteWholeFile(folder_ / kStateFileName, std::to_string(position.uidValidity) + " " +
                                                        std::to_string(position.lastUid) + "\n");
  }

  const IncomingSettings& settings_;
  const fs::path folder_;
  const std::set<std::string> servers_;
  const ReplyMatcher& answersSentMail_;
  const NoticeCollector& notices_;
  const std::string fieldsItem_;  // the header fields asked of every new mail
  FetchReport report_;
};

}  // namespace

FetchReport FetchReplies(const IncomingSettings& settings, std::string_view mailBox,
                         const MailingListRegister& lists, const ReplyMatcher& answersSentMail,
                         const NoticeCollector& notices) {
  FetchReport report;
  const std::optional<fs::path> box = ToFsPath(mailBox);
  const fs::path folder = box ? *box / kRepliesFolderName : fs::path();
  // Never written through a link planted in its place: the replies carry passwords.
  if (!box || !MakePrivateFolder(folder)) {
    report.failure = "返信の保存先(" + Cp932ToUtf8(std::string(mailBox)) + "/" +
                     std::string(kRepliesFolderName) + ")を作れません";
    return report;
  }
  chmod(folder.c_str(), 0700);
  RemoveStaleScratchFiles(folder);
  IncomingSettings limited = settings;
  if (!limited.sessionLimit) limited.sessionLimit = kFetchLimit;
  return Fetch(limited, folder, lists, answersSentMail, notices).Run();
}

}  // namespace tarnwick
