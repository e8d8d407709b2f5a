#include "analyze/mailbox_reader.h"

#include <fcntl.h>
#include <gmime/gmime.h>

#include <memory>
#include <optional>

#include "analyze/mime_mail.h"
#include "platform/file_bytes.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

struct Unref {
  void operator()(gpointer object) const {
    if (object != nullptr) g_object_unref(object);
  }
};

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

// GMime parses an mbox from the file one message at a time; each is handed on as its bytes.
bool ReadMbox(const fs::path& file, const std::function<void(std::string_view)>& read) {
  g_mime_init();
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::unique_ptr<GMimeStream, Unref> stream(g_mime_stream_fs_new(fd));
  std::unique_ptr<GMimeParser, Unref> parser(g_mime_parser_new_with_stream(stream.get()));
  g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MBOX);
  while (!g_mime_parser_eos(parser.get())) {
    std::unique_ptr<GMimeMessage, Unref> message(
        g_mime_parser_construct_message(parser.get(), nullptr));
    if (!message) break;
    std::unique_ptr<GMimeStream, Unref> bytes(g_mime_stream_mem_new());
    const ssize_t size =
        g_mime_object_write_to_stream(GMIME_OBJECT(message.get()), nullptr, bytes.get());
    if (size < 0 || static_cast<std::size_t>(size) > kMaxReturnedMailBytes) continue;
    GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(bytes.get()));
    read(std::string_view(reinterpret_cast<const char*>(array->data), array->len));
  }
  return true;
}

}  // namespace

bool ReadMailbox(const fs::path& mailbox, const std::function<void(std::string_view)>& read) {
  std::error_code ec;
  if (fs::is_directory(mailbox, ec)) return ReadMaildir(mailbox, read);
  if (!fs::is_regular_file(mailbox, ec)) return false;
  return ReadMbox(mailbox, read);
}

}  // namespace tarnwick
