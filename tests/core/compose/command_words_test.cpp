#include "core/compose/command_words.h"

#include <gtest/gtest.h>

#include "core/compose/command_mail.h"
#include "core/compose/mail_preview.h"
#include "core/results/command_outcome.h"

namespace tarnwick {
namespace {

constexpr char kListPassword[] = "Old9pw";
constexpr char kNewPassword[] = "New7pw";

MailingList ListOf(ServerKind kind) {
  MailingList list;
  list.Title = "dev";
  list.Type = kind;
  list.Name = "dev";
  list.Address = "server@example.jp";
  list.Admin = "admin@example.jp";
  list.Password = kListPassword;
  return list;
}

CommandInput EveryInput() {
  CommandInput input;
  input.addresses = {"a@example.jp"};
  input.address = "b@example.jp";
  input.oldValue = "c@example.jp";
  input.newValue = "d@example.jp";
  input.mode = "3";
  input.newPassword = kNewPassword;
  input.file = "notes";
  input.option = "-l";
  input.article = "1";
  return input;
}

// Every command a kind offers carries its passwords where the words table looks for them: the
// preview shows neither password, nor does a failed result.
TEST(CommandWords, EveryComposedPasswordIsMaskedInThePreviewAndTheResults) {
  int composed = 0;
  for (ServerKind kind : {ServerKind::Majordomo, ServerKind::Fml}) {
    for (const CommandInfo& command : Commands()) {
      std::string mail;
      if (BuildMail(command.id, ListOf(kind), EveryInput(), mail).status != ComposeStatus::Composed)
        continue;
      ++composed;
      const std::string masked = MaskPasswords(mail);
      EXPECT_EQ(masked.find(kListPassword), std::string::npos) << command.name << masked;
      EXPECT_EQ(masked.find(kNewPassword), std::string::npos) << command.name << masked;
      const std::optional<SentMail> sent = ReadSentMail(mail);
      ASSERT_TRUE(sent) << command.name;
      for (const std::string& line : sent->commands) {
        const std::string shown = MaskedLine(kind, line, "****");
        EXPECT_EQ(shown.find(kListPassword), std::string::npos) << command.name << shown;
        EXPECT_EQ(shown.find(kNewPassword), std::string::npos) << command.name << shown;
      }
    }
  }
  EXPECT_GE(composed, 20);
}

TEST(CommandWords, PasswordsStandAtTheirServersPositions) {
  using enum ServerKind;
  EXPECT_EQ(MaskedLine(Majordomo, "approve pw subscribe dev a@x", "*"),
            "approve * subscribe dev a@x");
  EXPECT_EQ(MaskedLine(Majordomo, "passwd dev  old\tnew", "*"), "passwd dev  *\t*");
  EXPECT_EQ(MaskedLine(Majordomo, "newinfo dev pw", "*"), "newinfo dev *");
  EXPECT_EQ(MaskedLine(Majordomo, "who dev", "*"), "who dev");
  EXPECT_EQ(MaskedLine(Fml, "# admin initpass a@x pw", "*"), "# admin initpass a@x *");
  EXPECT_EQ(MaskedLine(Fml, "admin pass pw", "*"), "admin pass *");  // as the results keep it
  EXPECT_EQ(MaskedLine(Fml, "# approve pw add a@x", "*"), "# approve * add a@x");
  EXPECT_EQ(MaskedLine(Fml, "# admin get pass", "*"), "# admin get pass");
  // Each server's words are its own.
  EXPECT_EQ(MaskedLine(Fml, "passwd dev old new", "*"), "passwd dev old new");
  EXPECT_EQ(MaskedLine(Majordomo, "# admin pass pw", "*"), "# admin pass pw");
  EXPECT_EQ(MaskedLine(Majordomo, "passwd dev", "*"), "passwd dev");  // no word to mask
}

TEST(CommandWords, TheCommandsThatTakeTheRestOfTheMail) {
  using enum ServerKind;
  for (const char* line : {"newconfig dev pw", "newinfo dev pw", "newintro dev pw"}) {
    EXPECT_TRUE(TakesTheRest(Majordomo, line)) << line;
    EXPECT_FALSE(TakesTheRest(Fml, line)) << line;
  }
  for (const char* line : {"# admin put notes", "admin newinfo", "# admin newguide"})
    EXPECT_TRUE(TakesTheRest(Fml, line)) << line;
  for (const char* line : {"config dev pw", "approve pw who dev", "end"})
    EXPECT_FALSE(TakesTheRest(Majordomo, line)) << line;
  EXPECT_FALSE(TakesTheRest(Fml, "# admin get notes"));
}

}  // namespace
}  // namespace tarnwick
