#include "core/config/majordomo_config.h"

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

TEST_F(MajordomoConfigTest, ValuesAreReadAsMajordomoReadsThem) {
  MajordomoConfig config = LoadText(
      "# a comment = ignored\n"
      "Moderate = Yes\r\n"
      "  reply_to = a=b\n"                 // an indented key is a key
      "subject_prefix    =    [$LIST] \n"  // values are trimmed
      "strip = Y \n"
      "description = List #1\n"  // "#" starts a comment
      "maxlength = -40000 bytes\n"
      "digest_maxdays =\n"
      "digest_maxlines = 12\n"
      "digest_name = \x8A\x4A\x94\xAD\n"
      "mungedomain = perhaps\n"
      "precedence << END\n"  // no block for a one-line key
      "unknown_key = x\n"
      "debug = no\n"
      "debug = YES\n");
  EXPECT_EQ(config.value("moderate").yesNo, 0);
  EXPECT_EQ(config.value("reply_to").text, "a=b");
  EXPECT_EQ(config.value("subject_prefix").text, "[$LIST]");
  EXPECT_EQ(config.value("strip").yesNo, 0);
  EXPECT_EQ(config.value("description").text, "List");
  EXPECT_EQ(config.value("maxlength").number, -40000);
  EXPECT_TRUE(config.value("digest_maxdays").useDefault);
  EXPECT_FALSE(config.value("digest_maxlines").useDefault);
  EXPECT_EQ(config.value("digest_maxlines").number, 12);
  EXPECT_EQ(config.value("digest_name").text, "\x8A\x4A\x94\xAD");
  EXPECT_EQ(config.value("mungedomain").yesNo, -1) << "neither yes nor no";
  EXPECT_FALSE(config.value("precedence").present);
  EXPECT_EQ(config.value("debug").yesNo, 0) << "the last occurrence wins";
  EXPECT_FALSE(config.value("admin_passwd").present);
  EXPECT_EQ(config.value("administrivia").yesNo, -1);
}

TEST_F(MajordomoConfigTest, BlocksAreReadWithMajordomosEscapes) {
  MajordomoConfig config = LoadText(
      "message_footer << END\n"
      "--\n"
      "-\n"
      "- indented\n"
      "  # no comment here  \n"
      "end of the list\n"
      "   END\n"
      "message_headers << STOP\n"
      "X-A: 1\n"
      "END\n"
      "\n"
      "STOP\n"
      "taboo_body << END\n"
      "/spam/\n");
  EXPECT_EQ(config.value("message_footer").text,
            "-\r\n\r\n indented\r\n# no comment here\r\nend of the list\r\n");
  EXPECT_EQ(config.value("message_headers").text, "X-A: 1\r\nEND\r\n\r\n");
  EXPECT_EQ(config.value("taboo_body").text, "/spam/\r\n") << "a block without its end runs on";
}

// Lines nobody changed keep every byte; a changed key is written in the canonical form with the
// file's own line ends, indented or not.
TEST_F(MajordomoConfigTest, OnlyTheLinesOfChangedKeysAreRewritten) {
  const std::string text =
      "# comment\n"
      "  Moderate = Yes   # moderated\n"
      "\tdebug = no\n"
      "message_footer << END\n"
      "-- \n"
      "  END\n"
      "other_key = kept\n"
      "precedence = bulk\n"
      "precedence = list\n";
  MajordomoConfig config = LoadText(text);
  EXPECT_EQ(SaveAndRead(config), text) << "nothing changed";
  config.value("debug").yesNo = 0;
  config.value("precedence").text = "junk";
  EXPECT_EQ(SaveAndRead(config),
            "# comment\n"
            "  Moderate = Yes   # moderated\n"
            "debug               =   yes\n"
            "message_footer << END\n"
            "-- \n"
            "  END\n"
            "other_key = kept\n"
            "precedence          =   junk\n"
            "precedence          =   junk\n");
}

// Each element comes back as it was, and nothing in a block can end it or the newconfig mail.
TEST_F(MajordomoConfigTest, BlocksAreWrittenSoThatTheyReadBackTheSame) {
  MajordomoConfig config = LoadText("message_footer << END\nEND\ntaboo_headers << END\nEND\n");
  const std::string footer = "--\r\n-\r\n- x\r\n\r\n  lead\r\nEOF\r\nEND\r\n#1 tail  \r\nend\r\n";
  config.value("message_footer").text = footer;
  config.value("taboo_headers").text = "/^Subject: EOF/\r\n";
  EXPECT_EQ(SaveAndRead(config),
            "message_footer      <<  END1\n"
            "---\n"
            "--\n"
            "-- x\n"
            "-\n"
            "-  lead\n"
            " EOF\n"
            "END\n"
            "#1 tail\n"
            "end\n"
            "END1\n"
            "taboo_headers       <<  END\n"
            "/^Subject: EOF/\n"
            "END\n");
  MajordomoConfig again;
  ASSERT_TRUE(again.Load(file_));
  EXPECT_EQ(again.value("message_footer").text,
            "--\r\n-\r\n- x\r\n\r\n  lead\r\nEOF\r\nEND\r\n#1 tail\r\nend\r\n");
  again.value("message_footer").text.clear();
  EXPECT_EQ(SaveAndRead(again).substr(0, 37), "message_footer      <<  END\nEND\ntaboo")
      << "an empty block has no element";
}

TEST_F(MajordomoConfigTest, ASavedReplyMailBecomesAFileReadyToSend) {
  MajordomoConfig config = LoadText(
      "From: Majordomo@lists.example.org\n"
      "Subject: Majordomo results: config dev\n"
      "\n"
      ">>>> config dev pw\n"
      "# The configuration\n"
      "Moderate = Yes\n"
      "restrict_post = dev-digest\n"
      "#[Last updated Mon Dec  7 10:00:00 2026]\n"
      ">>>> end\n"
      "trailing text\n");
  EXPECT_TRUE(config.value("moderate").present);
  config.value("restrict_post").text = "dev";
  EXPECT_EQ(SaveAndRead(config),
            "# The configuration\n"
            "Moderate = Yes\n"
            "restrict_post       =   dev\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1)
      << "no scratch file is left";
}

// A footer line that reads like the reply's marker is the list's own text: the configuration
// reads whole, and such a line is written so that no reply can hold it as a marker.
TEST_F(MajordomoConfigTest, AMarkerInsideABlockIsText) {
  const std::string reply =
      ">>>> config dev pw\n"
      "admin_passwd = secret\n"
      "message_footer << END\n"
      ">>>> config dev pw\n"
      "END\n"
      "strip = yes\n"
      "#[Last updated x]\n"
      ">>>> end\n";
  MajordomoConfig config = LoadText(reply);
  EXPECT_EQ(config.value("admin_passwd").text, "secret");
  EXPECT_TRUE(config.value("strip").present);
  config.value("message_footer").text = ">>>> end\r\n";
  const std::string saved = SaveAndRead(config);
  EXPECT_NE(saved.find("\n- >>>> end\nEND\n"), std::string::npos) << saved;
  MajordomoConfig again = LoadText(saved);
  EXPECT_EQ(again.value("admin_passwd").text, "secret");
  EXPECT_EQ(again.value("message_footer").text, " >>>> end\r\n");
  EXPECT_TRUE(again.value("strip").present);
}

// A reply to two config commands: the first configuration ends where the second one's marker
// starts, so the saved file holds no marker that would hide its own keys when read again.
TEST_F(MajordomoConfigTest, TheNextConfigMarkerEndsTheConfiguration) {
  MajordomoConfig config = LoadText(
      ">>>> config dev pw\n"
      "strip = yes\n"
      ">>>> config dev-digest pw\n"
      "moderate = no\n");
  EXPECT_TRUE(config.value("strip").present);
  EXPECT_FALSE(config.value("moderate").present) << "another list's configuration";
  config.value("strip").yesNo = 1;
  EXPECT_EQ(SaveAndRead(config), "strip               =   no\n");
  MajordomoConfig again;
  ASSERT_TRUE(again.Load(file_));
  EXPECT_EQ(again.value("strip").yesNo, 1);
}

TEST_F(MajordomoConfigTest, LastUpdatedWithoutEndIsCopied) {
  const std::string text = "#[Last updated x]\nstrip = yes\n>>>> end\n";
  EXPECT_EQ(SaveAndRead(LoadText(text)), text);
}

// A number that can't be held is never written back changed.
TEST_F(MajordomoConfigTest, NumbersOutOfRangeStayAsTheyAre) {
  MajordomoConfig config = LoadText("maxlength = 2147483648\ndigest_issue = +-5\nstrip = yes\n");
  EXPECT_EQ(config.value("maxlength").number, 0);
  EXPECT_EQ(config.value("digest_issue").number, 0);
  config.value("strip").yesNo = 1;
  EXPECT_EQ(SaveAndRead(config),
            "maxlength = 2147483648\ndigest_issue = +-5\nstrip               =   no\n");
}

TEST_F(MajordomoConfigTest, AnEmptyFileStaysEmpty) {
  EXPECT_EQ(SaveAndRead(LoadText("")), "");
}

// Whatever stands beside the file, the save writes the file and nothing else: a backup the user
// keeps stays, and a link planted where a scratch file might go is never followed.
TEST_F(MajordomoConfigTest, ASaveTouchesNothingButTheFile) {
  WriteFile(dir_ / "mylist.bak", "the user's own backup\n");
  WriteFile(dir_ / "victim", "not a configuration\n");
  for (const char* name : {"mylist.bak.tmp", ".mylist.cf.tmp", "mylist.tmp"})
    fs::create_symlink(dir_ / "victim", dir_ / name);
  MajordomoConfig config = LoadText("strip = yes\n");
  config.value("strip").yesNo = 1;
  EXPECT_EQ(SaveAndRead(config), "strip               =   no\n");
  EXPECT_EQ(ReadFile(dir_ / "mylist.bak"), "the user's own backup\n");
  EXPECT_EQ(ReadFile(dir_ / "victim"), "not a configuration\n");
  EXPECT_FALSE(fs::is_symlink(file_));
}

// A configuration kept elsewhere and linked to: the file it names gets the new text, the link
// stays a link.
TEST_F(MajordomoConfigTest, ASaveWritesThroughALink) {
  fs::create_directories(dir_ / "real");
  WriteFile(dir_ / "real" / "list.cf", "strip = yes\n");
  chmod((dir_ / "real" / "list.cf").c_str(), 0640);
  fs::create_symlink(dir_ / "real" / "list.cf", file_);
  MajordomoConfig config;
  ASSERT_TRUE(config.Load(file_));
  config.value("strip").yesNo = 1;
  int error = -1;
  EXPECT_EQ(config.Save(error), ConfigSave::Saved);
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_EQ(ReadFile(dir_ / "real" / "list.cf"), "strip               =   no\n");
  struct stat info {};
  stat((dir_ / "real" / "list.cf").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(MajordomoConfigTest, AFailedSaveLeavesTheFileAsItWas) {
  MajordomoConfig config = LoadText("admin_passwd = secret\n");
  chmod(file_.c_str(), 0600);
  config.value("admin_passwd").text = std::string(100000, 'x');
  int error = 0;
  const ConfigSave result = [&] {
    const testing::FileSizeLimit full(4096);
    return config.Save(error);
  }();
  EXPECT_EQ(result, ConfigSave::Failed);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(ReadFile(file_), "admin_passwd = secret\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);

  config.value("admin_passwd").text = "changed";
  EXPECT_EQ(SaveAndRead(config), "admin_passwd        =   changed\n");
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
