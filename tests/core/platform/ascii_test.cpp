#include "core/platform/ascii.h"

#include <gtest/gtest.h>

#include <cctype>
#include <clocale>

namespace tarnwick {
namespace {

// Below 0x80 each class is <cctype>'s in the C locale; from 0x80 up no byte is in any class and
// none changes case, whatever the locale says of it.
TEST(Ascii, ClassesAreThoseOfTheCLocaleAndNoneHoldsAn8BitByte) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
  for (int byte = 0; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const bool ascii = byte < 0x80;
    EXPECT_EQ(IsAscii(c), ascii) << byte;
    EXPECT_EQ(IsAsciiDigit(c), ascii && std::isdigit(byte)) << byte;
    EXPECT_EQ(IsAsciiUpper(c), ascii && std::isupper(byte)) << byte;
    EXPECT_EQ(IsAsciiLower(c), ascii && std::islower(byte)) << byte;
    EXPECT_EQ(IsAsciiAlnum(c), ascii && std::isalnum(byte)) << byte;
    EXPECT_EQ(IsAsciiWordChar(c), ascii && (std::isalnum(byte) || byte == '_')) << byte;
    EXPECT_EQ(IsAsciiBlank(c), ascii && std::isblank(byte)) << byte;
    EXPECT_EQ(IsAsciiControl(c), ascii && std::iscntrl(byte)) << byte;
    EXPECT_EQ(IsAsciiPrintable(c), ascii && std::isprint(byte)) << byte;
    EXPECT_EQ(IsAsciiGraphic(c), ascii && std::isgraph(byte)) << byte;
    EXPECT_EQ(ToAsciiLower(c), ascii ? static_cast<char>(std::tolower(byte)) : c) << byte;
    EXPECT_EQ(ToAsciiUpper(c), ascii ? static_cast<char>(std::toupper(byte)) : c) << byte;
  }
  EXPECT_TRUE(IsAsciiText("From: a@example.jp\r\n"));
  EXPECT_FALSE(IsAsciiText("\x83\x41"));
}

}  // namespace
}  // namespace tarnwick
