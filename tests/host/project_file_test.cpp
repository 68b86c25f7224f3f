// Project files: the sample round trip, and broken files that are reported
// with their name, position and reason and never written.
#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <sys/stat.h>

#include <platform/atomic_file.h>

#include "host_fixture.h"
#include "storage/project_file.h"
#include "storage/session_files.h"

namespace zentrella::testing {
namespace {

namespace fs = std::filesystem;

class ProjectFileTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    folder = fs::temp_directory_path() / ("zentrella-test-" + std::to_string(::getpid()) + "-" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
  }
  void TearDown() override {
    fs::remove_all(folder);
    HostTest::TearDown();
  }
  std::string write(const std::string& name, const std::string& text) {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  // Loads the file and returns the error text; fails the test when it loads.
  std::string error_of(const std::string& text) {
    const std::string path = write("broken.json", text);
    try {
      load_projects(path);
    } catch (const ProjectFileError& error) {
      EXPECT_EQ(*platform::read_whole_file(path), text);
      return error.what();
    }
    ADD_FAILURE() << "loaded: " << text;
    return {};
  }
  fs::path folder;
};

TEST_F(ProjectFileTest, SampleSurvivesSaveAndLoad) {
  const std::vector<ItemTree> sample = load_projects(ZENTRELLA_SAMPLE);
  ASSERT_EQ(sample.size(), 2u);
  const ItemTree& task = sample[0].children[0].children[0];
  EXPECT_EQ(task.documents.size(), 2u);
  EXPECT_NE(task.documents[0].text.find("\r\n"), std::string::npos);
  EXPECT_EQ(task.links.size(), 2u);
  EXPECT_EQ(task.categories.size(), 2u);
  EXPECT_TRUE(task.fields.alarm.enabled);
  EXPECT_NE(task.fields.dates.due, 0.0);
  EXPECT_TRUE(sample[0].options.relative_path);
  EXPECT_FALSE(sample[1].options.add_item_to_bottom);

  const std::string path = (folder / "copy.json").string();
  save_projects(path, sample);
  EXPECT_EQ(load_projects(path), sample);
}

TEST_F(ProjectFileTest, SessionSavesOnlyChangedFilesWithEverythingInThem) {
  const std::string first = write("first.json", *platform::read_whole_file(ZENTRELLA_SAMPLE));
  const std::string untouched = write("second.json", *platform::read_whole_file(ZENTRELLA_SAMPLE));
  open_project_file(session(), first);
  open_project_file(session(), untouched);
  const Handle work = session().loaded_projects().at(1);  // the first project of first.json
  ZTLPlugin_AddItem(work, ZTL_ITEM_TASK);
  ZTLPlugin_DeleteItem(session().loaded_projects().at(2), -1);  // the second project of first.json, to the bin
  save_dirty_files(session());

  EXPECT_EQ(*platform::read_whole_file(untouched), *platform::read_whole_file(ZENTRELLA_SAMPLE));
  const std::vector<ItemTree> saved = load_projects(first);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].children.size(), 3u);
  EXPECT_TRUE(session().dirty_files().empty());
}

TEST_F(ProjectFileTest, AFileNamedTwiceIsOpenedOnceAndSavedWithoutDoubling) {
  const std::string file = write("one.json", *platform::read_whole_file(ZENTRELLA_SAMPLE));
  const std::string link = (folder / "link.json").string();
  fs::create_symlink(file, link);
  const std::string dotted = (folder / "." / "one.json").string();
  EXPECT_EQ(open_project_files(session(), {file, dotted, link, file}),
            (std::vector<std::string>{dotted, link, file}));
  const std::size_t sample_projects = load_projects(ZENTRELLA_SAMPLE).size();
  ASSERT_EQ(session().loaded_projects().size(), 1 + sample_projects);  // the recycle bin comes first
  ZTLPlugin_AddItem(session().loaded_projects().at(1), ZTL_ITEM_TASK);
  save_dirty_files(session());
  EXPECT_EQ(load_projects(file).size(), sample_projects);
  EXPECT_TRUE(fs::is_symlink(link));
}

using Options = std::array<std::int32_t, 5>;

Options options_of(Handle item) {
  Options slots{9, 9, 9, 9, 9};
  ZTLPlugin_GetProjectOption(item, &slots[0], &slots[1], &slots[2], &slots[3], &slots[4]);
  return slots;
}

TEST_F(ProjectFileTest, OptionsAreSavedWithTheirProjectAndOlderFilesGetTheDefaults) {
  const std::string file = write("options.json", R"({"format":"zentrella-projects","version":1,"projects":[)"
                                                 R"({"kind":"project","title":"old","children":[{"kind":"task"}]},)"
                                                 R"({"kind":"project","title":"some","options":{"folder_behind":true}}]})");
  open_project_file(session(), file);
  const Handle old = session().loaded_projects().at(1);
  const Handle task = child(old, 0);
  EXPECT_EQ(options_of(task), (Options{0, 0, ZTL_TRUE, 0, 0}));
  EXPECT_EQ(options_of(session().loaded_projects().at(2)), (Options{0, 0, ZTL_TRUE, ZTL_TRUE, 0}));

  EXPECT_EQ(ZTLPlugin_SetProjectOption(task, 0, 0, 5, 0, 0), ZTL_TRUE);
  EXPECT_TRUE(session().dirty_files().empty()) << "the same options again are no change";
  EXPECT_EQ(ZTLPlugin_SetProjectOption(task, 1, 0, 0, 0, -3), ZTL_TRUE);
  EXPECT_EQ(session().dirty_files(), std::set<std::string>{file});
  save_dirty_files(session());

  reset_session();
  open_project_file(session(), file);
  EXPECT_EQ(options_of(child(session().loaded_projects().at(0), 0)), (Options{ZTL_TRUE, 0, 0, 0, ZTL_TRUE}));
  EXPECT_EQ(options_of(session().loaded_projects().at(1)), (Options{0, 0, ZTL_TRUE, ZTL_TRUE, 0}));
}

TEST_F(ProjectFileTest, BadJsonNamesLineAndColumn) {
  const std::string message = error_of("{\n  \"format\": \"zentrella-projects\",\n  \"version\": 1,,\n}");
  EXPECT_NE(message.find("broken.json:3:"), std::string::npos) << message;
  EXPECT_NE(message.find("syntax error"), std::string::npos) << message;
  EXPECT_NE(error_of("").find("broken.json:1:1:"), std::string::npos);
}

TEST_F(ProjectFileTest, WrongVersionAndWrongTypesAreRefusedWithTheirPlace) {
  const std::string head = R"({"format":"zentrella-projects","version":)";
  EXPECT_NE(error_of(head + R"(2,"projects":[]})").find("unsupported format version 2"), std::string::npos);
  EXPECT_NE(error_of(head + R"("1","projects":[]})").find("at version: expected an integer"), std::string::npos);
  EXPECT_NE(error_of(R"({"version":1,"projects":[]})").find("not a project file"), std::string::npos);
  EXPECT_NE(error_of(head + R"(1})").find("missing \"projects\""), std::string::npos);

  const std::string projects = head + R"(1,"projects":)";
  EXPECT_NE(error_of(projects + R"([{"kind":"project","title":5}]})").find("at projects[0].title: expected a string"),
            std::string::npos);
  EXPECT_NE(error_of(projects + R"([{"kind":"task"}]})").find("must be a project"), std::string::npos);
  EXPECT_NE(error_of(projects + R"([{"kind":"project","children":[{"kind":"thing"}]}]})")
                .find("at projects[0].children[0].kind: unknown kind \"thing\""),
            std::string::npos);
  EXPECT_NE(error_of(projects + R"([{"kind":"project","dates":{"due":"soon"}}]})").find("not a valid date"),
            std::string::npos);
  EXPECT_NE(error_of(projects + R"([{"kind":"project","progress":99999999999}]})").find("out of range"),
            std::string::npos);
  EXPECT_NE(error_of(projects + R"([{"kind":"project","alarm":{"unit":9}}]})").find("alarm unit"), std::string::npos);
  EXPECT_NE(error_of(projects + R"([{"kind":"project","documents":{}}]})").find("expected a list"), std::string::npos);
}

// Items nested depth levels below the project, the innermost holding inner.
std::string nested_items(std::size_t depth, const std::string& inner = "") {
  std::string text = R"({"format":"zentrella-projects","version":1,"projects":[{"kind":"project","children":[)";
  for (std::size_t i = 0; i < depth; ++i) text += R"({"kind":"task","children":[)";
  text += inner;
  for (std::size_t i = 0; i < depth; ++i) text += "]}";
  return text + "]}]}";
}

TEST_F(ProjectFileTest, NestingIsLimitedWithThePlaceWhereItGoesTooDeep) {
  // Two levels of JSON per item: the top object, the list and the project take
  // three, so the 255th item opens level 513.
  const std::string head = nested_items(0).substr(0, nested_items(0).size() - 4);
  const std::size_t column_of_item_255 = head.size() + 254 * std::string(R"({"kind":"task","children":[)").size() + 1;
  EXPECT_EQ(error_of(nested_items(255)),
            folder.string() + "/broken.json:1:" + std::to_string(column_of_item_255) + ": nesting deeper than 512 levels");
  // Deep enough to overflow the stack when nothing stops it.
  EXPECT_NE(error_of(nested_items(20000)).find("nesting deeper than 512 levels"), std::string::npos);

  // The deepest file that loads also saves and loads again.
  const std::string path = write("deep.json", nested_items(254));
  const std::vector<ItemTree> deep = load_projects(path);
  save_projects(path, deep);
  EXPECT_EQ(load_projects(path), deep);
}

TEST_F(ProjectFileTest, ASaveThatCouldNotBeReadBackIsRefusedAndTheOldFileStays) {
  const std::string path = write("deep.json", nested_items(1));
  const std::string before = *platform::read_whole_file(path);
  std::vector<ItemTree> projects = load_projects(path);
  ItemTree* innermost = &projects[0].children[0];
  for (int i = 0; i < 300; ++i) {  // the host's model has no depth limit of its own
    innermost->children.emplace_back();
    innermost = &innermost->children.back();
  }
  EXPECT_THROW(save_projects(path, projects), ProjectFileError);
  EXPECT_EQ(*platform::read_whole_file(path), before);
}

TEST_F(ProjectFileTest, DuplicateKeysAndHugeNumbersNameTheirPlace) {
  EXPECT_EQ(error_of("{\"format\":\"zentrella-projects\",\n  \"version\":1,\n  \"format\":\"x\"}"),
            folder.string() + "/broken.json:3:3: duplicate key \"format\"");
  // The same key in different objects is fine; an escaped spelling is the same key.
  EXPECT_EQ(error_of(nested_items(1, R"({"kind":"task","title":"a","t\u0069tle":"b"})")).substr(folder.string().size()),
            "/broken.json:1:140: duplicate key \"title\"");
  EXPECT_EQ(error_of("{\"format\":\"zentrella-projects\",\"version\":1,\n\"projects\":[{\"kind\":\"project\","
                     "\"progress\":1e400}]}"),
            folder.string() + "/broken.json:2:42: number out of range: 1e400");
}

TEST_F(ProjectFileTest, QuotedTextsInErrorsAreShortAndHarmless) {
  const std::string projects = R"({"format":"zentrella-projects","version":1,"projects":)";
  const std::string message =
      error_of(projects + R"([{"kind":"project","dates":{"due":"\u001b[2J)" + std::string(100000, 'x') + R"("}}]})");
  EXPECT_LT(message.size(), 200u) << message;
  EXPECT_NE(message.find("not a valid date: \"\\x1b[2Jxxx"), std::string::npos) << message;
  EXPECT_EQ(message.find('\x1b'), std::string::npos);
  EXPECT_LT(error_of(projects + "[\"" + std::string(100000, 'y')).size(), 400u);
}

TEST_F(ProjectFileTest, WhatIsNotARegularFileOrIsTooLargeIsRefusedAtOnce) {
  const std::string fifo = (folder / "fifo.json").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  try {
    load_projects(fifo);  // used to wait for a writer for ever
    ADD_FAILURE() << "a FIFO loaded";
  } catch (const ProjectFileError& error) {
    EXPECT_EQ(std::string(error.what()), fifo + " is a FIFO, not a regular file");
  }
  EXPECT_THROW(load_projects("/dev/zero"), ProjectFileError);  // used to read until memory ran out

  const std::string big = write("big.json", "");
  fs::resize_file(big, kMaxProjectFileBytes + 1);
  try {
    load_projects(big);
    ADD_FAILURE() << "an oversize file loaded";
  } catch (const ProjectFileError& error) {
    EXPECT_EQ(std::string(error.what()), big + " is larger than the limit of 64 MiB");
  }
}

}  // namespace
}  // namespace zentrella::testing
