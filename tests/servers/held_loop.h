// The loop of the held-post tests: a list of the kit registered, tarnwick-cli run on the store,
// the server's notices fetched from the IMAP mailbox and answered, and the mails the servers send
// looked through.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/moderation/raw_mail.h"
#include "core/store/mailing_list_register.h"
#include "servers/server_loop.h"

namespace tarnwick::testing {

class HeldLoopTest : public ServerLoopTest {
 protected:
  void TearDown() override {
    if (kit_) {
      kit_->Reset(ServerKind::Majordomo);
      kit_->Reset(ServerKind::Fml);
    }
  }

  // Registers the kit's list of that kind ("majordomo" or "fml"), with another password when
  // one is given, and resets it.
  void Register(ServerKind kind, const std::string& password = {}) {
    MailingList list = kit_->List(kind);
    list.Title = kind == ServerKind::Fml ? "fml" : "majordomo";
    if (!password.empty()) list.Password = password;
    ASSERT_FALSE(AddToRegister(store_, list).has_value());
    kit_->Reset(kind);
  }

  std::string Cli(const std::vector<std::string>& args, int status = 0) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::Run(args, store_, out, err), status) << err.str();
    return out.str();
  }

  // Delivers the notices to the mailbox and fetches them.
  void Fetch(const std::vector<std::string>& notices) {
    for (const std::string& notice : notices)
      imap_->Deliver(notice);
    Cli({"fetch"});
  }

  // The text of the one mail the command queued for item 1 ("approve", "reject", ...).
  std::string Answer(const std::vector<std::string>& command) {
    const std::string queued = Cli(command);
    EXPECT_EQ(queued.substr(0, 2), "1\t") << queued;
    return FileText(queued.substr(2, queued.find('\n') - 2));
  }

  // The server's notices fetched, and the one item they brought approved: the queued mail.
  std::string FetchAndApprove(const std::vector<std::string>& notices) {
    Fetch(notices);
    EXPECT_EQ(Cli({"held"}).substr(0, 2), "1\t");
    return Answer({"approve", "1"});
  }

  // The mail among those a server sent whose header has that field value.
  static std::optional<std::string> WithField(const std::vector<std::string>& sent,
                                              std::string_view name, std::string_view value) {
    for (const std::string& mail : sent) {
      const std::string lf = WithLfEnds(mail);  // the split points into it
      if (FieldValue(SplitMail(lf).header, name) == value) return mail;
    }
    return std::nullopt;
  }
};

}  // namespace tarnwick::testing
