#include "analyze/mailbox_reader.h"

#include <fstream>
#include <optional>
#include <string>

#include "analyze/mime_mail.h"
#include "platform/file_bytes.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

bool ReadMaildir(const fs::path& folder, const std::function<void(std::string_view)>& read) {
  bool any = false;
  for (const char* sub : {"cur", "new"}) {
    std::error_code ec;
    for (fs::directory_iterator it(folder / sub, ec), end; !ec && it != end; it.increment(ec)) {
      any = true;
      if (!it->is_regular_file(ec)) continue;
      if (const std::optional<std::string> mail = ReadWholeFile(it->path(), kMaxReturnedMailBytes))
        read(*mail);
    }
  }
  return any || fs::is_directory(folder / "cur");
}

// An mbox: mails each after a "From " line that follows an empty line (or starts the file). The
// file is read a line at a time, so memory holds one mail; a mail larger than any returned mail
// is passed over. A file that does not start with "From " is one mail, as saved from a mail
// program.
bool ReadMbox(const fs::path& file, const std::function<void(std::string_view)>& read) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::string mail;
  std::string line;
  bool tooLarge = false;
  bool afterEmptyLine = true;
  const auto handOn = [&] {
    if (!tooLarge && !mail.empty()) read(mail);
    mail.clear();
    tooLarge = false;
  };
  while (std::getline(in, line)) {
    if (afterEmptyLine && line.starts_with("From ")) {
      handOn();
      afterEmptyLine = false;
      continue;
    }
    afterEmptyLine = line.empty() || line == "\r";
    if (tooLarge) continue;
    if (mail.size() + line.size() + 1 > kMaxReturnedMailBytes) {
      tooLarge = true;
      continue;
    }
    mail += line;
    mail += '\n';
  }
  handOn();
  return !in.bad();
}

}  // namespace

bool ReadMailbox(const fs::path& mailbox, const std::function<void(std::string_view)>& read) {
  std::error_code ec;
  if (fs::is_directory(mailbox, ec)) return ReadMaildir(mailbox, read);
  if (!fs::is_regular_file(mailbox, ec)) return false;
  return ReadMbox(mailbox, read);
}

}  // namespace tarnwick
