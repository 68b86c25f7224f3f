// The request trace: a line per request, a summary per code, and a name for
// every code the dispatch table serves.
#include "controller/request_trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <platform/error.h>
#include <ztl/payloads.h>

#include "requests/dispatch_table.h"

namespace scriptlink {
namespace {

namespace fs = std::filesystem;

std::string read_all(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(RequestTrace, EveryServedCodeHasItsOwnName) {
  std::set<std::string> names;
  for (const RequestEntry& entry : DispatchTable()) {
    ASSERT_NE(entry.name, nullptr) << entry.code;
    EXPECT_NE(std::string(entry.name), "") << entry.code;
    EXPECT_TRUE(names.insert(entry.name).second) << "two codes are called " << entry.name;
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(ZTL_REQUEST_CODE_COUNT));
}

TEST(RequestTrace, WritesALinePerRequestAndASummaryPerCode) {
  const fs::path file = fs::temp_directory_path() / ("ztl-trace-" + std::to_string(::getpid()));
  {
    RequestTrace trace(file);
    trace.Record({18, "ITEM_TITLE_GET", 7, 0, 12, std::chrono::nanoseconds(3'400)});
    trace.Record({19, "ITEM_TITLE_SET", 7, 5, 0, std::chrono::microseconds(10)});
    trace.Record({18, "ITEM_TITLE_GET", 9, 0, 20, std::chrono::nanoseconds(4'900)});
    // Requests well under a microsecond each still add up in the summary.
    for (int i = 0; i < 4; ++i) trace.Record({15, "ITEM_KIND", 9, 0, 4, std::chrono::nanoseconds(300)});
    // A line is in the file as soon as its request is served.
    EXPECT_NE(read_all(file).find("code 19 ITEM_TITLE_SET handle 7 payload 5 reply 0 us 10\n"), std::string::npos);
  }
  const std::string text = read_all(file);
  fs::remove(file);
  const std::regex line(R"(\d\d:\d\d:\d\d\.\d{6} code 18 ITEM_TITLE_GET handle 9 payload 0 reply 20 us 4\n)");
  EXPECT_TRUE(std::regex_search(text, line)) << text;
  const std::size_t summary = text.find("summary: code name count total_us mean_us\n");
  ASSERT_NE(summary, std::string::npos) << text;
  EXPECT_EQ(text.substr(summary + 42),
            "summary 15 ITEM_KIND count 4 total_us 1 mean_us 0.300\n"
            "summary 18 ITEM_TITLE_GET count 2 total_us 8 mean_us 4.150\n"
            "summary 19 ITEM_TITLE_SET count 1 total_us 10 mean_us 10.000\n");
}

TEST(RequestTrace, AFileThatCannotBeWrittenIsAnErrorNamingIt) {
  try {
    RequestTrace trace("/nonexistent-folder/trace.txt");
    FAIL() << "no error";
  } catch (const platform::SystemError& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent-folder/trace.txt"), std::string::npos);
  }
}

}  // namespace
}  // namespace scriptlink
