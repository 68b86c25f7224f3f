#include <gtest/gtest.h>

#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "scratch_space.h"

namespace platform {
namespace {

TEST(IniFile, ReadsValuesWithoutRegardToCaseOrBlanks) {
  const IniFile file = IniFile::parse("top=1\r\n[ScriptForm]\r\n Width = 640 \r\nheight=480\r\n[Other]\nWidth=3\n");
  EXPECT_EQ(file.value("scriptform", "WIDTH"), "640");
  EXPECT_EQ(file.value("ScriptForm", "Height"), "480");
  EXPECT_EQ(file.value("Other", "Width"), "3");
  EXPECT_EQ(file.value("", "top"), "1");
  EXPECT_EQ(file.value("ScriptForm", "Depth"), std::nullopt);
  EXPECT_EQ(file.value("Missing", "Width"), std::nullopt);
}

TEST(IniFile, SettingChangesOnlyThatValueAndKeepsEverythingElse) {
  IniFile file = IniFile::parse("; settings\n[ScriptForm]\nWidth=1\nstray text\n\n[Other]\nKey=v\n");
  file.set("SCRIPTFORM", "width", "640");
  file.set("ScriptForm", "Height", "480");
  file.set("New", "A", "b");
  EXPECT_EQ(file.text(), "; settings\n[ScriptForm]\nWidth=640\nstray text\n\nHeight=480\n[Other]\nKey=v\n[New]\nA=b\n");
  EXPECT_EQ(IniFile::parse(file.text()).text(), file.text());
}

TEST(IniFile, MalformedTextNeverBreaksReading) {
  const IniFile file = IniFile::parse("[unclosed\n=novalue\n[]\n\x01\x02garbage\n[S]\nK=a=b");
  EXPECT_EQ(file.value("S", "K"), "a=b");
  EXPECT_EQ(file.value("", ""), std::nullopt);
}

TEST(IniFile, LoadsNothingFromAMissingFileAndSavesAtomically) {
  test::ScratchFolder folder;
  const std::string path = folder / "plugin.ini";
  IniFile file = IniFile::load(path);
  EXPECT_EQ(file.value("ScriptForm", "Width"), std::nullopt);
  file.set("ScriptForm", "Width", "500");
  file.save(path);
  EXPECT_EQ(IniFile::load(path).value("ScriptForm", "Width"), "500");
  EXPECT_EQ(test::file_text(path), "[ScriptForm]\nWidth=500\n");

  std::filesystem::create_directory(folder / "dir.ini");
  EXPECT_THROW(IniFile::load(folder / "dir.ini"), FileRefused);
}

}  // namespace
}  // namespace platform
