// A folder of the mail box that holds passwords (queued and sent command mails, replies): made
// readable by its owner only, and never taken when something else stands in its place — a link
// planted there would send the files, or their removal, elsewhere.
#pragma once

#include <filesystem>

namespace tarnwick {

// Makes the folder (mode 0700) unless it exists; true when it is now a folder of its own, not a
// link, a file or anything else.
bool MakePrivateFolder(const std::filesystem::path& folder);

}  // namespace tarnwick
