#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace platform::codepage {
namespace {

class CodePageTest : public ::testing::Test {
 protected:
  ~CodePageTest() override { set_current(CodePage::utf8); }
};

TEST_F(CodePageTest, LeadBytesExistOnlyIn932) {
  for (int byte = 0; byte < 256; ++byte) {
    auto b = static_cast<std::uint8_t>(byte);
    EXPECT_FALSE(is_lead_byte(b, CodePage::utf8)) << byte;
    bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    EXPECT_EQ(is_lead_byte(b, CodePage::cp932), lead) << byte;
  }
  set_current(CodePage::cp932);
  EXPECT_TRUE(is_lead_byte(0x82));
  EXPECT_EQ(fullwidth_space(), "\x81\x40");
  set_current(CodePage::utf8);
  EXPECT_FALSE(is_lead_byte(0x82));
  EXPECT_EQ(fullwidth_space(), "\xE3\x80\x80");
}

TEST_F(CodePageTest, VariableSelectsThePage) {
  set_current(CodePage::cp932);
  EXPECT_STREQ(std::getenv(kCodePageVariable), "932");  // children follow
  EXPECT_EQ(current(), CodePage::cp932);
}

TEST_F(CodePageTest, ConvertsBothWaysIn932AndReplacesWhatCannotBe) {
  set_current(CodePage::cp932);
  const std::string sjis = "\x83\x65\x83\x58\x83\x67 abc";  // "テスト abc"
  const std::string utf8 = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88 abc";
  EXPECT_EQ(to_utf8(sjis), utf8);
  EXPECT_EQ(from_utf8(utf8), sjis);
  EXPECT_EQ(to_utf8("a\x83"), "a?");               // a lead byte cut off at the end
  EXPECT_EQ(to_utf8("\xA0z"), "?z");               // a byte that is no character
  EXPECT_EQ(from_utf8("x\xFFy"), "x?y");           // not UTF-8
  EXPECT_EQ(from_utf8("\xF0\x9F\x98\x80!"), "?!");  // no such character in 932

  set_current(CodePage::utf8);
  EXPECT_EQ(to_utf8(utf8), utf8);
}

}  // namespace
}  // namespace platform::codepage
