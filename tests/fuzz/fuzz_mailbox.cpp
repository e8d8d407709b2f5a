// Mailboxes of returned mails: the input as an mbox (or a single saved mail), and cut into the
// mails of a Maildir.
#include <cstddef>
#include <cstdint>

#include "core/analyze/mailbox_reader.h"
#include "core/analyze/mime_mail.h"
#include "fuzz_support.h"

namespace {

namespace fs = std::filesystem;
using tarnwick::fuzz::Require;

// Reads the mailbox and checks what each mail and the progress look like; the count of mails.
std::size_t ReadAll(const fs::path& mailbox, std::size_t bytes, bool mbox) {
  std::size_t mails = 0;
  std::size_t total = 0;
  double last = 0;
  const bool read = tarnwick::ReadMailbox(
      mailbox,
      [&](std::string_view mail) {
        ++mails;
        total += mail.size();
        Require(mail.size() <= tarnwick::kMaxReturnedMailBytes, "no mail is too large");
        Require(!mbox || mail.ends_with('\n'), "an mbox mail is lines, each with its end");
      },
      [&](double done) {
        Require(done >= last && done <= 1, "the progress only goes up, to 1 at most");
        last = done;
        return true;
      });
  Require(read, "a file or folder made here reads as a mailbox");
  Require(total <= bytes + mails, "the mails hold the mailbox's bytes and a line end at most");
  return mails;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = tarnwick::fuzz::AsText(data, size);
  const fs::path& scratch = tarnwick::fuzz::Scratch();
  const fs::path mbox = tarnwick::fuzz::WriteFile(scratch / "mbox", bytes);
  const std::size_t mails = ReadAll(mbox, bytes.size(), true);
  Require(tarnwick::IsMailbox(mbox) == (mails >= 2), "an mbox of two mails is a mailbox");

  const fs::path maildir = scratch / "maildir";
  std::error_code ec;
  fs::remove_all(maildir, ec);
  const std::vector<std::string_view> files = tarnwick::fuzz::Pieces(bytes, "\n\x01\n");
  for (std::size_t i = 0; i < files.size(); ++i) {
    tarnwick::fuzz::WriteFile(maildir / (i % 2 == 0 ? "cur" : "new") / std::to_string(i), files[i]);
  }
  ReadAll(maildir, bytes.size(), false);
  Require(tarnwick::IsMailbox(maildir), "a Maildir is a mailbox");
  return 0;
}
