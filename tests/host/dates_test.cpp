// The date scale: encoding, decoding and the text form of project files.
#include "host_fixture.h"
#include "model/date_scale.h"

namespace zentrella::testing {
namespace {

TEST(DateScale, EncodesKnownDaysAndRefusesImpossibleOnes) {
  double value = -1.0;
  ASSERT_EQ(ZTLPlugin_EncodeDate(1899, 12, 30, &value), ZTL_TRUE);
  EXPECT_EQ(value, 0.0);
  ASSERT_EQ(ZTLPlugin_EncodeDate(1970, 1, 1, &value), ZTL_TRUE);
  EXPECT_EQ(value, 25569.0);
  ASSERT_EQ(ZTLPlugin_EncodeDate(2024, 2, 29, &value), ZTL_TRUE);
  EXPECT_EQ(value, 45351.0);
  EXPECT_EQ(ZTLPlugin_EncodeDate(2023, 2, 29, &value), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_EncodeDate(2024, 13, 1, &value), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_EncodeTime(24, 0, 0, 0, &value), ZTL_FALSE);
  ASSERT_EQ(ZTLPlugin_EncodeTime(9, 0, 0, 0, &value), ZTL_TRUE);
  EXPECT_EQ(value, 0.375);
}

TEST(DateScale, DecodeInvertsEncodeIncludingMilliseconds) {
  const double value = *encode_date(2038, 1, 19) + *encode_time(3, 14, 7, 999);
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  ZTLPlugin_DecodeDate(&value, &y, &mo, &d);
  ZTLPlugin_DecodeTime(&value, &h, &mi, &s, &ms);
  EXPECT_EQ(std::vector<int>({y, mo, d, h, mi, s, ms}), std::vector<int>({2038, 1, 19, 3, 14, 7, 999}));
  // 23:59:59.9996 rounds into the next day, not to "24:00".
  const CivilDateTime late = decode(*encode_date(2024, 12, 31) + 0.999999995);
  EXPECT_EQ(late.year, 2025);
  EXPECT_EQ(late.hour, 0);
}

TEST(DateScale, TextFormRoundTripsAndRejectsNonsense) {
  for (const char* text : {"2024-05-01T10:30:00", "1899-12-30T00:00:00", "2024-05-01T10:30:00.250",
                           "1850-06-01T18:00:00"}) {
    const auto value = parse_date_time(text);
    ASSERT_TRUE(value) << text;
    EXPECT_EQ(format_date_time(*value), text);
  }
  EXPECT_EQ(parse_date_time("2024-05-01"), encode_date(2024, 5, 1));
  EXPECT_TRUE(parse_date_time("2024-05-01 10:30"));
  for (const char* bad : {"", "2024-5-1", "2024-02-30", "2024-05-01T25:00", "2024-05-01T10:30x", "yesterday"}) {
    EXPECT_FALSE(parse_date_time(bad)) << bad;
  }
}

}  // namespace
}  // namespace zentrella::testing
