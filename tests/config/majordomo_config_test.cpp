#include "config/majordomo_config.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::WriteFile;

class MajordomoConfigTest : public ::testing::Test {
 protected:
  MajordomoConfig LoadText(const std::string& text) {
    WriteFile(file_, text);
    MajordomoConfig config;
    EXPECT_TRUE(config.Load(file_));
    return config;
  }
  std::string SaveAndRead(const MajordomoConfig& config) {
    int error = -1;
    EXPECT_EQ(config.Save(error), ConfigSave::Saved);
    EXPECT_EQ(error, 0);
    return ReadFile(file_);
  }

  testing::TempDir dir_;
  fs::path file_ = dir_ / "mylist.cf";
};

TEST_F(MajordomoConfigTest, ThereAreFortyFiveKeysInOrder) {
  EXPECT_EQ(kConfigKeys.size(), 45u);
  for (std::size_t i = 1; i < kConfigKeys.size(); ++i) {
    EXPECT_LT(kConfigKeys[i - 1].name, kConfigKeys[i].name);
  }
  EXPECT_EQ(*FindConfigKey("who_access"), 44u);
  EXPECT_FALSE(FindConfigKey("Moderate").has_value()) << "names are matched exactly";
}

TEST_F(MajordomoConfigTest, ValuesAreReadByTheirKind) {
  MajordomoConfig config = LoadText(
      "# a comment = ignored\n"
      "Moderate = Yes\r\n"
      "  reply_to = a=b\n"
      "subject_prefix    =    [$LIST] \n"
      "strip = yes \n"
      "maxlength = -40000 bytes\n"
      "digest_maxdays =\n"
      "digest_maxlines = 12\n"
      "description = \x8A\x4A\x94\xAD\n"
      "unknown_key = x\n"
      "debug = no\n"
      "debug = YES\n");
  EXPECT_EQ(config.value("moderate").yesNo, 0);
  EXPECT_EQ(config.value("reply_to").text, "a=b");
  EXPECT_EQ(config.value("subject_prefix").text, "[$LIST] ") << "trailing blanks stay";
  EXPECT_EQ(config.value("strip").yesNo, 1) << "yes with a blank after it is no";
  EXPECT_EQ(config.value("maxlength").number, -40000);
  EXPECT_TRUE(config.value("digest_maxdays").useDefault);
  EXPECT_FALSE(config.value("digest_maxlines").useDefault);
  EXPECT_EQ(config.value("digest_maxlines").number, 12);
  EXPECT_EQ(config.value("description").text, "\x8A\x4A\x94\xAD");
  EXPECT_EQ(config.value("debug").yesNo, 0) << "the last occurrence wins";
  EXPECT_FALSE(config.value("admin_passwd").present);
  EXPECT_EQ(config.value("administrivia").yesNo, -1);
}

TEST_F(MajordomoConfigTest, BlocksLoseBlankLinesAndIndentation) {
  MajordomoConfig config = LoadText(
      "message_footer << END\n"
      "  --\n"
      "\n"
      "  To leave: send unsubscribe\n"
      "   END\n"
      "taboo_body << END\n"
      "spam\n");
  EXPECT_EQ(config.value("message_footer").text, "--\r\nTo leave: send unsubscribe\r\n");
  EXPECT_EQ(config.value("taboo_body").text, "spam\r\n") << "a block without END runs to the end";
}

TEST_F(MajordomoConfigTest, ASavedReplyMailBecomesAFileReadyToSend) {
  MajordomoConfig config = LoadText(
      "From: Majordomo@lists.example.org\n"
      "Subject: Majordomo results: config dev\n"
      "\n"
      ">>>> config dev pw\n"
      "# The configuration\n"
      "Moderate = Yes\n"
      "  debug = no\n"
      "digest_maxdays =\n"
      "message_footer << END\n"
      "--\n"
      "\n"
      "bye\n"
      "END\n"
      "comments << END\n"
      "END\n"
      "restrict_post = dev-digest\n"
      "other_key = kept\n"
      "#[Last updated Mon Dec  7 10:00:00 2026]\n"
      ">>>> end\n"
      "trailing text\n");
  config.value("restrict_post").text = "dev";
  config.value("moderate").yesNo = 1;
  EXPECT_EQ(SaveAndRead(config),
            "# The configuration\r\n"
            "moderate            =   no\r\n"
            "  debug = no\r\n"  // an indented key line is copied, not rewritten
            "digest_maxdays      =\r\n"
            "message_footer      <<  END\r\n"
            "--\r\n"
            "bye\r\n"
            "END\r\n"  // no empty line before END: Majordomo would keep it as an element
            "comments            <<  END\r\n"
            "\r\n"  // an empty block keeps its single empty line
            "END\r\n"
            "restrict_post       =   dev\r\n"
            "other_key = kept\r\n");
  EXPECT_FALSE(fs::exists(ConfigScratchPath(file_)));
  // Loading what was saved gives the same values: nothing accumulates.
  MajordomoConfig again;
  ASSERT_TRUE(again.Load(file_));
  EXPECT_EQ(again.value("message_footer").text, "--\r\nbye\r\n");
  EXPECT_EQ(again.value("comments").text, "");
}

TEST_F(MajordomoConfigTest, LastUpdatedWithoutEndIsCopied) {
  MajordomoConfig config = LoadText("#[Last updated x]\nstrip = yes\n>>>> end\n");
  EXPECT_EQ(SaveAndRead(config), "#[Last updated x]\r\nstrip = yes\r\n>>>> end\r\n");
}

TEST_F(MajordomoConfigTest, AKeyTwiceIsWrittenAtBothPlacesWithItsLastValue) {
  MajordomoConfig config = LoadText("precedence = bulk\nprecedence = list\n");
  EXPECT_EQ(SaveAndRead(config),
            "precedence          =   list\r\nprecedence          =   list\r\n");
}

TEST_F(MajordomoConfigTest, AnEmptyFileStaysEmpty) {
  EXPECT_EQ(SaveAndRead(LoadText("")), "");
}

TEST_F(MajordomoConfigTest, ABakFileGetsAScratchOfItsOwn) {
  EXPECT_EQ(ConfigScratchPath("/d/mylist.cf"), "/d/mylist.bak");
  EXPECT_EQ(ConfigScratchPath("/d/config"), "/d/config.bak");
  EXPECT_EQ(ConfigScratchPath("/d/old.bak"), "/d/old.bak.tmp");
  file_ = dir_ / "old.bak";
  MajordomoConfig config = LoadText("strip = yes\n");
  EXPECT_EQ(SaveAndRead(config), "strip               =   yes\r\n");
}

TEST_F(MajordomoConfigTest, AFailedSaveLeavesTheFileAsItWas) {
  MajordomoConfig config = LoadText("admin_passwd = secret\n");
  chmod(file_.c_str(), 0600);
  fs::create_directories(ConfigScratchPath(file_));  // the scratch file can't be made
  config.value("admin_passwd").text = "changed";
  int error = 0;
  EXPECT_EQ(config.Save(error), ConfigSave::Failed);
  EXPECT_NE(error, 0);
  EXPECT_EQ(ReadFile(file_), "admin_passwd = secret\n");

  fs::remove(ConfigScratchPath(file_));
  EXPECT_EQ(SaveAndRead(config), "admin_passwd        =   changed\r\n");
  struct stat info {};
  stat(file_.c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "the password stays as private as it was";
}

TEST_F(MajordomoConfigTest, UnreadableAndHostileFiles) {
  MajordomoConfig missing;
  EXPECT_FALSE(missing.Load(dir_ / "none.cf"));
  int error = 0;
  EXPECT_EQ(missing.Save(error), ConfigSave::NotLoaded);

  std::string binary(100000, '\0');
  for (std::size_t i = 0; i < binary.size(); ++i)
    binary[i] = static_cast<char>(i * 37);
  MajordomoConfig config = LoadText(binary + "\nstrip = yes\n");
  EXPECT_EQ(config.value("strip").yesNo, 0);
  EXPECT_EQ(SaveAndRead(config).size() > binary.size(), true);

  fs::resize_file(file_, kMaxConfigFileBytes + 1);
  MajordomoConfig huge;
  EXPECT_FALSE(huge.Load(file_));
}

}  // namespace
}  // namespace tarnwick
