// A store in a scratch folder that is also the mail box, a register of one fml list (name "dev",
// server fml@example.jp), and sent mails of it with fml's replies, as delivery and fetching
// leave them.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "core/store/common_settings.h"
#include "core/store/mailing_list_register.h"
#include "support/temp_dir.h"

namespace tarnwick::testing {

// A sent mail of an fml list (of that name and server, in the mail box `dir`), sent `minutes`
// from now, with fml's replies: its status report (a failure when no members are given), and
// the roster when they are.
inline void WriteSentMail(const std::filesystem::path& dir, const std::string& list,
                          const std::string& server, const std::string& name,
                          const std::string& token, const std::string& command, int minutes,
                          const std::string& members) {
  const std::string id = "<20261207." + token + "@example.jp>";
  const auto file = dir / ".sent" / list / name;
  WriteFile(file, "From: admin@example.jp\r\nTo: " + server + "\r\nSubject: T [" + token +
                      "]\r\nMessage-ID: " + id + "\r\nX-Command: T\r\n\r\n" +
                      "# admin pass pw\r\n# admin " + command + "\r\n");
  std::filesystem::last_write_time(
      file, std::filesystem::file_time_type::clock::now() + std::chrono::minutes(minutes));
  const std::string header =
      "From: " + list + "-admin@example.jp\nReply-To: " + server + "\nReferences: " + id + "\n";
  const std::string result = members.empty() ? "失敗しました\n" : "\n";
  WriteFile(dir / ".replies" / (token + "s.eml"),
            header +
                "Subject: status\nContent-Type: text/plain; charset=utf-8\n\n"
                ">>> admin pass ********\nOK\n>>> admin " +
                command + "\n" + result);
  if (!members.empty()) {
    WriteFile(dir / ".replies" / (token + "m.eml"),
              header + "Subject: members (" + list + " ML)\n\n-----\n" + members + "-----\n");
  }
}

class SentMailsFixture {
 public:
  explicit SentMailsFixture(const std::string& title) : store_(dir_ / "registry.db") {
    store_.OpenRoot().CreateKey(kCommonKey).WriteText("MailBox", dir_.path().string());
    auto list = std::make_unique<MailingList>();
    list->Title = title;
    list->Name = "dev";
    list->Address = "fml@example.jp";
    lists_.Insert(std::move(list));
  }

  const std::filesystem::path& dir() const { return dir_.path(); }
  const SettingsStore& store() const { return store_; }
  MailingListRegister& lists() { return lists_; }

  // A sent mail of the list, sent `minutes` after the first, with fml's replies: its status
  // report (a failure when no members are given), and the roster when they are.
  void Sent(const std::string& name, const std::string& token, const std::string& command,
            int minutes, const std::string& members) {
    SentBy("dev", "fml@example.jp", name, token, command, minutes, members);
  }

  // The same for another fml list, of that name and server, whose folder is named as the list.
  void SentBy(const std::string& list, const std::string& server, const std::string& name,
              const std::string& token, const std::string& command, int minutes,
              const std::string& members) {
    WriteSentMail(dir(), list, server, name, token, command, minutes, members);
  }

 private:
  TempDir dir_;
  SettingsStore store_;
  MailingListRegister lists_;
};

}  // namespace tarnwick::testing
