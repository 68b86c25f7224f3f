// The editor over the current document: lines, rows, selection and caret.
#include <stdexcept>

#include <platform/codepage.h>

#include "host_fixture.h"

namespace zentrella::testing {
namespace {

class EditorTest : public HostTest {
 protected:
  void open(const std::string& text) {
    doc = ZTLPlugin_AddDescription(A);
    ZTLPlugin_SetDescriptionStr(doc, text.c_str());
    ASSERT_EQ(ZTLPlugin_SetCurrentDescription(doc), ZTL_TRUE);
  }
  static std::string line(int index) {
    std::string buffer(static_cast<std::size_t>(ZTLPlugin_EditGetLinesStrSize(index)) + 1, '\0');
    buffer.resize(static_cast<std::size_t>(ZTLPlugin_EditGetLinesStr(index, buffer.data(), static_cast<int>(buffer.size()) - 1)));
    return buffer;
  }
  Handle doc = 0;
};

TEST_F(EditorTest, LinesFollowCrLfAndATrailingBreakAddsNoLine) {
  open("one\r\ntwo\r\n\r\nfour\r\n");
  EXPECT_EQ(ZTLPlugin_EditGetLinesCount(), 4);
  EXPECT_EQ(line(1), "two");
  EXPECT_EQ(line(2), "");
  EXPECT_EQ(line(4), "");
  EXPECT_EQ(ZTLPlugin_EditSetLinesStr(1, "TWO"), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_EditSetLinesStr(4, "five"), ZTL_TRUE);  // appends
  EXPECT_EQ(ZTLPlugin_EditSetLinesStr(9, "x"), ZTL_FALSE);
  EXPECT_EQ(session().store().document(doc)->data.text, "one\r\nTWO\r\n\r\nfour\r\nfive");
  EXPECT_EQ(ZTLPlugin_EditSetLinesStr(5, "six"), ZTL_TRUE);
  EXPECT_EQ(session().store().document(doc)->data.text, "one\r\nTWO\r\n\r\nfour\r\nfive\r\nsix");
}

TEST_F(EditorTest, RowsWrapAtTheColumnCountAndMapBackToLines) {
  open(std::string(170, 'a') + "\r\nb");
  EXPECT_EQ(ZTLPlugin_EditGetColCount(), 80);
  EXPECT_EQ(ZTLPlugin_EditGetRowCount(), 4);  // 80 + 80 + 10, then "b"
  EXPECT_EQ(ZTLPlugin_EditGetListCount(), 4);
  EXPECT_EQ(ZTLPlugin_EditGetListStrSize(2), 10);
  EXPECT_EQ(ZTLPlugin_EditRowToLines(2), 0);
  EXPECT_EQ(ZTLPlugin_EditRowToLines(3), 1);
  EXPECT_EQ(ZTLPlugin_EditRowToLines(4), -1);
}

TEST_F(EditorTest, TheEndAfterAFinalBreakIsARowOfItsOwn) {
  open("ab\r\n");
  ASSERT_EQ(ZTLPlugin_EditSetSelStart(4), 0);
  int row = -1, col = -1;
  ZTLPlugin_EditGetCaretPos(&row, &col);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(col, 0);
  EXPECT_EQ(ZTLPlugin_EditGetRowCount(), 2);
  EXPECT_EQ(ZTLPlugin_EditRowToLines(1), 1);
  ZTLPlugin_EditSetCaretPos(1, 0);  // the caret set where it was read stays there
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 4);
}

TEST_F(EditorTest, SelectionAndCaretMoveTogether) {
  open("hello world\r\nsecond line");
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(6), 0);
  EXPECT_EQ(ZTLPlugin_EditSetSelLength(5), 0);
  char text[16];
  EXPECT_EQ(ZTLPlugin_EditGetSelText(text, ZTLPlugin_EditGetSelLength()), 5);
  EXPECT_STREQ(text, "world");
  int row = -1, col = -1;
  ZTLPlugin_EditGetCaretPos(&row, &col);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(col, 11);
  EXPECT_EQ(ZTLPlugin_EditSetSelText("there"), ZTL_TRUE);
  EXPECT_EQ(line(0), "hello there");
  EXPECT_EQ(ZTLPlugin_EditGetSelLength(), 0);

  ZTLPlugin_EditSetCaretPos(1, 3);
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 13 + 3);
  ZTLPlugin_EditSetCaretPos(1, 500);  // clamped to the row's end
  ZTLPlugin_EditGetCaretPos(&row, &col);
  EXPECT_EQ(col, 11);
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(-1), -1);
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(1000), -1);
  EXPECT_EQ(ZTLPlugin_EditSetSelLength(1000), -1);
}

TEST_F(EditorTest, WordsTokensAndCharacterColumns) {
  open("  foo_bar(baz) \xE3\x81\x82\xE3\x81\x84 end");
  char word[32];
  EXPECT_EQ(ZTLPlugin_EditWordFromPosStr(0, 4, word, 31), 7);
  EXPECT_STREQ(word, "foo_bar");
  EXPECT_EQ(ZTLPlugin_EditTokenFromPos(0, 4), 12);  // "foo_bar(baz)"
  EXPECT_EQ(ZTLPlugin_EditWordFromPos(0, 0), 0);
  EXPECT_EQ(ZTLPlugin_EditColToChar(0, 21), 17);  // two 3-byte characters count once each
  ZTLPlugin_EditSetCaretPos(0, 16);
  EXPECT_EQ(ZTLPlugin_EditWordFromCaretStr(word, 31), 6);
  EXPECT_STREQ(word, "\xE3\x81\x82\xE3\x81\x84");
}

TEST_F(EditorTest, CodePage932KeepsDoubleByteCharactersWhole) {
  platform::codepage::set_current(platform::codepage::CodePage::cp932);
  // 0x82 0xA0 is one character; its trail byte is not a line break rule byte.
  open(std::string(79, 'a') + "\x82\xA0" + "b");
  EXPECT_EQ(ZTLPlugin_EditGetRowCount(), 2);
  EXPECT_EQ(ZTLPlugin_EditGetListStrSize(0), 79);
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(80), 0);  // the middle of the character
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 79);
  platform::codepage::set_current(platform::codepage::CodePage::utf8);
}

TEST_F(EditorTest, NoDocumentMeansAnEmptyEditor) {
  EXPECT_EQ(ZTLPlugin_EditGetLinesCount(), 0);
  EXPECT_EQ(ZTLPlugin_EditSetSelText("x"), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_EditGetColCount(), 0);
  char text[4] = "zz";
  EXPECT_EQ(ZTLPlugin_EditGetSelText(text, 3), 0);
  EXPECT_STREQ(text, "");
  ZTLPlugin_EditSetCaretPos(3, 3);
  ZTLPlugin_EditSetTopRow(5);
  int row = -1, col = -1, top = -1;
  ZTLPlugin_EditGetCaretPos(&row, &col);
  ZTLPlugin_EditGetTopRow(&top);
  EXPECT_EQ((std::vector<int>{row, col, top}), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(ZTLPlugin_EditSetLinesStr(0, "x"), ZTL_FALSE);
}

TEST_F(EditorTest, LinesAreFoundAgainAfterEveryChangeWhoeverMadeIt) {
  open("a\r\nb\r\nc");
  EXPECT_EQ(line(2), "c");
  EXPECT_EQ(ZTLPlugin_EditSetLinesStr(0, "x\r\ny"), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_EditGetLinesCount(), 4);
  EXPECT_EQ(line(3), "c");
  ZTLPlugin_SetDescriptionStr(doc, "four");  // the document's own API, behind the editor
  EXPECT_EQ(ZTLPlugin_EditGetLinesCount(), 1);
  EXPECT_EQ(line(0), "four");
  // Same size, same buffer: only the change's mark tells the editor.
  const Handle other = ZTLPlugin_AddDescription(B);
  ZTLPlugin_SetDescriptionStr(other, "t\r\nw");
  ASSERT_EQ(ZTLPlugin_AssignDescription(doc, other), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_EditGetLinesCount(), 2);
  EXPECT_EQ(line(1), "w");
}

TEST_F(EditorTest, ChangesMarkTheProjectAndAReadDoesNot) {
  open("text");
  session().store().item(P)->modified = false;
  line(0);
  ZTLPlugin_EditSetSelStart(2);
  EXPECT_FALSE(session().store().item(P)->modified);
  EXPECT_EQ(ZTLPlugin_EditSetSelText("--"), ZTL_TRUE);
  EXPECT_TRUE(session().store().item(P)->modified);
  EXPECT_EQ(session().store().document(doc)->data.text, "te--xt");
}

TEST_F(EditorTest, SelectionNeverSplitsACharacterOrACrLf) {
  open("\xE3\x81\x82" "b\r\nc");
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(2), 0);
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 0);
  EXPECT_EQ(ZTLPlugin_EditSetSelLength(1), 0);  // ends inside あ: takes all of it
  EXPECT_EQ(ZTLPlugin_EditGetSelLength(), 3);
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(5), 0);  // between CR and LF
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 4);
  EXPECT_EQ(ZTLPlugin_EditSetSelLength(1), 0);
  EXPECT_EQ(ZTLPlugin_EditGetSelLength(), 2);
  // A change elsewhere that leaves the old offset inside a character moves it back.
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(7), 0);  // the end
  EXPECT_EQ(ZTLPlugin_EditSetLinesStr(0, "\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88"), ZTL_TRUE);
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 6);  // 7 is inside う
  int row = -1, col = -1;
  ZTLPlugin_EditGetCaretPos(&row, &col);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(col, 6);
}

TEST_F(EditorTest, CodePage932SelectionAndCutTextsStayOnWholeCharacters) {
  platform::codepage::set_current(platform::codepage::CodePage::cp932);
  // 0x81 0x81 0x81 0x81 is two characters: the walk from the start tells the lead from the trail.
  open("a\x81\x81\x81\x81z");
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(4), 0);
  EXPECT_EQ(ZTLPlugin_EditGetSelStart(), 3);
  EXPECT_EQ(ZTLPlugin_EditSetSelLength(1), 0);
  EXPECT_EQ(ZTLPlugin_EditGetSelLength(), 2);
  EXPECT_EQ(ZTLPlugin_EditSetSelStart(0), 0);
  EXPECT_EQ(ZTLPlugin_EditSetSelLength(6), 0);
  char cut[8] = {};
  EXPECT_EQ(ZTLPlugin_EditGetSelText(cut, 4), 3);  // the buffer ends inside the second character
  EXPECT_STREQ(cut, "a\x81\x81");
  EXPECT_EQ(ZTLPlugin_EditGetLinesStr(0, cut, 2), 1);
  EXPECT_EQ(ZTLPlugin_EditColToChar(0, 4), 2);
  // A text ending in a lead byte would take the next byte for its trail: refused, nothing changed.
  EXPECT_EQ(ZTLPlugin_EditSetLinesStr(0, "b\x81"), ZTL_FALSE);
  EXPECT_EQ(ZTLPlugin_EditSetSelText("\x82"), ZTL_FALSE);
  EXPECT_EQ(session().store().document(doc)->data.text, "a\x81\x81\x81\x81z");
  platform::codepage::set_current(platform::codepage::CodePage::utf8);
}

// A change that fails on its way (here the project's mark) leaves the old
// text whole, and the selection where it was.
TEST(EditorChange, AFailureHalfwayLeavesTheOldText) {
  Store store;
  const Handle owner = store.create_item(ItemKind::task, 0).handle;
  Document& doc = store.create_document(owner);
  doc.data.text = "one\r\ntwo";
  Editor editor(store);
  editor.open(doc.handle);
  editor.on_change([](Handle) { throw std::runtime_error("no room to mark the project"); });
  EXPECT_THROW(editor.set_line(1, "TWO"), std::runtime_error);
  ASSERT_EQ(editor.set_sel_start(2), 0);
  EXPECT_THROW(editor.set_sel_text("x"), std::runtime_error);
  EXPECT_EQ(store.document(doc.handle)->data.text, "one\r\ntwo");
  EXPECT_EQ(editor.sel_start(), 2);
  EXPECT_EQ(editor.line(1), "two");
}

}  // namespace
}  // namespace zentrella::testing
