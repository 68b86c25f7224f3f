// The editor requests against the real host: payloads, the line break
// conversions byte by byte under both code pages, the caret moved in one
// coordinate, and short or refused requests that change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <ztl/request_codes.h>

#include "real_host.h"

namespace {

using platform::codepage::CodePage;
using request_test::Bytes;
using request_test::Text;
using request_test::W;
using request_test::Words;

// The host's status for a line it took, relayed as it is.
const W kDone{ZTL_TRUE};

class EditorRequestTest : public request_test::RealHostTest {
 protected:
  // Shows a new document of task A holding text in the editor.
  void Open(const std::string& text) {
    doc = ZTLPlugin_AddDescription(A);
    ASSERT_EQ(ZTLPlugin_SetDescriptionStr(doc, text.c_str()), ZTL_TRUE);
    ASSERT_EQ(ZTLPlugin_SetCurrentDescription(doc), ZTL_TRUE);
  }
  std::string DocText() const { return Host().store().document(doc)->data.text; }
  std::string Line(std::int32_t index) { return RequestText(ZTL_REQ_EDIT_LINE_GET, 0, Words({index})); }
  W Select(std::int32_t start, std::int32_t length) {
    return {RequestWords(ZTL_REQ_EDIT_SEL_START_SET, 0, Words({start})).at(0),
            RequestWords(ZTL_REQ_EDIT_SEL_LENGTH_SET, 0, Words({length})).at(0)};
  }
  W Caret() { return {RequestWords(ZTL_REQ_EDIT_ROW_GET, 0).at(0), RequestWords(ZTL_REQ_EDIT_COL_GET, 0).at(0)}; }
  static std::string Reply(std::string_view text) { return std::string(text) + '\0'; }

  zentrella::Handle doc = 0;
};

TEST_F(EditorRequestTest, ReadTextsLoseTheirCarriageReturnsOnly) {
  Open("x\r\ny\rz\r\n");
  EXPECT_EQ(RequestText(ZTL_REQ_EDIT_SEL_TEXT_GET, 0), Reply(""));  // nothing selected
  EXPECT_EQ(Select(0, 8), (W{0, 0}));
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_LENGTH_GET, 0), W{8});
  EXPECT_EQ(RequestText(ZTL_REQ_EDIT_SEL_TEXT_GET, 0), Reply("x\nyz\n"));
  EXPECT_EQ(Line(0), Reply("x"));
  EXPECT_EQ(Line(1), Reply("y"));  // a lone CR ends a line in the host too
  EXPECT_EQ(Line(7), Reply(""));
  EXPECT_EQ(Select(20, 0), (W{-1, 0}));  // the host's refusal goes back unchanged
}

TEST_F(EditorRequestTest, WrittenTextsGetCrLfBreaks) {
  Open("");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"abc", "abc"}, {"abc\n", "abc\r\n"}, {"\n", "\r\n"}, {"", ""}, {"a\rb\r\n", "a\r\nb\r\n"}, {"a\n\n", "a\r\n\r\n"}};
  for (const auto& [sent, stored] : cases) {
    Open("<>");
    Select(1, 0);
    EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_TEXT_SET, 0, Text(sent)), W{1}) << sent;
    EXPECT_EQ(DocText(), "<" + stored + ">") << sent;
  }
  Open("<>");
  Select(1, 0);
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_TEXT_SET, 0, Bytes(std::string_view("a\nb\0c\n", 6))), W{1});  // up to the NUL
  EXPECT_EQ(DocText(), "<a\r\nb>");
}

TEST_F(EditorRequestTest, LineIndexComesFromTheHeaderValue) {
  Open("zero\r\none\r\ntwo");
  // The payload starts with bytes that would read as line 0 were it taken from there.
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 2, Text(std::string(4, '\x01'))), kDone);
  EXPECT_EQ(DocText(), "zero\r\none\r\n\x01\x01\x01\x01");
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 1, Text("a\nb")), kDone);
  EXPECT_EQ(DocText(), "zero\r\na\r\nb\r\n\x01\x01\x01\x01");
  EXPECT_EQ(Line(2), Reply("b"));
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINES_SIZE, 0), W{4});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 4, Text("end")), kDone);  // one past the last appends
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 9, Text("x")), W{0});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, static_cast<std::uint32_t>(-1), Text("x")), W{0});
  EXPECT_EQ(Line(4), Reply("end"));
}

TEST_F(EditorRequestTest, MovingTheCaretKeepsTheOtherCoordinate) {
  Open("first line\r\nsecond line\r\nthird");
  ZTLPlugin_EditSetCaretPos(1, 4);
  EXPECT_TRUE(Request(ZTL_REQ_EDIT_ROW_SET, 0, Words({2})).empty());
  EXPECT_EQ(Caret(), (W{2, 4}));
  EXPECT_TRUE(Request(ZTL_REQ_EDIT_COL_SET, 0, Words({1})).empty());
  EXPECT_EQ(Caret(), (W{2, 1}));
  EXPECT_TRUE(Request(ZTL_REQ_EDIT_ROW_SET, 0, Words({0})).empty());
  EXPECT_EQ(Caret(), (W{0, 1}));
  EXPECT_TRUE(Request(ZTL_REQ_EDIT_TOP_ROW_SET, 0, Words({1})).empty());
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_TOP_ROW_GET, 0), W{1});
}

TEST_F(EditorRequestTest, CountsAndTheHostsMappingsPassThrough) {
  Open(std::string(100, 'a') + "\r\n\xE3\x81\x82\xE3\x81\x84");
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINES_SIZE, 0), W{2});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_ROW_SIZE, 0), W{3});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LIST_SIZE, 0), W{3});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_COL_SIZE, 0), W{80});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_ROW_TO_LINES, 0, Words({1})), W{0});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_ROW_TO_LINES, 0, Words({2})), W{1});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_COL_TO_CHAR, 0, Words({2, 6})), W{2});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_COL_TO_CHAR, 0, Words({2, 4})), W{1});
}

TEST_F(EditorRequestTest, ShortPayloadsReachNoHostFunctionAndReportFailure) {
  Open("keep\r\nthis");
  Select(1, 2);
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_START_SET, 0, Bytes("\x03")), W{-1});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_LENGTH_SET, 0), W{-1});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_TEXT_SET, 0), W{0});  // not even a NUL: no text
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 0), W{0});
  EXPECT_TRUE(Request(ZTL_REQ_EDIT_ROW_SET, 0, Bytes(std::string_view("\x01\x00", 2))).empty());
  EXPECT_TRUE(Request(ZTL_REQ_EDIT_COL_SET, 0).empty());
  EXPECT_EQ(RequestText(ZTL_REQ_EDIT_LINE_GET, 0, Bytes("\x01")), Reply(""));
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_ROW_TO_LINES, 0), W{-1});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_COL_TO_CHAR, 0, Words({0})), W{-1});
  EXPECT_EQ(DocText(), "keep\r\nthis");
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_START_GET, 0), W{1});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_LENGTH_GET, 0), W{2});
}

TEST_F(EditorRequestTest, CodePage932TextsKeepEveryDoubleByteCharacterWhole) {
  platform::codepage::set_current(CodePage::cp932);
  // 0x95 0x5C and 0x83 0x5C end in a byte that is '\' on its own; 0x81 0x40 is the full-width space.
  Open("\x95\x5C\r\n\x83\x5C\x81\x40\rb");
  EXPECT_EQ(Line(0), Reply("\x95\x5C"));
  EXPECT_EQ(Line(1), Reply("\x83\x5C\x81\x40"));
  EXPECT_EQ(Select(0, 3), (W{0, 0}));  // the length ends inside CR LF: the selection takes the whole break
  EXPECT_EQ(RequestText(ZTL_REQ_EDIT_SEL_TEXT_GET, 0), Reply("\x95\x5C\n"));
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 0, Text("\x82\xA0\n\x82\xA2")), kDone);
  EXPECT_EQ(DocText(), "\x82\xA0\r\n\x82\xA2\r\n\x83\x5C\x81\x40\rb");
  EXPECT_EQ(Select(1, 0), (W{0, 0}));  // inside あ: moved to its start
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_START_GET, 0), W{0});
}

TEST_F(EditorRequestTest, AnIncompleteLastCharacterLeavesTheDocumentAsItWas) {
  platform::codepage::set_current(CodePage::cp932);
  Open("ab\r\ncd");
  // Stored, 0x82 would take the CR after it for its trail byte and eat the break.
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 0, Text("x\x82")), W{0});
  Select(0, 1);
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_TEXT_SET, 0, Text("\x82")), W{0});
  EXPECT_EQ(DocText(), "ab\r\ncd");
  platform::codepage::set_current(CodePage::utf8);
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 1, Text("\xE3\x81")), W{0});
  EXPECT_EQ(DocText(), "ab\r\ncd");
}

TEST_F(EditorRequestTest, WithoutADocumentTheEditorIsEmptyAndRefusesChanges) {
  EXPECT_EQ(RequestText(ZTL_REQ_EDIT_SEL_TEXT_GET, 0), Reply(""));
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_TEXT_SET, 0, Text("x")), W{0});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINE_SET, 0, Text("x")), W{0});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_SEL_START_SET, 0, Words({0})), W{-1});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_LINES_SIZE, 0), W{0});
  EXPECT_EQ(RequestWords(ZTL_REQ_EDIT_COL_SIZE, 0), W{0});
  EXPECT_EQ(Line(0), Reply(""));
}

}  // namespace
