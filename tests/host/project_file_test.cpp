// Project files: the sample round trip, and broken files that are reported
// with their name, position and reason and never written.
#include <filesystem>
#include <fstream>
#include <sstream>

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

}  // namespace
}  // namespace zentrella::testing
