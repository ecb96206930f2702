#include "sim/state_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace sim {
namespace {

class StateFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pelliset-sim-state-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/printer.state";
  }
  void TearDown() override {
    std::remove(path_.c_str());
    std::remove((path_ + ".tmp").c_str());
    ::rmdir(dir_.c_str());
  }
  void WriteFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string ReadFile() {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir_;
  std::string path_;
};

TEST_F(StateFileTest, RoundTripKeepsEveryFieldIncludingAwkwardBytes) {
  PrinterModel saved;
  PrinterState& state = saved.state();
  state.switches[1] = 0b10100101;
  state.switches[kRadioSwitch] = 0b00000010;
  state.serial[0] = "38400";
  state.tear_off = 513;
  state.bt_name = " Shop\\7\x01 ";
  state.bt_pin = "\xFF\x7F";
  state.sentinel_start[1] = "%";
  state.sentinel_end[2] = "";
  state.setting_mode = true;
  std::string error;
  ASSERT_TRUE(SaveState(saved, path_, &error)) << error;
  EXPECT_EQ(::access((path_ + ".tmp").c_str(), F_OK), -1);  // the temporary file is gone

  const std::string text = ReadFile();
  EXPECT_NE(text.find("switch1 = 10100101\n"), std::string::npos);
  EXPECT_NE(text.find("switchP = 00000010\n"), std::string::npos);
  EXPECT_NE(text.find("bt_name = \\x20Shop\\\\7\\x01\\x20\n"), std::string::npos);

  PrinterModel loaded;
  ASSERT_TRUE(LoadState(loaded, path_, &error)) << error;
  EXPECT_EQ(loaded.state(), saved.state());
}

TEST_F(StateFileTest, MissingKeysKeepTheirValuesAndCommentsAreSkipped) {
  WriteFile("# hand written\n\n  switch5 =00000001  \r\nbt_name=Front desk\n");
  PrinterModel model;
  std::string error;
  ASSERT_TRUE(LoadState(model, path_, &error)) << error;
  EXPECT_EQ(model.state().switches[5], 1);
  EXPECT_EQ(model.state().bt_name, "Front desk");
  EXPECT_EQ(model.state().serial[0], "115200");
}

TEST_F(StateFileTest, DamagedFilesAreRefusedWithTheLineAndChangeNothing) {
  struct Row {
    std::string text;
    std::string message_part;
  } rows[] = {
      {"switch1 = 00001100\nswitch2 = 0000000x\n", "line 2"},
      {"switch9 = 00000000\n", "unknown key"},
      {"no equals sign\n", "key = value"},
      {"tear_off = 70000\n", "tear_off"},
      {"tear_off = -1\n", "tear_off"},
      {"bt_name = \\x4\n", "escape"},
      {"bt_name = abc\\q\n", "escape"},
      {"sentinel1_start = ABCDEFGHIJK\n", "longer than 10"},
      {"setting_mode = yes\n", "setting_mode"},
      {std::string("bt_pin = 1\0002\n", 12), "NUL"},
      {std::string(2000, 'a') + "\n", "too long"},
  };
  for (const auto& row : rows) {
    WriteFile(row.text);
    PrinterModel model;
    const PrinterState before = model.state();
    std::string error;
    EXPECT_FALSE(LoadState(model, path_, &error)) << row.text;
    EXPECT_NE(error.find(row.message_part), std::string::npos) << error;
    EXPECT_NE(error.find("damaged"), std::string::npos) << error;
    EXPECT_EQ(model.state(), before);
  }
}

TEST_F(StateFileTest, OversizedAndMissingFilesAreErrors) {
  WriteFile(std::string(kMaxStateFileBytes + 1, '#'));
  PrinterModel model;
  std::string error;
  EXPECT_FALSE(LoadState(model, path_, &error));
  EXPECT_NE(error.find("1 MiB"), std::string::npos) << error;
  EXPECT_FALSE(LoadState(model, dir_ + "/absent", &error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

// A state file kept elsewhere behind a link stays there, link and mode as they were.
TEST_F(StateFileTest, SaveThroughALinkReplacesItsTargetKeepingTheMode) {
  WriteFile("old\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
  const std::string link = dir_ + "/link.state";
  ASSERT_EQ(::symlink(path_.c_str(), link.c_str()), 0);
  std::string error;
  EXPECT_TRUE(WriteStateText(std::string(5000, 'x'), link, &error)) << error;
  struct stat s {};
  ASSERT_EQ(::lstat(link.c_str(), &s), 0);
  EXPECT_TRUE(S_ISLNK(s.st_mode));
  ASSERT_EQ(::stat(path_.c_str(), &s), 0);
  EXPECT_EQ(s.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadFile(), std::string(5000, 'x'));
  std::remove(link.c_str());
}

TEST_F(StateFileTest, SaveIntoAMissingFolderFailsWithAMessage) {
  PrinterModel model;
  std::string error;
  EXPECT_FALSE(SaveState(model, dir_ + "/no/such/dir/state", &error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
}

// A FIFO (or a device) named as the state file is neither waited on nor replaced by a file.
TEST_F(StateFileTest, AStateFileThatIsNoFileIsRefusedAndLeftInPlace) {
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  PrinterModel model;
  std::string error;
  EXPECT_FALSE(LoadState(model, path_, &error));
  EXPECT_EQ(error, path_ + ": not a state file (not a regular file)");
  EXPECT_FALSE(WriteStateText(std::string(5000, 'x'), path_, &error));
  EXPECT_EQ(error, "cannot write " + path_ + ": not a file");
  struct stat s {};
  ASSERT_EQ(::lstat(path_.c_str(), &s), 0);
  EXPECT_TRUE(S_ISFIFO(s.st_mode));
}

}  // namespace
}  // namespace sim
