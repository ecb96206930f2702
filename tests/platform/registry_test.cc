#include "platform/registry/registry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/file_registry.h"
#include "platform/registry/memory_registry.h"
#include "platform/registry/reg_text.h"
#include "temp_dir.h"

namespace platform {
namespace {

using platform_test::ReadAll;
using platform_test::TempDir;
using platform_test::WriteFile;

constexpr char kHeader[] = "Windows Registry Editor Version 5.00\n\n";

RegValue Value(RegType type, std::vector<uint8_t> data) {
  RegValue v;
  v.type = type;
  v.data = std::move(data);
  return v;
}

// The value-level rules, against the in-memory hive.
TEST(RegistryValues, NumbersAndTextsRoundTripAndMistypedValuesReadAsMissing) {
  MemoryRegistry reg;
  ASSERT_TRUE(WriteDword(reg, kPellisetKey, "uBaudrate", 0x01C200));
  ASSERT_TRUE(WriteString(reg, kPellisetKey, "Name", "TMQ"));
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "uBaudrate"), 0x01C200u);
  // Little-endian on disk, as the Windows registry stores a DWORD.
  EXPECT_EQ(reg.QueryValue(kPellisetKey, "uBaudrate")->data,
            (std::vector<uint8_t>{0x00, 0xC2, 0x01, 0x00}));
  EXPECT_EQ(reg.QueryValue(kPellisetKey, "Name")->data, (std::vector<uint8_t>{'T', 'M', 'Q', 0}));
  EXPECT_EQ(ReadString(reg, kPellisetKey, "Name"), "TMQ");

  struct Case {
    const char* what;
    RegValue value;
    std::optional<uint32_t> as_number;
    std::optional<std::string> as_text;
  };
  const Case cases[] = {
      {"text where a number is expected", Value(RegType::kSz, {'9', 0}), std::nullopt, "9"},
      {"3-byte number", Value(RegType::kDword, {1, 2, 3}), std::nullopt, std::nullopt},
      {"5-byte number", Value(RegType::kDword, {1, 2, 3, 4, 5}), std::nullopt, std::nullopt},
      {"binary of 4 bytes", Value(RegType::kBinary, {1, 0, 0, 0}), std::nullopt, std::nullopt},
      {"text cut at its first NUL", Value(RegType::kSz, {'a', 0, 'b', 0}), std::nullopt, "a"},
      {"text without NUL", Value(RegType::kSz, {'a', 'b'}), std::nullopt, "ab"},
      {"empty text", Value(RegType::kSz, {}), std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(reg.SetValue(kPellisetKey, "v", c.value));
    EXPECT_EQ(ReadDword(reg, kPellisetKey, "v"), c.as_number);
    EXPECT_EQ(ReadString(reg, kPellisetKey, "v"), c.as_text);
  }
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "missing"), std::nullopt);
  EXPECT_EQ(ReadString(reg, "Software\\Nobody", "v"), std::nullopt);
}

TEST(MemoryRegistry, KeysAndNamesIgnoreCaseAndFailingWritesChangeNothing) {
  MemoryRegistry reg;
  ASSERT_TRUE(WriteDword(reg, "Software\\Korvane\\Pelliset\\NV", "Count", 2));
  EXPECT_TRUE(reg.KeyExists("software\\KORVANE"));  // parents exist too
  EXPECT_FALSE(reg.KeyExists("Software\\Korvane\\Other"));
  EXPECT_EQ(ReadDword(reg, "SOFTWARE\\korvane\\pelliset\\nv", "COUNT"), 2u);
  ASSERT_TRUE(WriteDword(reg, "software\\korvane\\pelliset\\nv", "count", 3));
  EXPECT_EQ(reg.Tree().Keys().back()->values.size(), 1u);        // the same value, not a second one
  EXPECT_EQ(reg.Tree().Keys().back()->values[0].name, "Count");  // first spelling kept

  reg.SetFailWrites(true);
  EXPECT_FALSE(WriteDword(reg, kPellisetKey, "Count", 9));
  EXPECT_FALSE(reg.CreateKey("Software\\New"));
  EXPECT_FALSE(reg.DeleteValue("Software\\Korvane\\Pelliset\\NV", "Count"));
  EXPECT_FALSE(reg.KeyExists("Software\\New"));
  EXPECT_EQ(ReadDword(reg, "Software\\Korvane\\Pelliset\\NV", "Count"), 3u);
  reg.SetFailWrites(false);
  EXPECT_TRUE(reg.DeleteValue("Software\\Korvane\\Pelliset\\NV", "count"));
  EXPECT_FALSE(reg.DeleteValue("Software\\Korvane\\Pelliset\\NV", "count"));
}

// Every value must come back byte for byte, whatever its type and data.
std::vector<std::pair<std::string, RegValue>> OddValues() {
  return {
      {"number", Value(RegType::kDword, {0x0A, 0, 0, 0})},
      {"text", Value(RegType::kSz, {'C', 'O', 'M', '3', 0})},
      {"quotes \" and \\ slashes", Value(RegType::kSz, {'a', '"', '\\', 'b', 0})},
      {"", Value(RegType::kSz, {'d', 'e', 'f', 0})},  // the default value, "@"
      {"text without NUL", Value(RegType::kSz, {'x', 'y'})},
      {"text with inner NUL", Value(RegType::kSz, {'x', 0, 'y', 0})},
      {"text with newline", Value(RegType::kSz, {'a', '\n', 'b', 0})},
      {"empty text", Value(RegType::kSz, {})},
      {"short number", Value(RegType::kDword, {1, 2, 3})},
      {"binary", Value(RegType::kBinary, {0x00, 0xFF, 0x5C, 0x22})},
      {"empty binary", Value(RegType::kBinary, {})},
      {"other type", Value(static_cast<RegType>(7), {'a', 0, 0})},
      {"utf-8 text", Value(RegType::kSz, {0xC3, 0xA4, 0})},
  };
}

TEST(FileRegistry, EveryValueRoundTripsThroughTheFileAndAFreshObject) {
  TempDir dir;
  const std::string path = dir.File("sub/folder/registry.reg");  // folders made as needed
  {
    FileRegistry reg(path);
    for (const auto& [name, value] : OddValues()) {
      ASSERT_TRUE(reg.SetValue(kPellisetKey, name, value)) << name;
    }
    ASSERT_TRUE(WriteDword(reg, kPortsKey, "Baud", 9600));
    ASSERT_TRUE(reg.CreateKey("Software\\Korvane\\Pelliset\\Empty"));
  }
  FileRegistry fresh(path);
  for (const auto& [name, value] : OddValues()) {
    EXPECT_EQ(fresh.QueryValue(kPellisetKey, name), value) << name;
  }
  EXPECT_EQ(ReadDword(fresh, kPortsKey, "Baud"), 9600u);
  EXPECT_TRUE(fresh.KeyExists("Software\\Korvane\\Pelliset\\Empty"));
  EXPECT_FALSE(fresh.KeyExists("Software\\Korvane\\Pelliset\\Missing"));
  EXPECT_EQ(ReadString(fresh, "software\\KORVANE\\pelliset", "TEXT"), "COM3");

  EXPECT_TRUE(fresh.DeleteValue(kPellisetKey, "Text"));
  EXPECT_FALSE(fresh.DeleteValue(kPellisetKey, "Text"));
  EXPECT_EQ(FileRegistry(path).QueryValue(kPellisetKey, "text"), std::nullopt);
}

TEST(FileRegistry, MistypedValuesInTheFileReadAsMissing) {
  TempDir dir;
  WriteFile(dir.File("r.reg"), std::string(kHeader) +
                                   "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset]\n"
                                   "\"uPort\"=\"3\"\n"
                                   "\"uBaudrate\"=hex(4):00,25,00\n"
                                   "\"uParity\"=dword:00000002\n"
                                   "\"Name\"=dword:00000001\n");
  FileRegistry reg(dir.File("r.reg"));
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "uPort"), std::nullopt);
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "uBaudrate"), std::nullopt);
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "uParity"), 2u);
  EXPECT_EQ(ReadString(reg, kPellisetKey, "Name"), std::nullopt);
}

TEST(RegText, ParsesAHandWrittenExport) {
  const std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\r\n"
      "; written by hand\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset]\r\n"
      "\"uPortType\"=dword:0000000A\r\n"
      "\"Path\"=\"C:\\\\img\\\\\\\"logo\\\".bmp\"\r\n"
      "@=\"default\"\r\n"
      "\"Blob\"=hex:01,02,\\\r\n"
      "  03,ff\r\n"
      "\r\n"
      "[hkey_local_machine\\Software\\Korvane\\Pelliset\\NV]\r\n"
      "\"Count\" = dword:00000001\r\n";
  const RegTextParse parsed = ParseRegText(text);
  EXPECT_FALSE(parsed.damaged);
  EXPECT_EQ(parsed.bad_lines, 0);
  const RegistryTree& t = parsed.tree;
  ASSERT_NE(t.Find(kPellisetKey, "uporttype"), nullptr);
  EXPECT_EQ(*t.Find(kPellisetKey, "uporttype"), Value(RegType::kDword, {10, 0, 0, 0}));
  const std::string path = "C:\\img\\\"logo\".bmp";
  std::vector<uint8_t> path_bytes(path.begin(), path.end());
  path_bytes.push_back(0);
  EXPECT_EQ(*t.Find(kPellisetKey, "Path"), Value(RegType::kSz, path_bytes));
  EXPECT_EQ(*t.Find(kPellisetKey, ""), Value(RegType::kSz, {'d', 'e', 'f', 'a', 'u', 'l', 't', 0}));
  EXPECT_EQ(*t.Find(kPellisetKey, "Blob"), Value(RegType::kBinary, {1, 2, 3, 0xFF}));
  ASSERT_NE(t.Find("Software\\Korvane\\Pelliset\\NV", "Count"), nullptr);
}

TEST(RegText, WritesTheExportFormatAndReadsItBack) {
  RegistryTree tree;
  tree.Set(kPellisetKey, "uPortType", Value(RegType::kDword, {3, 0, 0, 0}));
  tree.Set(kPellisetKey, "Name", Value(RegType::kSz, {'a', '"', '\\', 0}));
  tree.Set(kPortsKey, "Odd", Value(RegType::kSz, {'A', 0, 'B'}));
  const std::string text = FormatRegText(tree);
  EXPECT_EQ(text,
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\Software]\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Korvane]\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset]\n"
            "\"uPortType\"=dword:00000003\n"
            "\"Name\"=\"a\\\"\\\\\"\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset\\Ports]\n"
            "\"Odd\"=hex(1):41,00,42\n\n");
  const RegTextParse back = ParseRegText(text);
  EXPECT_FALSE(back.damaged);
  EXPECT_TRUE(back.tree == tree);
}

TEST(RegText, DamagedLinesAreCountedAndTheRestIsKept) {
  struct Case {
    const char* what;
    std::string text;
    int bad_lines;
  };
  const std::string key = "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset]\n";
  const std::string good = "\"Good\"=dword:00000007\n";
  const Case cases[] = {
      {"bad header", "Windows Registry Editor Version 9\n" + key + good, 1},
      {"unterminated text", kHeader + key + "\"A\"=\"abc\n" + good, 1},
      {"unknown escape", kHeader + key + "\"A\"=\"a\\nb\"\n" + good, 1},
      {"short dword", kHeader + key + "\"A\"=dword:123\n" + good, 1},
      {"bad hex byte", kHeader + key + "\"A\"=hex:0g\n" + good, 1},
      {"deletion entry", kHeader + key + "\"A\"=-\n" + good, 1},
      {"foreign hive and its value",
       kHeader + std::string("[HKEY_CURRENT_USER\\X]\n\"B\"=dword:00000001\n") + key + good, 2},
      {"value before any key", kHeader + std::string("\"B\"=dword:00000001\n") + key + good, 1},
      {"binary junk", kHeader + key + std::string("\x01\x02\x00\xff\"A\"=dword:0\n", 16) + good, 1},
      {"huge line", kHeader + key + std::string(200000, 'x') + "\n" + good, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RegTextParse parsed = ParseRegText(c.text);
    EXPECT_TRUE(parsed.damaged);
    EXPECT_EQ(parsed.bad_lines, c.bad_lines);
    const RegValue* good_value = parsed.tree.Find(kPellisetKey, "Good");
    ASSERT_NE(good_value, nullptr);
    EXPECT_EQ(*good_value, Value(RegType::kDword, {7, 0, 0, 0}));
    EXPECT_EQ(parsed.tree.Find(kPellisetKey, "A"), nullptr);
  }
}

// Random damage to a valid file never crashes the parser, and whatever it keeps is written back
// as text that parses to the very same content.
TEST(RegText, MutatedFilesParseToContentThatRoundTrips) {
  RegistryTree tree;
  for (const auto& [name, value] : OddValues()) tree.Set(kPellisetKey, name, value);
  const std::string valid = FormatRegText(tree);
  uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
  };
  for (int round = 0; round < 2000; ++round) {
    std::string text = valid;
    const int edits = 1 + static_cast<int>(next() % 8);
    for (int e = 0; e < edits; ++e) {
      const size_t at = next() % text.size();
      switch (next() % 3) {
        case 0:
          text[at] = static_cast<char>(next());
          break;
        case 1:
          text.erase(at, 1 + next() % 4);
          break;
        default:
          text.insert(at, 1, "\\\"\n,:=[]@x0"[next() % 12]);
      }
      if (text.empty()) text = "x";
    }
    const RegTextParse parsed = ParseRegText(text);
    const RegTextParse again = ParseRegText(FormatRegText(parsed.tree));
    ASSERT_FALSE(again.damaged) << text;
    ASSERT_TRUE(again.tree == parsed.tree) << text;
  }
}

TEST(FileRegistry, DamagedFileIsKeptByteForByteBeforeTheFirstWrite) {
  TempDir dir;
  const std::string path = dir.File("registry.reg");
  const std::string damaged = std::string(kHeader) +
                              "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset]\n"
                              "\"uPort\"=dword:00000004\n" +
                              std::string("\x00\x01garbage\xff\n", 12) + "\"Broken\"=dword:zz\n";
  WriteFile(path, damaged);
  WriteFile(path + ".damaged", "an older backup");  // must not be overwritten

  FileRegistry reg(path);
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "uPort"), 4u);
  EXPECT_EQ(reg.QueryValue(kPellisetKey, "Broken"), std::nullopt);
  EXPECT_EQ(ReadAll(path), damaged);  // reading alone changes nothing

  testing::internal::CaptureStderr();
  ASSERT_TRUE(WriteDword(reg, kPellisetKey, "uBaudrate", 9600));
  ASSERT_TRUE(WriteDword(reg, kPellisetKey, "uParity", 1));
  const std::string said = testing::internal::GetCapturedStderr();

  EXPECT_EQ(ReadAll(path + ".damaged"), "an older backup");
  EXPECT_EQ(ReadAll(path + ".damaged.1"), damaged);
  EXPECT_NE(said.find(path + ".damaged.1"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said once: " << said;
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "uPort"), 4u);  // what parsed survives the rewrite
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "uBaudrate"), 9600u);
  EXPECT_FALSE(ParseRegText(ReadAll(path)).damaged);
}

TEST(FileRegistry, OversizedFileReadsWhatFitsAndIsKeptBeforeAWrite) {
  TempDir dir;
  const std::string path = dir.File("registry.reg");
  std::string big = std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset]\n" +
                    "\"First\"=dword:00000001\n";
  while (big.size() < FileRegistry::kMaxFileBytes + 100) big += "; padding padding padding\n";
  big += "\"Late\"=dword:00000002\n";
  WriteFile(path, big);
  FileRegistry reg(path);
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "First"), 1u);
  EXPECT_EQ(ReadDword(reg, kPellisetKey, "Late"), std::nullopt);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(WriteDword(reg, kPellisetKey, "New", 3));
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(ReadAll(path + ".damaged"), big);
}

TEST(FileRegistry, UnusableStoreFailsWritesAndKeepsAnUnreadableFile) {
  TempDir dir;
  // The folder cannot be made: its parent is a regular file.
  WriteFile(dir.File("plain"), "x");
  FileRegistry no_folder(dir.File("plain/pelliset/registry.reg"));
  EXPECT_FALSE(WriteDword(no_folder, kPellisetKey, "A", 1));
  EXPECT_EQ(ReadDword(no_folder, kPellisetKey, "A"), std::nullopt);
  // The "file" is a folder or a FIFO (which must not hold the program in open()): never
  // replaced, and the reason named.
  ASSERT_EQ(::mkdir(dir.File("folder.reg").c_str(), 0700), 0);
  FileRegistry on_folder(dir.File("folder.reg"));
  EXPECT_FALSE(WriteDword(on_folder, kPellisetKey, "A", 1));
  EXPECT_EQ(on_folder.LastError(), dir.File("folder.reg") + ": a folder, not a file");
  ASSERT_EQ(::mkfifo(dir.File("fifo.reg").c_str(), 0600), 0);
  FileRegistry on_fifo(dir.File("fifo.reg"));
  EXPECT_EQ(ReadDword(on_fifo, kPellisetKey, "A"), std::nullopt);
  EXPECT_FALSE(WriteDword(on_fifo, kPellisetKey, "A", 1));
  EXPECT_EQ(on_fifo.LastError(), dir.File("fifo.reg") + ": not a regular file");
  // Reads say why they found nothing; a file not made yet is no error.
  EXPECT_EQ(ReadDword(on_folder, kPellisetKey, "A"), std::nullopt);
  EXPECT_EQ(on_folder.ReadError(), dir.File("folder.reg") + ": a folder, not a file");
  EXPECT_EQ(on_fifo.ReadError(), dir.File("fifo.reg") + ": not a regular file");
  EXPECT_EQ(no_folder.ReadError(), dir.File("plain/pelliset/registry.reg") + ": Not a directory");
  FileRegistry fresh(dir.File("fresh.reg"));
  EXPECT_EQ(ReadDword(fresh, kPellisetKey, "A"), std::nullopt);
  EXPECT_EQ(fresh.ReadError(), "");
  // A lock file that cannot be made is not "another program holds the lock".
  ASSERT_EQ(::symlink(dir.File("gone/x").c_str(), dir.File("r2.reg.lock").c_str()), 0);
  FileRegistry no_lock(dir.File("r2.reg"));
  EXPECT_FALSE(WriteDword(no_lock, kPellisetKey, "A", 1));
  EXPECT_EQ(no_lock.LastError(), dir.File("r2.reg.lock") + ": No such file or directory");
  // Names that cannot be written as a line of text.
  FileRegistry reg(dir.File("r.reg"));
  EXPECT_FALSE(WriteDword(reg, kPellisetKey, "two\nlines", 1));
  EXPECT_FALSE(WriteDword(reg, "Software\\a\nb", "x", 1));
}

// A lock another program keeps holds each read back only briefly (it held every read 5 s, and a
// dialog that reads seven values 35 s before it opened).
TEST(FileRegistry, ReadsDoNotWaitOutALockAnotherProgramKeeps) {
  TempDir dir;
  FileRegistry reg(dir.File("r.reg"));
  ASSERT_TRUE(WriteDword(reg, kPellisetKey, "A", 1));
  const int lock = ::open(dir.File("r.reg.lock").c_str(), O_RDWR);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 2; ++i) EXPECT_EQ(ReadDword(reg, kPellisetKey, "A"), 1u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  ::close(lock);
}

// A large or damaged file must not stall the programs: a key of 100,000 values and a hex value
// continued over 200,000 lines (each about 2.5 MB) took minutes when every value or line
// re-read the ones before it.
TEST(RegText, ManyValuesAndLongContinuationsParseInLinearTime) {
  std::string many = std::string(kHeader) + "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset]\n";
  for (int i = 0; i < 100000; ++i) many += "\"v" + std::to_string(i) + "\"=dword:00000001\n";
  std::string continued = std::string(kHeader) +
                          "[HKEY_LOCAL_MACHINE\\Software\\Korvane\\Pelliset]\n\"Blob\"=hex:01,\\\n";
  for (int i = 0; i < 200000; ++i) continued += "  02,\\\n";
  continued += "  03\n";
  const auto start = std::chrono::steady_clock::now();
  const RegTextParse values = ParseRegText(many);
  const RegTextParse blob = ParseRegText(continued);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(values.damaged);
  EXPECT_NE(values.tree.Find(kPellisetKey, "V99999"), nullptr);
  const RegValue* b = blob.tree.Find(kPellisetKey, "blob");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->data.size(), 200002u);
  EXPECT_EQ(b->data.back(), 3);
}

TEST(FileRegistry, AtomicWritesLeaveNoTemporaryFiles) {
  TempDir dir;
  FileRegistry reg(dir.File("registry.reg"));
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(WriteDword(reg, kPellisetKey, "N", i));
  ASSERT_TRUE(reg.DeleteValue(kPellisetKey, "N"));
  std::vector<std::string> names = dir.Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));

  // A registry file behind a link is written where it lies, made there when it is still to
  // come, and a temporary file a killed writer left there goes; the links stay.
  TempDir elsewhere;
  WriteFile(elsewhere.File("kept.reg"), "");
  WriteFile(elsewhere.File("kept.reg.tmp.Ab12Cd"), "half a profile");
  ASSERT_EQ(::symlink(elsewhere.File("kept.reg").c_str(), dir.File("linked.reg").c_str()), 0);
  ASSERT_EQ(::symlink(elsewhere.File("later.reg").c_str(), dir.File("ahead.reg").c_str()), 0);
  for (const char* name : {"linked.reg", "ahead.reg"}) {
    SCOPED_TRACE(name);
    FileRegistry linked(dir.File(name));
    ASSERT_TRUE(WriteDword(linked, kPellisetKey, "N", 7));
    struct stat link_info {};
    ASSERT_EQ(::lstat(dir.File(name).c_str(), &link_info), 0);
    EXPECT_TRUE(S_ISLNK(link_info.st_mode));
  }
  std::vector<std::string> kept = elsewhere.Names();
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{"kept.reg", "later.reg"}));
  for (const char* name : {"kept.reg", "later.reg"}) {
    FileRegistry target(elsewhere.File(name));
    EXPECT_EQ(ReadDword(target, kPellisetKey, "N"), 7u) << name;
  }
}

// A batch is one replacement of the file; a temporary file a killed writer left goes with the
// next write; a failing step is reported with the file and the system's reason and changes nothing.
TEST(FileRegistry, BatchIsOneReplacementAndFailuresSayWhereAndWhy) {
  using Step = FileRegistry::WriteStep;
  TempDir dir;
  WriteFile(dir.File("registry.reg.tmp.Ab12Cd"), "half a profile");
  FileRegistry reg(dir.File("registry.reg"));
  std::vector<Step> steps;
  int fail_with = 0;
  Step fail_at = Step::kRename;
  reg.SetStepHook([&](Step step) {
    steps.push_back(step);
    return step == fail_at ? fail_with : 0;
  });
  ASSERT_TRUE(reg.SetValues({DwordWrite(kPellisetKey, "A", 1), StringWrite(kPellisetKey, "B", "b"),
                             DwordWrite("Software\\Other", "C", 3)}));
  EXPECT_EQ(steps, (std::vector<Step>{Step::kCreateFolder, Step::kCreateTemp, Step::kWriteTemp,
                                      Step::kSyncTemp, Step::kRename, Step::kSyncFolder}));
  std::vector<std::string> names = dir.Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
  EXPECT_EQ(ReadString(reg, kPellisetKey, "B"), "b");
  EXPECT_EQ(reg.LastError(), "");

  struct Case {
    Step step;
    int error;
    std::string where;
    const char* reason;
  };
  const Case cases[] = {
      {Step::kCreateFolder, EACCES, dir.path(), "Permission denied"},
      {Step::kCreateTemp, EROFS,
       dir.File("registry.reg") + ": cannot create a file in " + dir.path(),
       "Read-only file system"},
      {Step::kWriteTemp, ENOSPC, dir.File("registry.reg"), "No space left on device"},
      {Step::kSyncTemp, EIO, dir.File("registry.reg"), "Input/output error"},
      {Step::kRename, EXDEV, dir.File("registry.reg"), "Invalid cross-device link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    fail_at = c.step;
    fail_with = c.error;
    EXPECT_FALSE(
        reg.SetValues({DwordWrite(kPellisetKey, "A", 2), DwordWrite(kPellisetKey, "D", 4)}));
    EXPECT_EQ(reg.LastError(), c.where + ": " + c.reason);
    EXPECT_EQ(ReadDword(reg, kPellisetKey, "A"), 1u);
    EXPECT_EQ(ReadDword(reg, kPellisetKey, "D"), std::nullopt);
    EXPECT_EQ(dir.Names().size(), 2u);
  }
  // A name that cannot be a line of the file says so rather than leaving an earlier reason.
  EXPECT_FALSE(platform::WriteDword(reg, kPellisetKey, "A\nB", 5));
  EXPECT_EQ(reg.LastError(), dir.File("registry.reg") + ": the name \"A\nB\" cannot be stored");
}

// Two programs (a forked child and this process) and two threads, each with its own object,
// set their own values interleaved on one file: with a read-modify-write that is not locked,
// some would overwrite the others'.
TEST(FileRegistry, ConcurrentWritersLoseNothing) {
  TempDir dir;
  const std::string path = dir.File("registry.reg");
  constexpr int kEach = 40;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileRegistry reg(path);
    bool ok = true;
    for (int i = 0; i < kEach; ++i)
      ok &= WriteDword(reg, kPellisetKey, "child" + std::to_string(i), i);
    ::_exit(ok ? 0 : 1);
  }
  auto writer = [&path](const std::string& prefix, bool* ok) {
    FileRegistry reg(path);
    for (int i = 0; i < kEach; ++i)
      *ok &= WriteDword(reg, kPellisetKey, prefix + std::to_string(i), i);
  };
  bool ok_a = true, ok_b = true;
  std::thread a(writer, "a", &ok_a);
  std::thread b(writer, "b", &ok_b);
  a.join();
  b.join();
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(ok_a && ok_b);

  FileRegistry check(path);
  int missing = 0;
  for (const char* prefix : {"child", "a", "b"}) {
    for (int i = 0; i < kEach; ++i) {
      if (ReadDword(check, kPellisetKey, prefix + std::to_string(i)) != static_cast<uint32_t>(i)) {
        ++missing;
      }
    }
  }
  EXPECT_EQ(missing, 0);
}

TEST(FileRegistry, DefaultPathFollowsXdgConfigHome) {
  struct Case {
    const char* xdg;
    const char* home;
    std::string expected;
  };
  const Case cases[] = {
      {"/cfg", "/home/u", "/cfg/pelliset/registry.reg"},
      {nullptr, "/home/u", "/home/u/.config/pelliset/registry.reg"},
      {"", "/home/u", "/home/u/.config/pelliset/registry.reg"},
      {"relative/cfg", "/home/u", "/home/u/.config/pelliset/registry.reg"},
  };
  for (const Case& c : cases) {
    const auto env = [&c](const char* name) -> const char* {
      const std::string n = name;
      if (n == "XDG_CONFIG_HOME") return c.xdg;
      if (n == "HOME") return c.home;
      return nullptr;
    };
    EXPECT_EQ(FileRegistry::DefaultRegistryPath(env), c.expected);
  }
}

}  // namespace
}  // namespace platform
