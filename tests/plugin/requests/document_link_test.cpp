// The document and file-link requests against the real host: lists and
// deleting by position, record fields cut on whole characters, the text's
// line breaks byte by byte, the address test, focus and opening a link.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <ztl/request_codes.h>

#include "real_host.h"
#include "requests/families/document_link.h"

namespace {

using platform::codepage::CodePage;
using request_test::Text;
using request_test::W;
using request_test::Words;

class DocumentLinkTest : public request_test::RealHostTest {
 protected:
  zentrella::DocumentData& Document(zentrella::Handle handle) { return Host().store().document(handle)->data; }
  zentrella::FileLinkData& Link(zentrella::Handle handle) { return Host().store().link(handle)->data; }
  std::vector<zentrella::Handle> Documents(zentrella::Handle item) { return Host().store().item(item)->documents; }
  std::vector<zentrella::Handle> Links(zentrella::Handle item) { return Host().store().item(item)->links; }
  zentrella::Handle AddDocument(zentrella::Handle item) { return ZTLPlugin_AddDescription(item); }
  zentrella::Handle AddLink(zentrella::Handle item) { return ZTLPlugin_AddLinkedFile(item); }
  W Ask(std::uint32_t code, zentrella::Handle handle, const std::vector<std::uint8_t>& payload = {}) {
    return RequestWords(code, handle, payload);
  }
  static std::string Reply(std::string_view text) { return std::string(text) + '\0'; }
  const scriptlink::HostApi no_host_{};  // every function null: a call would crash
};

TEST_F(DocumentLinkTest, HandleZeroAnswersItsDefaultWithoutAskingTheHost) {
  env.host = &no_host_;
  for (std::uint32_t code : {36u, 37u, 39u, 41u, 43u, 45u, 46u, 48u, 49u, 50u, 53u, 54u, 55u, 57u, 59u, 61u, 63u,
                             65u, 66u, 67u, 68u, 69u})
    EXPECT_EQ(Ask(code, 0, Text("x")), W{0}) << code;
  for (std::uint32_t code : {38u, 56u}) EXPECT_EQ(Ask(code, 0, Words({0})), W{0}) << code;
  for (std::uint32_t code : {40u, 42u, 44u, 47u, 58u, 60u, 62u, 64u})
    EXPECT_EQ(RequestText(code, 0), Reply("")) << code;
}

TEST_F(DocumentLinkTest, ListsAddAndInsertInTheHostsOrder) {
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DOCUMENTS, A), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_FILELINKS, A), W{0});
  const W first = Ask(ZTL_REQ_ITEM_ADD_DOCUMENT, A);
  const W front = Ask(ZTL_REQ_ITEM_INSERT_DOCUMENT, A, Words({0}));
  ASSERT_EQ(first.size(), 1u);
  ASSERT_NE(first[0], 0);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DOCUMENTS, A), (W{front[0], first[0], 0}));
  const W link = Ask(ZTL_REQ_ITEM_ADD_FILELINK, A);
  const W other = Ask(ZTL_REQ_ITEM_INSERT_FILELINK, A, Words({5}));
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_FILELINKS, A), (W{link[0], other[0], 0}));
  DeleteForGood(B);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_ADD_DOCUMENT, B), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_FILELINKS, B), W{0});
}

TEST_F(DocumentLinkTest, DeletingByPositionKeepsTheLastEntry) {
  const zentrella::Handle one = AddDocument(A);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DELETE_DOCUMENT, A, Words({0})), W{0});
  EXPECT_EQ(Documents(A), std::vector<zentrella::Handle>{one});
  const zentrella::Handle two = AddDocument(A), three = AddDocument(A);
  for (std::int32_t outside : {3, -1, INT32_MAX}) EXPECT_EQ(Ask(ZTL_REQ_ITEM_DELETE_DOCUMENT, A, Words({outside})), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DELETE_DOCUMENT, A, Words({2})), W{1});
  EXPECT_EQ(Documents(A), (std::vector<zentrella::Handle>{one, two}));
  (void)three;
  const zentrella::Handle l1 = AddLink(A), l2 = AddLink(A);
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DELETE_FILELINK, A, Words({0})), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DELETE_FILELINK, A, Words({0})), W{0});
  EXPECT_EQ(Links(A), std::vector<zentrella::Handle>{l2});
  (void)l1;
  // A short payload reads as position 0, never past its end.
  EXPECT_EQ(Ask(ZTL_REQ_ITEM_DELETE_DOCUMENT, A, {0x01}), W{1});
  EXPECT_EQ(Documents(A), std::vector<zentrella::Handle>{two});
}

TEST_F(DocumentLinkTest, RecordFieldsChangeOneAtATimeCutOnWholeCharacters) {
  const zentrella::Handle doc = AddDocument(A);
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TITLE_SET, doc, Text("議事録")), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXTTYPE_SET, doc, Text("markdown")), W{1});
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TITLE_GET, doc), Reply("議事録"));
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TEXTTYPE_GET, doc), Reply("markdown"));
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXTLINK, doc), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_FILENAME_SET, doc, Text(std::string(300, 'n'))), W{1});
  EXPECT_EQ(Document(doc).file_name, std::string(260, 'n'));
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXTLINK, doc), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_FILENAME_SET, doc, Text("")), W{0 + 1});
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXTLINK, doc), W{0});
  EXPECT_EQ(Document(doc).title, "議事録");
  // 254 ASCII bytes and a three-byte character: the character does not fit 255.
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TITLE_SET, doc, Text(std::string(254, 'a') + "録")), W{1});
  EXPECT_EQ(Document(doc).title, std::string(254, 'a'));

  const zentrella::Handle link = AddLink(A);
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_FILENAME_SET, link, Text("/srv/plan.txt")), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_OPTION_SET, link, Text("-v")), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_WORKDIR_SET, link, Text(std::string(259, 'w') + "é")), W{1});
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_TITLE_SET, link, Text("計画")), W{1});
  EXPECT_EQ(Link(link), (zentrella::FileLinkData{"計画", "/srv/plan.txt", "-v", std::string(259, 'w')}));
  EXPECT_EQ(RequestText(ZTL_REQ_FILELINK_OPTION_GET, link), Reply("-v"));
  EXPECT_EQ(RequestText(ZTL_REQ_FILELINK_WORKDIR_GET, link), Reply(std::string(259, 'w')));
}

TEST_F(DocumentLinkTest, FieldsCutUnderCodePage932KeepWholeDoubleByteCharacters) {
  platform::codepage::set_current(CodePage::cp932);
  const zentrella::Handle doc = AddDocument(A), link = AddLink(A);
  // "ア" is 0x83 0x41; 127 of them are 254 bytes, the 128th does not fit 255.
  std::string katakana;
  for (int i = 0; i < 128; ++i) katakana += "\x83\x41";
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TITLE_SET, doc, Text("x" + katakana)), W{1});
  EXPECT_EQ(Document(doc).title, "x" + katakana.substr(0, 254));
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_OPTION_SET, link, Text("xy" + katakana + katakana)), W{1});
  EXPECT_EQ(Link(link).option, "xy" + (katakana + katakana).substr(0, 258));
}

TEST_F(DocumentLinkTest, TextLineBreaksConvertByteByByte) {
  const zentrella::Handle doc = AddDocument(A);
  Document(doc).text = "x\r\ny\rz\r\n";
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TEXT_GET, doc), Reply("x\nyz\n"));
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXT_SET, doc, Text("a\nb\rc\r\nd")), W{1});
  EXPECT_EQ(Document(doc).text, "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXT_SET, doc, Text("")), W{1});
  EXPECT_EQ(Document(doc).text, "");
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TEXT_GET, doc), Reply(""));
}

TEST_F(DocumentLinkTest, TextUnderCodePage932KeepsDoubleByteCharacters) {
  platform::codepage::set_current(CodePage::cp932);
  const zentrella::Handle doc = AddDocument(A);
  // "表" is 0x95 0x5C, "ソ" 0x83 0x5C: trail bytes that are backslashes.
  const std::string line = "\x95\x5c\x83\x5c";
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXT_SET, doc, Text(line + "\n" + line + "\r")), W{1});
  EXPECT_EQ(Document(doc).text, line + "\r\n" + line + "\r\n");
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TEXT_GET, doc), Reply(line + "\n" + line + "\n"));
}

TEST_F(DocumentLinkTest, LongTextsTravelWhole) {
  const zentrella::Handle doc = AddDocument(A);
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXT_SET, doc, Text(text)), W{1});
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TEXT_GET, doc), Reply(text));
}

TEST_F(DocumentLinkTest, StaleHandlesAnswerNone) {
  const zentrella::Handle doc = AddDocument(A), link = AddLink(A);
  Document(doc).text = "t";
  ASSERT_NE(ZTLPlugin_DeleteDescription(doc), 0);
  ASSERT_NE(ZTLPlugin_DeleteLinkedFile(link), 0);
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TITLE_GET, doc), Reply(""));
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TEXT_GET, doc), Reply(""));
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXT_SET, doc, Text("u")), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TITLE_SET, doc, Text("u")), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_DELETE, doc), W{0});
  EXPECT_EQ(RequestText(ZTL_REQ_FILELINK_FILENAME_GET, link), Reply(""));
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_URL, link), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_EXECUTE, link), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_DELETE, link), W{0});
}

TEST_F(DocumentLinkTest, AssignCopiesFromANonZeroSourceOnly) {
  const zentrella::Handle from = AddDocument(A), into = AddDocument(B);
  Document(from) = {"t", "", "plain", "body"};
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_ASSIGN, into, Words({0})), W{0});
  EXPECT_EQ(Document(into).text, "");
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_ASSIGN, into, Words({static_cast<std::int32_t>(from)})), W{1});
  EXPECT_EQ(Document(into), Document(from));
  const zentrella::Handle source = AddLink(A), target = AddLink(B);
  Link(source) = {"t", "/f", "o", "/w"};
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_ASSIGN, target, Words({0})), W{0});
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_ASSIGN, target, Words({static_cast<std::int32_t>(source)})), W{1});
  EXPECT_EQ(Link(target), Link(source));
}

TEST_F(DocumentLinkTest, SetFocusMovesToTheEditorEvenWhenRefused) {
  const zentrella::Handle doc = AddDocument(A);
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_SET_FOCUS, doc), W{1});
  EXPECT_EQ(Host().current_document(), doc);
  EXPECT_EQ(Host().active_control, ZTL_AC_EDIT);
  Host().active_control = ZTL_AC_TREEVIEW;
  ASSERT_NE(ZTLPlugin_DeleteDescription(doc), 0);
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_SET_FOCUS, doc), W{0});
  EXPECT_EQ(Host().active_control, ZTL_AC_EDIT);
}

TEST(AddressMarker, StandsAnywhereAndIsCaseSensitive) {
  using scriptlink::HoldsAddressMarker;
  for (const char* yes : {"http://x/a", "https://x", "ftp:/pub", "www.example.com", "see http:x", "dir/www.y"})
    EXPECT_TRUE(HoldsAddressMarker(yes)) << yes;
  for (const char* no : {"", "Http://x", "HTTPS://x", "WWW.x", "htt", "ftp", "www", "/srv/www/x", "/u/ht tp:"})
    EXPECT_FALSE(HoldsAddressMarker(no)) << no;
}

TEST_F(DocumentLinkTest, UrlAnswersFromTheLinksFileName) {
  const zentrella::Handle link = AddLink(A);
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_URL, link), W{0});
  Link(link).file_name = "notes at https://example.invalid/";
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_URL, link), W{1});
  Link(link).file_name = "Https://example.invalid/";
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_URL, link), W{0});
}

class ExecuteTest : public DocumentLinkTest {
 protected:
  void SetUp() override {
    DocumentLinkTest::SetUp();
    char pattern[] = "/tmp/ztl-exec-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ::setenv("ZTL_SHELL_OPEN_LOG", (folder_ + "/opened").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("ZTL_SHELL_OPEN_LOG");
    std::system(("rm -rf '" + folder_ + "'").c_str());
    DocumentLinkTest::TearDown();
  }
  std::string Opened() const {
    std::ifstream in(folder_ + "/opened");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::string folder_;
};

TEST_F(ExecuteTest, OpensTargetInItsFolderWithItsOptionUntouched) {
  const std::string name = folder_ + "/a;$(touch pwned)`id`|&>x 'q\".txt";
  std::ofstream(name) << "x";
  const zentrella::Handle link = AddLink(A);
  Link(link) = {"t", name, "--flag; rm -rf ~", folder_};
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_EXECUTE, link), W{1});
  EXPECT_EQ(Opened(), name + "\t" + folder_ + "\t--flag; rm -rf ~\n");
  Link(link) = {"t", "www.example.invalid", "", ""};
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_EXECUTE, link), W{1});
  EXPECT_EQ(Opened(), name + "\t" + folder_ + "\t--flag; rm -rf ~\nhttp://www.example.invalid\t\t\n");
}

TEST_F(ExecuteTest, NothingOpenableStartsNothing) {
  const zentrella::Handle link = AddLink(A);
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_EXECUTE, link), W{0});
  Link(link).file_name = folder_ + "/missing.txt";
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_EXECUTE, link), W{0});
  std::ofstream(folder_ + "/here.txt") << "x";
  Link(link) = {"", folder_ + "/here.txt", "", folder_ + "/no-such-folder"};
  EXPECT_EQ(Ask(ZTL_REQ_FILELINK_EXECUTE, link), W{0});
  EXPECT_EQ(Opened(), "");
}

TEST_F(ExecuteTest, ADocumentWithAFileNameIsThatFile) {
  const zentrella::Handle doc = AddDocument(A);
  const std::string file = folder_ + "/note.txt";
  Document(doc).file_name = file;
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TEXT_GET, doc), Reply(""));  // not made yet
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXT_SET, doc, Text("a\nb")), W{1});
  std::ifstream in(file);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_EQ(written.str(), "a\r\nb");
  std::ofstream(file) << "changed\r\nelsewhere";
  EXPECT_EQ(RequestText(ZTL_REQ_DOCUMENT_TEXT_GET, doc), Reply("changed\nelsewhere"));
}

TEST_F(ExecuteTest, AnUnreadableOrUnwritableFileIsAnErrorAndKeepsTheText) {
  const zentrella::Handle doc = AddDocument(A);
  Document(doc).text = "old";
  Document(doc).file_name = folder_;  // a folder: neither read nor replaced
  EXPECT_TRUE(Request(ZTL_REQ_DOCUMENT_TEXT_GET, doc).empty());
  EXPECT_EQ(Ask(ZTL_REQ_DOCUMENT_TEXT_SET, doc, Text("new")), W{0});
  EXPECT_EQ(Document(doc).text, "old");
}

}  // namespace
