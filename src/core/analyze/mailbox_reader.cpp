#include "core/analyze/mailbox_reader.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/analyze/mime_mail.h"
#include "core/platform/file_bytes.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

using ReadMail = ReadDatedMail;

std::vector<fs::path> MaildirFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const char* sub : {"cur", "new"}) {
    std::error_code ec;
    for (fs::directory_iterator it(folder / sub, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_regular_file(ec)) files.push_back(it->path());
    }
  }
  return files;
}

bool ReadMaildir(const fs::path& folder, const ReadMail& read, const MailboxProgress& progress) {
  std::error_code ec;
  if (!fs::is_directory(folder / "cur", ec) && !fs::is_directory(folder / "new", ec)) return false;
  const std::vector<fs::path> files = MaildirFiles(folder);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (const std::optional<std::string> mail = ReadWholeFile(files[i], kMaxReturnedMailBytes))
      read(*mail, ModifiedTime(files[i]));
    if (progress && !progress(static_cast<double>(i + 1) / static_cast<double>(files.size())))
      break;
  }
  return true;
}

// The mails of an mbox: each after a "From " line that follows an empty line (or starts the
// file). A file that does not start with "From " is one mail, as saved from a mail program,
// dated by the file.
class MboxSplitter {
 public:
  MboxSplitter(const ReadMail& read, std::time_t fileTime) : read_(read), received_(fileTime) {}

  // One line without its "\n"; `cut` when it was longer than any mail and so was not kept.
  // True when it began a new mail and the one before was handed on.
  bool Line(std::string_view line, bool cut) {
    if (afterEmptyLine_ && line.starts_with("From ")) {
      afterEmptyLine_ = false;
      const bool handed = End();
      received_ = FromLineDate(line).value_or(0);
      return handed;
    }
    afterEmptyLine_ = line.empty() || line == "\r";
    tooLarge_ = tooLarge_ || cut || mail_.size() + line.size() + 1 > kMaxReturnedMailBytes;
    if (!tooLarge_) {
      mail_ += line;
      mail_ += '\n';
    }
    return false;
  }

  // Hands on the mail read so far, unless it was too large; true when one was handed on.
  bool End() {
    const bool hand = !tooLarge_ && !mail_.empty();
    if (hand) read_(mail_, received_);
    mail_.clear();
    tooLarge_ = false;
    return hand;
  }

 private:
  const ReadMail& read_;
  std::string mail_;
  std::time_t received_;  // of the mail being read
  bool tooLarge_ = false;
  bool afterEmptyLine_ = true;
};

// Read in blocks and split at line ends by hand: a line is never held beyond the size of the
// largest mail, whatever the file holds. The file is read to the size it had when it was opened:
// one that a mail program keeps appending to ends all the same.
bool ReadMbox(const fs::path& file, const ReadMail& read, const MailboxProgress& progress) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::error_code ec;
  const std::uintmax_t opened = fs::file_size(file, ec);
  if (ec) return false;
  const double size = static_cast<double>(std::max<std::uintmax_t>(opened, 1));
  std::uintmax_t left = opened;
  MboxSplitter split(read, ModifiedTime(file));
  std::vector<char> block(1 << 16);
  std::string partial;  // a line begun in an earlier block
  bool cut = false;     // the partial line outgrew any mail
  double done = 0;
  while (left > 0 && (in.read(block.data(), static_cast<std::streamsize>(
                                                std::min<std::uintmax_t>(block.size(), left))) ||
                      in.gcount() > 0)) {
    left -= static_cast<std::uintmax_t>(in.gcount());
    std::string_view data(block.data(), static_cast<std::size_t>(in.gcount()));
    done += static_cast<double>(data.size());
    for (;;) {
      const std::size_t end = data.find('\n');
      const std::string_view piece = data.substr(0, end);
      if (!cut && partial.size() + piece.size() > kMaxReturnedMailBytes) {
        cut = true;
        partial.clear();
      } else if (!cut && (!partial.empty() || end == std::string_view::npos)) {
        partial += piece;  // the line goes on past the block
      }
      if (end == std::string_view::npos) break;
      const bool handed = split.Line(partial.empty() && !cut ? piece : partial, cut);
      partial.clear();
      cut = false;
      data.remove_prefix(end + 1);
      if (handed && progress && !progress(done / size)) return true;
    }
  }
  if (!partial.empty() || cut) split.Line(partial, cut);
  split.End();
  if (progress) progress(1);
  return !in.bad();
}

}  // namespace

bool ReadMailbox(const fs::path& mailbox, const std::function<void(std::string_view mail)>& read,
                 const MailboxProgress& progress) {
  return ReadDatedMailbox(
      mailbox, [&](std::string_view mail, std::time_t) { read(mail); }, progress);
}

bool ReadDatedMailbox(const fs::path& mailbox, const ReadMail& read,
                      const MailboxProgress& progress) {
  std::error_code ec;
  if (fs::is_directory(mailbox, ec)) return ReadMaildir(mailbox, read, progress);
  if (!fs::is_regular_file(mailbox, ec)) return false;
  return ReadMbox(mailbox, read, progress);
}

std::optional<std::time_t> FromLineDate(std::string_view line) {
  if (!line.starts_with("From ")) return std::nullopt;
  line.remove_prefix(5);
  // The sender is one word; the date after it is asctime's, perhaps with a zone or "remote from".
  const std::size_t sender = line.find_first_of(" \t");
  if (sender == std::string_view::npos) return std::nullopt;
  std::optional<std::time_t> date = MailDate(line.substr(sender + 1, 100));
  if (date && *date <= 0) date.reset();
  return date;
}

bool IsMailbox(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return true;
  std::size_t mails = 0;
  // Two mails are enough to know; reading stops at the second.
  // Through ReadMailbox: a pipe or a device is no mailbox, and is never opened.
  ReadMailbox(
      path, [&](std::string_view) { ++mails; }, [&](double) { return mails < 2; });
  return mails >= 2;
}

}  // namespace tarnwick
