// What a command's plate (or tarnwick-cli's options) gives it, as CP932 text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick {

// What the plates collect, as CP932 text. Each command reads only its own fields.
struct CommandInput {
  std::vector<std::string> addresses;  // address lists, in the list's (sorted) order
  std::string address;                 // initpassword, matome
  std::string oldValue;                // chaddr: old address; rename: old file name
  std::string newValue;                // chaddr: new address; rename: new file name
  int choice = 0;            // chaddr keyword 0-2; config 0 fetch, 1 send; log 0 latest, 1 all;
                             // pgp 0 add key, 1 get keys
  std::string mode;          // matome
  std::string newPassword;   // newpassword, initpassword
  std::string file;          // get, put, remove: name on the server; newinfo, newguide, newintro,
                             // config: the local file; pgp: the key file
  std::string localFile;     // put: the local file to upload
  std::string option;        // filelist
  std::string article;       // unlink
  std::uint32_t count = 10;  // log, latest
};

}  // namespace tarnwick
