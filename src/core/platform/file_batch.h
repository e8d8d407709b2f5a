// Many small files replaced together: each written whole into a scratch file beside it, and all
// of them put in place at once, with one sync of their contents before any is renamed and one of
// the names after. A thousand files cost two syncs instead of two thousand, and renaming a file
// whose content is already on disk over an old one makes the file system flush nothing more.
#pragma once

#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwick {

class FileBatch {
 public:
  FileBatch() = default;
  FileBatch(FileBatch&& other) noexcept : pending_(std::exchange(other.pending_, {})) {}
  FileBatch& operator=(FileBatch&& other) noexcept;
  FileBatch(const FileBatch&) = delete;
  FileBatch& operator=(const FileBatch&) = delete;
  // The scratch files of a batch never committed are removed: the files stay as they were.
  ~FileBatch();

  // The content, private to the user, into a scratch file beside the file; 0 or the errno. The
  // file itself is replaced only by Commit, after the earlier writes of the batch.
  int Write(const std::filesystem::path& file, std::string_view content);
  // Every file written put in place, on disk; 0 or the first errno (a file not put in place
  // then keeps what it held).
  int Commit();

 private:
  void Discard();

  struct Pending {
    std::filesystem::path scratch, file;
  };
  std::vector<Pending> pending_;
};

}  // namespace tarnwick
