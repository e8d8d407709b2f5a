#include "core/incoming/imap_mailbox.h"

#include <map>
#include <vector>

namespace tarnwick {
namespace {

// Sizes are asked for this many mails at a time.
constexpr std::size_t kSizeBatch = 500;

using Uids = std::vector<std::uint32_t>;

// The UIDs in groups whose mails together are no larger than the largest mail read (a larger
// mail alone), in order.
std::vector<Uids> GroupsBySize(const Uids& uids,
                               const std::map<std::uint32_t, std::uint64_t>& sizes) {
  std::vector<Uids> groups;
  std::uint64_t total = 0;
  for (std::uint32_t uid : uids) {
    const auto size = sizes.find(uid);
    const std::uint64_t bytes = size == sizes.end() ? kMaxFetchedMailBytes : size->second;
    if (groups.empty() || total + bytes > kMaxFetchedMailBytes) {
      groups.emplace_back();
      total = 0;
    }
    groups.back().push_back(uid);
    total += bytes;
  }
  return groups;
}

class FolderRead {
 public:
  FolderRead(ImapSession& session, const std::function<void(std::string_view)>& read,
             const MailboxProgress& progress)
      : session_(session), read_(read), progress_(progress) {}

  std::string Run(std::string_view folder) {
    std::uint32_t validity = 0;
    if (std::string failure = session_.Examine(folder, validity); !failure.empty()) return failure;
    Uids uids;
    if (std::string failure = session_.NewerThan(0, uids); !failure.empty()) return failure;
    total_ = uids.size();
    for (std::size_t at = 0; at < uids.size() && going_; at += kSizeBatch) {
      const Uids batch(
          uids.begin() + static_cast<std::ptrdiff_t>(at),
          uids.begin() + static_cast<std::ptrdiff_t>(std::min(at + kSizeBatch, uids.size())));
      if (std::string failure = ReadBatch(batch); !failure.empty()) return failure;
    }
    return {};
  }

 private:
  std::string ReadBatch(const Uids& batch) {
    // Only the sizes are wanted; FLAGS is the smallest item to ask them with.
    std::map<std::uint32_t, std::string> none;
    std::map<std::uint32_t, std::uint64_t> sizes;
    if (std::string failure = session_.Fetch(batch, "FLAGS", none, &sizes); !failure.empty())
      return failure;
    for (const Uids& group : GroupsBySize(batch, sizes)) {
      std::map<std::uint32_t, std::string> mails;
      if (std::string failure = session_.Fetch(group, "BODY.PEEK[]", mails); !failure.empty())
        return failure;
      for (const auto& [uid, mail] : mails)
        read_(mail);
      done_ += group.size();
      if (progress_ && !progress_(static_cast<double>(done_) / static_cast<double>(total_))) {
        going_ = false;
        break;
      }
    }
    return {};
  }

  ImapSession& session_;
  const std::function<void(std::string_view)>& read_;
  const MailboxProgress& progress_;
  std::size_t total_ = 0;
  std::size_t done_ = 0;
  bool going_ = true;
};

}  // namespace

std::string ReadImapFolder(const IncomingSettings& settings, std::string_view folder,
                           const std::function<void(std::string_view)>& read,
                           const MailboxProgress& progress) {
  ImapLogin login = LogInToImap(settings);
  if (login.session == nullptr) return login.failure;
  const std::string failure =
      FolderRead(*login.session, read, progress).Run(folder.empty() ? settings.folder : folder);
  login.session->Logout();
  return failure;
}

std::string ReadAnyMailbox(std::string_view source, const IncomingSettings& settings,
                           const ReadDatedMail& read, const MailboxProgress& progress) {
  if (source.starts_with(kImapMailboxPrefix))
    return ReadImapFolder(
        settings, source.substr(kImapMailboxPrefix.size()),
        [&](std::string_view mail) { read(mail, 0); }, progress);
  if (!ReadDatedMailbox(std::filesystem::path(std::string(source)), read, progress))
    return "ﾒｰﾙﾎﾞｯｸｽとして読めません: " + std::string(source);
  return {};
}

}  // namespace tarnwick
