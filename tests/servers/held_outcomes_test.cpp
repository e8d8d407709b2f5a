// What each answer to a held post makes happen, through the real servers and a real SMTP server:
// a rejection tells the poster once and the server nothing, a discard sends nothing, an approved
// post reaches the members with every MIME part as the poster sent it (and, reaching the
// administrator as a member, ends its item), and the administrator's mailbox keeps its mails and
// their flags throughout.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "core/analyze/mime_mail.h"
#include "servers/held_loop.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// 256 bytes, every value once: an attachment no text conversion leaves alone.
std::string AllBytes() {
  std::string bytes;
  for (int value = 0; value < 256; ++value)
    bytes += static_cast<char>(value);
  return bytes;
}

std::string Base64Lines(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    unsigned value = static_cast<unsigned char>(bytes[at]) << 16;
    if (at + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[at + 1]) << 8;
    if (at + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[at + 2]);
    for (std::size_t digit = 0; digit < 4; ++digit)
      text += at + digit <= bytes.size() ? kDigits[(value >> (18 - 6 * digit)) & 63] : '=';
    if (text.size() % 77 == 76) text += '\n';
  }
  return text + "\n";
}

std::string FromBase64(std::string_view text) {
  std::string bytes;
  unsigned value = 0;
  int bits = 0;
  for (char c : text) {
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = c == '\0' ? nullptr : std::strchr(digits, c);
    if (at == nullptr) continue;
    value = (value << 6) | static_cast<unsigned>(at - digits);
    if ((bits += 6) >= 8) bytes += static_cast<char>((value >> (bits -= 8)) & 0xff);
  }
  return bytes;
}

const std::string kMimePost =
    "From: Alice <a1@example.net>\nTo: testlist@localhost\n"
    "Subject: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= with attachment\n"
    "Message-Id: <held-mime-1@example.net>\nDate: Tue, 04 Jun 2024 10:00:00 +0900\n"
    "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"b0undary\"\n\n"
    "This is a multi-part message in MIME format.\n"
    "--b0undary\nContent-Type: text/plain; charset=ISO-2022-JP\n"
    "Content-Transfer-Encoding: 7bit\n\n"
    "\x1b$B$3$s$K$A$O\x1b(B\n\x1b$BE:IU$7$^$9!#\x1b(B\n"
    "--b0undary\nContent-Type: application/octet-stream; name=\"data.bin\"\n"
    "Content-Disposition: attachment; filename=\"data.bin\"\n"
    "Content-Transfer-Encoding: base64\n\n" +
    Base64Lines(AllBytes()) + "--b0undary--\n";

// Each part of a multipart mail: its Content-Type, and its body decoded from its transfer
// encoding.
std::vector<std::pair<std::string, std::string>> DecodedParts(const std::string& mail) {
  std::vector<std::pair<std::string, std::string>> parts;
  const std::string lf = WithLfEnds(mail);
  const std::string delimiter = "\n--b0undary";
  for (std::size_t at = lf.find(delimiter); at != std::string::npos;) {
    const std::size_t start = lf.find('\n', at + 1) + 1;
    const std::size_t end = lf.find(delimiter, start);
    if (end == std::string::npos || lf.compare(at, delimiter.size() + 2, delimiter + "--") == 0)
      break;
    const RawMail part = SplitMail(std::string_view(lf).substr(start, end + 1 - start));
    const std::string type = FieldValue(part.header, "Content-Type").value_or("");
    const bool base64 = FieldValue(part.header, "Content-Transfer-Encoding") == "base64";
    parts.emplace_back(type, base64 ? FromBase64(part.body) : std::string(part.body));
    at = end;
  }
  return parts;
}

class HeldOutcomesTest : public testing::HeldLoopTest {
 protected:
  void SetUp() override {
    StartServers(Smtp::Started);
    if (!Started()) return;
    Register(ServerKind::Majordomo);
    kit_->Set(ServerKind::Majordomo, "moderate", "yes");
  }

  // The mails the SMTP server took, by number: each one's envelope and text.
  std::map<int, std::pair<std::string, std::string>> Sent() const {
    std::map<int, std::pair<std::string, std::string>> sent;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_ / "outbox")) {
      if (entry.path().extension() != ".eml") continue;
      fs::path envelope = entry.path();
      sent[std::stoi(entry.path().stem())] = {
          testing::FileText(envelope.replace_extension(".envelope").string()),
          testing::FileText(entry.path().string())};
    }
    return sent;
  }

  static void ExpectPartsOfThePost(const std::string& article) {
    const auto parts = DecodedParts(article);
    ASSERT_EQ(parts.size(), 2u) << article;
    EXPECT_EQ(parts[1].second, AllBytes());
    EXPECT_EQ(parts, DecodedParts(kMimePost));
    const std::optional<ReadableMail> readable = ReadReadableMail(WithLfEnds(article));
    ASSERT_TRUE(readable);
    EXPECT_EQ(readable->subject, "テスト with attachment");
    EXPECT_EQ(readable->text, "こんにちは\n添付します。");
    ASSERT_EQ(readable->attachments.size(), 1u);
    EXPECT_EQ(readable->attachments[0].name, "data.bin");
    EXPECT_EQ(readable->attachments[0].bytes, 256u);
  }
};

TEST_F(HeldOutcomesTest, ARejectionTellsThePosterOnceAndTheServerNothing) {
  Fetch(kit_->Post(ServerKind::Majordomo, kMimePost));
  const std::string notice = Answer({"reject", "1", "--reason", "添付は禁止です"});
  EXPECT_NE(notice.find("To: a1@example.net"), std::string::npos) << notice;
  Cli({"send"});
  const auto sent = Sent();
  ASSERT_EQ(sent.size(), 1u);
  const auto& [envelope, mail] = sent.begin()->second;
  EXPECT_EQ(envelope.substr(envelope.find('\n') + 1), "a1@example.net\n") << "only the poster";
  const std::optional<ReadableMail> readable = ReadReadableMail(WithLfEnds(mail));
  ASSERT_TRUE(readable);
  EXPECT_TRUE(readable->subject.starts_with("Re: テスト")) << readable->subject;
  EXPECT_NE(readable->text.find("添付は禁止です"), std::string::npos) << readable->text;
  EXPECT_NE(Cli({"held", "--all"}).find("\t却下\n"), std::string::npos);
}

TEST_F(HeldOutcomesTest, ADiscardSendsNothing) {
  Fetch(kit_->Post(ServerKind::Majordomo, kMimePost));
  EXPECT_EQ(Cli({"discard", "1"}), "1\n");
  Cli({"send"});
  EXPECT_TRUE(Sent().empty());
  EXPECT_NE(Cli({"held", "--all"}).find("\t破棄\n"), std::string::npos);
}

TEST_F(HeldOutcomesTest, MajordomoDistributesEveryPartOfTheApprovedPostUnchanged) {
  const std::vector<std::string> notices = kit_->Post(ServerKind::Majordomo, kMimePost);
  for (const std::string& notice : notices)
    imap_->Deliver(notice);
  const std::vector<std::string> before = imap_->MailFiles();
  Cli({"fetch"});
  const std::string approval = Answer({"approve", "1"});
  const auto article = WithField(kit_->Post(ServerKind::Majordomo, approval), "Message-Id",
                                 "<held-mime-1@example.net>");
  ASSERT_TRUE(article);
  ExpectPartsOfThePost(*article);
  Cli({"fetch"});
  EXPECT_EQ(imap_->MailFiles(), before) << "the mailbox keeps its mails and their flags";
}

TEST_F(HeldOutcomesTest, FmlDistributesEveryPartOfTheCertifiedPostUnchanged) {
  Register(ServerKind::Fml);
  kit_->Set(ServerKind::Fml, "MODERATOR_FORWARD_TYPE", "2");
  kit_->Set(ServerKind::Fml, "PERMIT_POST_FROM", "moderator");
  const std::string approval = FetchAndApprove(kit_->Post(ServerKind::Fml, kMimePost));
  const auto article = WithField(kit_->DeliverForReplies(ServerKind::Fml, approval), "Message-Id",
                                 "<held-mime-1@example.net>");
  ASSERT_TRUE(article);
  ExpectPartsOfThePost(*article);

  // The administrator is a member: the article itself, without fml's "resent" notice, tells the
  // post went out. It is no reply to keep, and stays in the mailbox as it came.
  ASSERT_NE(article->find("<admin@example.org>"), std::string::npos) << "sent to the admin";
  EXPECT_NE(Cli({"held", "--all"}).find("\t承認待ち\n"), std::string::npos);
  imap_->Deliver(*article);
  const std::vector<std::string> before = imap_->MailFiles();
  EXPECT_EQ(Cli({"fetch"}), "1 read, 0 kept, 0 matched\n");
  EXPECT_NE(Cli({"held", "--all"}).find("\t承認済み\n"), std::string::npos);
  EXPECT_EQ(imap_->MailFiles(), before);
}

}  // namespace
}  // namespace tarnwick
