// An IMAP server that answers with the input: a whole reading session through the byte-stream
// seam, the server's bytes handed out in pieces of the sizes the input's first byte says.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/incoming/imap_session.h"
#include "fuzz_support.h"

namespace {

using tarnwick::Io;
using tarnwick::fuzz::Require;

class FuzzServer final : public tarnwick::ByteStream {
 public:
  FuzzServer(std::string_view says, std::size_t piece) : says_(says), piece_(piece) {}

  Io Write(std::string_view, std::chrono::milliseconds) override { return Io::Ok; }
  Io Read(std::string& out, std::size_t max, std::chrono::milliseconds) override {
    if (says_.empty()) return Io::Closed;
    const std::size_t take = std::min({max, piece_, says_.size()});
    out.append(says_.substr(0, take));
    says_.remove_prefix(take);
    return Io::Ok;
  }

 private:
  std::string_view says_;
  std::size_t piece_;
};

void FetchAndCheck(tarnwick::ImapSession& session, const std::vector<std::uint32_t>& uids,
                   std::string_view item) {
  std::map<std::uint32_t, std::string> items;
  std::map<std::uint32_t, std::uint64_t> sizes;
  session.Fetch(uids, item, items, &sizes);
  for (const auto& [uid, bytes] : items) {
    Require(std::find(uids.begin(), uids.end(), uid) != uids.end(), "only UIDs asked for");
    Require(bytes.size() <= tarnwick::kMaxFetchedMailBytes, "no item is too large");
  }
  for (const auto& [uid, size] : sizes)
    Require(std::find(uids.begin(), uids.end(), uid) != uids.end(), "sizes of UIDs asked for");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  constexpr std::size_t kPieces[] = {1, 2, 7, 64, 4096};
  FuzzServer server(tarnwick::fuzz::AsText(data + 1, size - 1),
                    kPieces[data[0] % std::size(kPieces)]);
  tarnwick::ImapSession session(server, std::chrono::milliseconds(1000));
  session.Greeting();
  session.Login("admin", "secret");
  std::uint32_t validity = 0;
  session.Examine("INBOX", validity);
  constexpr std::uint32_t kLastUid = 3;
  std::vector<std::uint32_t> uids;
  session.NewerThan(kLastUid, uids);
  Require(std::is_sorted(uids.begin(), uids.end()) &&
              std::adjacent_find(uids.begin(), uids.end()) == uids.end(),
          "the UIDs ascend");
  Require(uids.empty() || uids.front() > kLastUid, "only UIDs above the last one");
  if (uids.empty()) uids = {4, 9};
  FetchAndCheck(session, uids, "BODY.PEEK[HEADER.FIELDS (FROM)]");
  FetchAndCheck(session, uids, "BODY.PEEK[]");
  session.Logout();
  return 0;
}
