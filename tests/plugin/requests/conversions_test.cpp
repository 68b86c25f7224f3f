// Date/time seconds, line breaks and the host record owners.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

#include <platform/codepage.h>

#include "requests/date_time.h"
#include "host_binding/host_records.h"
#include "requests/line_breaks.h"

using namespace scriptlink;
using platform::codepage::CodePage;

namespace {

TEST(DateTime, EpochAndBefore) {
  EXPECT_EQ(DateTimeToSeconds(0.0), 0);
  EXPECT_EQ(DateTimeToSeconds(kChannelEpoch), 0);
  EXPECT_EQ(DateTimeToSeconds(kChannelEpoch - 1.0 / 1440), 0);  // 08:59
  EXPECT_EQ(DateTimeToSeconds(kChannelEpoch + 1.0), 86400);
  EXPECT_EQ(SecondsToDateTime(0), 0.0);
  EXPECT_DOUBLE_EQ(SecondsToDateTime(86400), kChannelEpoch + 1.0);
}

TEST(DateTime, RoundsHalfSecondsToEven) {
  // 1/256 day is exactly 337.5 seconds.
  EXPECT_EQ(DateTimeToSeconds(kChannelEpoch + 1.0 / 256), 338);
  EXPECT_EQ(DateTimeToSeconds(kChannelEpoch + 3.0 / 256), 1012);
}

TEST(DateTime, WhatDoesNotFitIsClamped) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(DateTimeToSeconds(kChannelEpoch + 30000.0), kMax);  // the year 2052
  EXPECT_EQ(DateTimeToSeconds(1e300), kMax);
  EXPECT_EQ(DateTimeToSeconds(std::numeric_limits<double>::infinity()), kMax);
  EXPECT_EQ(DateTimeToSeconds(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(DateTimeToSeconds(std::nan("")), 0);
  EXPECT_EQ(DateTimeToSeconds(-1e300), 0);
}

TEST(DateTime, RoundTripForASpreadOfSeconds) {
  for (std::int64_t n = 1; n <= std::numeric_limits<std::int32_t>::max(); n = n * 3 + 1) {
    const auto seconds = static_cast<std::int32_t>(n);
    EXPECT_EQ(DateTimeToSeconds(SecondsToDateTime(seconds)), seconds);
  }
  for (std::int32_t n : {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max() - 1,
                         1700000000, 86399})
    EXPECT_EQ(DateTimeToSeconds(SecondsToDateTime(n)), n);
  EXPECT_EQ(DateTimeToSeconds(SecondsToDateTime(-5)), 0);  // before the epoch: no time
}

class LineBreaks : public ::testing::TestWithParam<CodePage> {
 protected:
  void SetUp() override { platform::codepage::set_current(GetParam()); }
  void TearDown() override { platform::codepage::set_current(CodePage::utf8); }
};

TEST_P(LineBreaks, StripCarriageReturns) {
  EXPECT_EQ(StripCarriageReturns("a\r\nb\rc\n"), "a\nbc\n");
  EXPECT_EQ(StripCarriageReturns(""), "");
  EXPECT_EQ(StripCarriageReturns("\r\r"), "");
}

TEST_P(LineBreaks, NormalizeLineBreaks) {
  EXPECT_EQ(NormalizeLineBreaks("a\nb"), "a\r\nb");
  EXPECT_EQ(NormalizeLineBreaks("a\rb\r\n"), "a\r\nb\r\n");
  EXPECT_EQ(NormalizeLineBreaks("a\n\n"), "a\r\n\r\n");
  EXPECT_EQ(NormalizeLineBreaks("\n"), "\r\n");
  EXPECT_EQ(NormalizeLineBreaks("\r\r\n\n"), "\r\n\r\n\r\n");
  EXPECT_EQ(NormalizeLineBreaks(""), "");
  EXPECT_EQ(NormalizeLineBreaks(std::string_view("x\ny\0z\n", 6)), "x\r\ny");  // the text ends at its NUL
}

INSTANTIATE_TEST_SUITE_P(CodePages, LineBreaks, ::testing::Values(CodePage::utf8, CodePage::cp932));

class LineBreaks932 : public ::testing::Test {
 protected:
  void SetUp() override { platform::codepage::set_current(CodePage::cp932); }
  void TearDown() override { platform::codepage::set_current(CodePage::utf8); }
};

TEST_F(LineBreaks932, SecondByteOfADoubleByteCharacterIsNeverABreak) {
  // 0x81 0x0D is one character; 0x0D right after it is a break again.
  EXPECT_EQ(StripCarriageReturns("\x81\r\r\n"), "\x81\r\n");
  EXPECT_EQ(StripCarriageReturns("\xE0\r"), "\xE0\r");
  EXPECT_EQ(StripCarriageReturns("\x81"), "\x81");  // a lone lead byte at the end
  // A final LF that is the trail byte does not count as a final break.
  EXPECT_EQ(NormalizeLineBreaks("\x81\x40\n"), "\x81\x40\r\n");
  EXPECT_EQ(NormalizeLineBreaks("a\x81\n"), "a\x81");
}

// Long texts take the block-wise path: every mix of lines, blank lines, lone
// CRs, runs of CRs and line lengths around the block size must come out as
// a byte-by-byte removal of the CRs would leave it.
TEST(LineBreaksUtf8, LongTextsLoseEveryCarriageReturnAndNothingElse) {
  platform::codepage::set_current(CodePage::utf8);
  std::mt19937 random(20261208);
  const char alphabet[] = {'a', 'b', '\r', '\n', '\r', 'z', '\xE3', '\x81'};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const std::size_t length = random() % 3000;
    const unsigned crowding = 1 + random() % 64;  // how often a break byte comes
    while (text.size() < length) {
      text += random() % crowding == 0 ? alphabet[2 + random() % 3] : alphabet[random() % 8];
    }
    std::string expected;
    for (char c : text) {
      if (c != '\r') expected += c;
    }
    ASSERT_EQ(StripCarriageReturns(text), expected) << "round " << round;
  }
  std::string lines;
  for (int i = 0; i < 1000; ++i) lines += std::string(static_cast<std::size_t>(i % 70), 'x') + "\r\n";
  std::string expected = lines;
  expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
  EXPECT_EQ(StripCarriageReturns(lines), expected);
}

// Long texts take the block-wise path: every mix of CR LF, lone CRs and lone
// LFs, on both sides of every block's edges, must come out as a break-by-
// break conversion would make it.
TEST(LineBreaksUtf8, LongTextsGetCrLfForEveryKindOfBreak) {
  platform::codepage::set_current(CodePage::utf8);
  const auto reference = [](const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        out += "\r\n";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        out += text[i];
      }
    }
    return out;
  };
  std::mt19937 random(8122026);
  const char breaks[] = {'\r', '\n', '\r', '\n', '\r'};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const std::size_t length = random() % 2000;
    const unsigned crowding = 1 + random() % 40;
    while (text.size() < length) {
      if (random() % crowding == 0) {
        text += breaks[random() % 5];
      } else {
        text += static_cast<char>('a' + random() % 26);
      }
    }
    if (round % 5 == 0 && !text.empty()) text[random() % text.size()] = '\0';  // the text ends there
    ASSERT_EQ(NormalizeLineBreaks(text), reference(text.substr(0, text.find('\0')))) << "round " << round;
  }
}

// Stripped a part at a time, as a reply goes out: the front is final at each
// step, and the length announced first is the length reached at the end.
TEST(LineBreaksUtf8, StrippingInStepsGivesTheFrontAsTheWholeStripWould) {
  platform::codepage::set_current(CodePage::utf8);
  std::string text;
  for (int i = 0; i < 3000; ++i) text += std::string(static_cast<std::size_t>(i % 41), 'q') + (i % 7 == 0 ? "\r\r\n" : "\r\n");
  std::string expected = text;
  expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
  std::string work = text;
  CarriageReturnStripper stripper(work.data(), work.size());
  ASSERT_EQ(stripper.kept_length(), expected.size());
  for (std::size_t end = 100; end < expected.size() + 8172; end += 8172) {
    stripper.StripTo(std::min(end, expected.size()));
    const std::size_t front = std::min(end, expected.size());
    ASSERT_GE(stripper.stripped(), front);
    ASSERT_EQ(work.substr(0, front), expected.substr(0, front)) << "up to " << end;
  }
  EXPECT_EQ(stripper.stripped(), expected.size());
}

TEST(LineBreaksUtf8, LeadBytesOf932AreOrdinaryBytes) {
  platform::codepage::set_current(CodePage::utf8);
  EXPECT_EQ(StripCarriageReturns("\x81\r\n"), "\x81\n");
  EXPECT_EQ(NormalizeLineBreaks("a\x81\n"), "a\x81\r\n");
}

// Host records go back exactly once, also when something throws.
int item_info_releases = 0;
int alarm_releases = 0;
int null_alarm_releases = 0;
ZtlItemInfo info_record{};
ZtlAlarmInfo alarm_record{};

TEST(HostRecords, GivenBackOnceAlsoWhenSomethingThrows) {
  item_info_releases = 0;
  auto release = [](ZtlItemInfo* info) {
    if (info == &info_record) ++item_info_releases;
  };
  try {
    ItemInfoRecord record(&info_record, release);
    ItemInfoRecord moved = std::move(record);
    throw std::runtime_error("fail");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(item_info_releases, 1);
  {
    ItemInfoRecord record(&info_record, release);
    record.reset();
    record.reset();
  }
  EXPECT_EQ(item_info_releases, 2);
  { ItemInfoRecord none(nullptr, release); }
  EXPECT_EQ(item_info_releases, 2);
}

TEST(HostRecords, AlarmIsReleasedAlsoWhenNull) {
  alarm_releases = null_alarm_releases = 0;
  auto release = [](ZtlAlarmInfo* alarm) { ++(alarm == nullptr ? null_alarm_releases : alarm_releases); };
  { AlarmRecord none(nullptr, release); }
  { AlarmRecord some(&alarm_record, release); }
  EXPECT_EQ(null_alarm_releases, 1);
  EXPECT_EQ(alarm_releases, 1);
}

TEST(HostRecords, ItemEntriesStopAtTheTerminator) {
  static ZtlHandle list[] = {4, 5, 0, 9};
  static int released = 0;
  {
    ItemEntries entries(list, [](ZtlHandle* entries) { released += entries == list; });
    ASSERT_EQ(entries.entries().size(), 2u);
    EXPECT_EQ(entries.first(), 4u);
  }
  EXPECT_EQ(released, 1);
  ItemEntries none(nullptr, [](ZtlHandle*) { ++released; });
  EXPECT_TRUE(none.entries().empty());
  EXPECT_EQ(none.first(), 0u);
}

}  // namespace
