#include "core/analyze/notice.h"

#include <gtest/gtest.h>

#include "core/analyze/recipients.h"

namespace tarnwick {
namespace {

using Addresses = std::vector<std::string>;

Addresses FromPlainNotice(std::string_view notice, const Addresses& own = {}) {
  Recipients failed;
  ReadPlainNotice(notice, own, failed);
  return failed.Take();
}

TEST(Notice, TheCopyOfTheReturnedMessageIsCutOff) {
  const std::string text =
      "The original message was received at Mon, 7 Dec 2026 from lists.example.jp\n"
      "<kept@example.jp>: unknown user\n"
      "   ----- Original message -----\n"
      "To: copied@example.jp\n";
  EXPECT_EQ(NoticeBeforeCopy(text), text.substr(0, text.find("\n   -----")));
  EXPECT_EQ(NoticeBeforeCopy("Received: from mx.example.jp\nTo: x@example.jp\n"), "");
  EXPECT_EQ(NoticeBeforeCopy("no copy here"), "no copy here");
}

TEST(Notice, WarningsAndDelaysAreNoFailures) {
  EXPECT_TRUE(SaysNoFailure("# THIS IS A WARNING ONLY. YOU DO NOT NEED TO RESEND #"));
  EXPECT_TRUE(SaysNoFailure("The server will retry for 4 more days."));
  EXPECT_FALSE(SaysNoFailure("This is a permanent error; I've given up."));
  EXPECT_TRUE(SaysNoFailure("Delivery was postponed; the server will try again later."));
  EXPECT_TRUE(SaysNoFailure("Delivery to the following recipients succeeded."));
  EXPECT_TRUE(SubjectSaysNoFailure("Delivery Status Notification (Delay)"));
  EXPECT_TRUE(SubjectSaysNoFailure("Warning: could not send message for past 4 hours"));
  EXPECT_FALSE(SubjectSaysNoFailure("Warning: kenta@example.jp - User unknown!"));
  EXPECT_TRUE(SubjectSaysNoFailure("BOUNCE dev@lists.example.jp: Non-member submission"));
  EXPECT_TRUE(SubjectSaysNoFailure("Delivered: [dev] meeting notes"));
  EXPECT_FALSE(SubjectSaysNoFailure("Undelivered: [dev] meeting notes"));
}

TEST(Notice, OnlyMailSystemsSendReports) {
  EXPECT_TRUE(HeadersShowMailSystemReport("Mail Delivery System <MAILER-DAEMON@mx.jp>", "x"));
  EXPECT_TRUE(HeadersShowMailSystemReport("", "Hello"));
  EXPECT_TRUE(HeadersShowMailSystemReport("info@carrier.jp", "配信エラー"));
  EXPECT_FALSE(HeadersShowMailSystemReport("Yuna <yuna@example.jp>", "Re: [dev] notes"));
}

TEST(Notice, BracketedRecipientsStandAtTheStartOfTheirLine) {
  Recipients failed;
  ReadBracketedRecipients(
      "<one@example.jp>:\n"
      "  <two@example.jp> (expanded from <alias@example.jp>): mailbox full\n"
      "Please write to <help@example.jp>: we answer within a day\n"
      "A reply from <three@example.jp> was: unknown\n"
      "<four@example.jp> said hello\n",
      failed);
  EXPECT_EQ(failed.Take(), (Addresses{"one@example.jp", "two@example.jp"}));
}

TEST(Notice, AnnouncedRecipientsFollowTheAnnouncement) {
  EXPECT_EQ(FromPlainNotice("Your message was not delivered to:\n\n"
                            "   aoi@example.jp\n\n   riku@example.jp\n\n"
                            "because the addresses are unknown.\n\n\n\n\n"
                            "Questions? Write to desk@example.jp.\n"),
            (Addresses{"aoi@example.jp", "riku@example.jp"}));
  EXPECT_EQ(FromPlainNotice("以下のアドレスへの送信に失敗しました。\nmei@example.ne.jp\n"),
            Addresses{"mei@example.ne.jp"});
  EXPECT_EQ(FromPlainNotice("Did not reach the following recipient: sho@example.jp\n"),
            Addresses{"sho@example.jp"});
}

// The address a line begins with, before its colon, is the recipient; the reason after it may
// quote others. A sentence in words is no address, though its colon comes late.
TEST(Notice, AnAddressBeforeTheColonIsTheRecipientOfItsLine) {
  EXPECT_EQ(FromPlainNotice("These recipients failed:\n"
                            "  yui@example.jp: forwarded copy to old-yui@example.jp bounced\n"
                            "  Mio <mio@example.jp>: mailbox full, as mio@example.jp said\n"
                            "  Local mailbox sara@example.jp is unavailable: user not found\n"),
            (Addresses{"yui@example.jp", "mio@example.jp", "sara@example.jp"}));
}

TEST(Notice, ASentenceOverSeveralLinesAnnouncesTheRecipients) {
  EXPECT_EQ(FromPlainNotice("The mail you sent named recipient addresses that\n"
                            "we had to leave out:\n\n   nao@example.jp   (bad syntax)\n"),
            Addresses{"nao@example.jp"});
  // Only a sentence that speaks of recipients: this one speaks of its sender.
  EXPECT_EQ(FromPlainNotice("The mail was sent from an address that\nwe trust:\n\n"
                            "   nao@example.jp   (ok)\n"),
            Addresses());
}

// Japanese notices label the recipient as 相手先, 送信先 or 配信先, with a full-width colon, a
// full-width blank or none, and say in many words that its mailbox is gone, full or refusing.
// A paragraph of words runs on without bound in a hostile notice: past a few lines it is no
// sentence that announces, and it is not kept.
TEST(Notice, ALongParagraphAnnouncesNothing) {
  std::string words;
  for (int i = 0; i < 40; ++i)
    words += "the recipient addresses of the message were\n";
  EXPECT_EQ(FromPlainNotice(words + "left out:\n   nao@example.jp   (syntax)\n"), Addresses());
  const std::string hostile = std::string(2 << 20, 'a') + "\n";
  std::string lines;
  for (int i = 0; i < 20000; ++i)
    lines += "recipient address:\n";
  EXPECT_EQ(FromPlainNotice(hostile + lines), Addresses());
}

TEST(Notice, JapaneseLabelsAndPhrasesNameTheRecipient) {
  EXPECT_EQ(FromPlainNotice("相手先に届きませんでした。\n\n相手先：mob@au.example.jp\n"),
            Addresses{"mob@au.example.jp"});
  EXPECT_EQ(FromPlainNotice("配信先　hina@example.jp\n配信先 riko@example.jp\n"),
            (Addresses{"hina@example.jp", "riko@example.jp"}));
  EXPECT_EQ(FromPlainNotice("宛先(natsu@ez.example.jp)は現在使用されていません。\n"),
            Addresses{"natsu@ez.example.jp"});
  for (const char* line :
       {"mika@mb.example.jp のメールボックスがいっぱいです。",
        "mika@mb.example.jp は無効なアドレスです。",
        "このアドレス(mika@mb.example.jp)は解約されています。",
        "メールアドレス＜mika@mb.example.jp＞は存在しないか、受信できない状態です。",
        "mika@mb.example.jp への配信は迷惑メール設定によりブロックされました。"}) {
    EXPECT_EQ(FromPlainNotice(line), Addresses{"mika@mb.example.jp"}) << line;
  }
  EXPECT_EQ(FromPlainNotice("受信設定により拒否されました。\n\n　　aya@example.ne.jp　\n"),
            Addresses{"aya@example.ne.jp"});
  // A sender's label, a label that is a whole sentence, an address inside a word: no recipient.
  EXPECT_EQ(
      FromPlainNotice("送信元アドレス　from@example.jp\n"
                      "このアドレスの持ち主にはいつでも連絡することができるので安心してください "
                      "kei@example.jp\n"
                      "宛先アドレスx@example.jp\n"),
      Addresses());
}

// Providers' own phrasings of a failure, each naming its recipient on the line that says so.
TEST(Notice, ProvidersPhrasingsOfFailureNameTheRecipient) {
  EXPECT_EQ(FromPlainNotice("Your message wasn't delivered to a@example.com because the address\n"
                            "We couldn't deliver your message to b@example.com.\n"
                            "The recipient c@example.com isn't accepting mail right now.\n"
                            "d@example.com: the mailbox is over its storage limit\n"
                            "Your email to e@example.com has been blocked.\n"
                            "The account f@example.com is suspended.\n"
                            "The address g@example.com has been deactivated.\n"),
            (Addresses{"a@example.com", "b@example.com", "c@example.com", "d@example.com",
                       "e@example.com", "f@example.com", "g@example.com"}));
  EXPECT_TRUE(SaysFailure("Message for h@example.com was discarded: spam detected"));
  EXPECT_FALSE(SaysFailure("A member wrote this to the list; nothing bounced."));
}

TEST(Notice, OwnServiceAndQuotedAddressesAreNoRecipients) {
  EXPECT_EQ(FromPlainNotice("Delivery to the following recipients failed:\n"
                            "  dev-owner@lists.example.jp\n"
                            "  From: dev@lists.example.jp\n"
                            "  Postmaster@mx.example.jp\n"
                            "  gone@example.jp\n"
                            "The message sent from poster@example.jp could not be delivered.\n"
                            "MAIL FROM:<bounces@lists.example.jp> RCPT TO:<rcpt@example.jp>\n"
                            "  an undisclosed address (generated from hidden@example.jp)\n",
                            {"dev-owner@lists.example.jp"}),
            (Addresses{"gone@example.jp", "rcpt@example.jp", "hidden@example.jp"}));
}

TEST(Notice, JsonBouncesNameTheirBouncedRecipientsOnly) {
  Recipients failed;
  ReadJsonBounce(R"({"bounce":{"bouncedRecipients":[{"emailAddress":"a@example.jp"},)"
                 R"({"emailAddress":"b@example.jp"}]},"mail":{"source":"s@example.jp"}})",
                 failed);
  EXPECT_EQ(failed.Take(), (Addresses{"a@example.jp", "b@example.jp"}));
  ReadJsonBounce(R"({"bouncedRecipients":[{"emailAddress":"unclosed@example.jp")", failed);
  EXPECT_EQ(failed.Take(), Addresses{"unclosed@example.jp"});
}

// After "Delivery has failed to these recipients", each address alone on its line (a display
// name before it allowed for) is a failed recipient, however long the reasons between them.
TEST(Notice, AnnouncedRecipientsRunOnPastLongReasons) {
  const std::string notice =
      "Delivery has failed to these recipients or groups:\n\nAki Tanaka (aki@ex.example.com)\n"
      "The e-mail address you entered couldn't be found. Please check the address\n"
      "and try to resend the message. If the problem continues, please contact\nyour helpdesk."
      "\n\n\n\n\nFuyu <fuyu@ex.example.com>\nThe e-mail address you entered couldn't be found.\n"
      "\n\nPlease write to our help desk, Help Desk Team (help@ex.example.com): we answer\n";
  EXPECT_EQ(FromPlainNotice(notice), (Addresses{"aki@ex.example.com", "fuyu@ex.example.com"}));
}

TEST(Notice, AListServersMemberLabelNamesTheRecipient) {
  const std::string notice =
      "This is a mailing list bounce action notice:\n\n    List:       Dev\n"
      "    Member:     sora@example.net\n    Action:     Subscription disabled.\n";
  EXPECT_EQ(FromPlainNotice(notice), Addresses{"sora@example.net"});
}

// The carriers' notices in Japanese: "次の宛先" announces the list, "配信されませんでした" and
// "届きません" say the delivery failed, and labels end with the full-width colon.
TEST(Notice, JapaneseCarrierNoticesNameEachRecipient) {
  EXPECT_EQ(FromPlainNotice("次の宛先へのメールは配信されませんでした。\n\n"
                            "    aki@docomo.example.ne.jp\n    fuyu@docomo.example.ne.jp\n"),
            (Addresses{"aki@docomo.example.ne.jp", "fuyu@docomo.example.ne.jp"}));
  EXPECT_EQ(FromPlainNotice("以下の理由により配信されませんでした。\n\n"
                            "宛先メールアドレス： aki@ezweb.example.ne.jp\n理由： 宛先不明\n\n"
                            "宛先メールアドレス： fuyu@ezweb.example.ne.jp\n理由： 容量超過\n"),
            (Addresses{"aki@ezweb.example.ne.jp", "fuyu@ezweb.example.ne.jp"}));
  EXPECT_EQ(FromPlainNotice("メッセージを配信できませんでした。\n"
                            "宛先：aki@softbank.example.ne.jp、fuyu@softbank.example.ne.jp\n"),
            (Addresses{"aki@softbank.example.ne.jp", "fuyu@softbank.example.ne.jp"}));
  // The sender's label with the full-width colon names no recipient.
  EXPECT_EQ(FromPlainNotice("配信されませんでした。\n送信者：dev@lists.example.jp\n"), Addresses());
}

}  // namespace
}  // namespace tarnwick
