#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/nv_folder.h"
#include "sim/printer_model.h"
#include "sim/state_file.h"

namespace sim {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kKeyList = {0x1D, 0x28, 0x4C, 0x04, 0x00, 0x30, 0x40, 0x4B, 0x43};
const Bytes kDeleteAll = {0x1D, 0x28, 0x4C, 0x05, 0x00, 0x30, 0x41, 0x43, 0x4C, 0x52};
// Key code "10": 10 x 2 dots, rows FF C0 and 80 40.
const Bytes kDefine10 = {0x1D, 0x28, 0x4C, 0x0F, 0x00, 0x30, 0x43, 0x30, 0x31, 0x30,
                         0x01, 0x0A, 0x00, 0x02, 0x00, 0x31, 0xFF, 0xC0, 0x80, 0x40};

// A 1 x 1 black dot under kc1 kc2.
Bytes DefineDot(uint8_t kc1, uint8_t kc2) {
  return {0x1D, 0x28, 0x4C, 0x0C, 0x00, 0x30, 0x43, 0x30, kc1,
          kc2,  0x01, 0x01, 0x00, 0x01, 0x00, 0x31, 0x80};
}
Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class NvGraphicsTest : public ::testing::Test {
 protected:
  NvGraphicsTest() {
    model_.SetNvSink([this](const NvEvent& event) {
      events_.push_back({event.kind, event.key_code, event.image ? *event.image : NvImage{}});
    });
  }
  Bytes Ask(const Bytes& bytes) {
    model_.Receive(bytes, now_);
    now_ += 1000;
    Bytes all;
    for (Bytes piece; !(piece = model_.TakeDue(now_, 1000)).empty();) {
      all.insert(all.end(), piece.begin(), piece.end());
    }
    return all;
  }
  void DefineThree() {
    // Out of order on purpose: the list comes out sorted.
    Ask(Cat(Cat(DefineDot('A', 'B'), DefineDot('1', '1')), DefineDot('1', '0')));
  }
  bool NoteContains(const std::string& part) const {
    for (const auto& note : model_.notes()) {
      if (note.find(part) != std::string::npos) return true;
    }
    return false;
  }
  struct Seen {
    NvEvent::Kind kind;
    NvKeyCode key_code;
    NvImage image;
  };

  PrinterModel model_;
  std::vector<Seen> events_;
  uint64_t now_ = 1000;
};

TEST_F(NvGraphicsTest, KeyCodeListIsSortedAndEmptyWithoutImages) {
  EXPECT_EQ(Ask(kKeyList), Bytes({0x37, 0x72, 0x40, 0x00}));
  DefineThree();
  EXPECT_EQ(Ask(kKeyList), Bytes({0x37, 0x72, 0x40, 0x31, 0x30, 0x31, 0x31, 0x41, 0x42, 0x00}));
}

TEST_F(NvGraphicsTest, LongListWaitsForAckBeforeEachFurtherBlockAndStopsAtCan) {
  model_.config().nv_keys_per_block = 2;
  DefineThree();
  EXPECT_EQ(Ask(kKeyList), Bytes({0x37, 0x72, 0x41, 0x31, 0x30, 0x31, 0x31, 0x00}));
  EXPECT_EQ(Ask({}), Bytes());  // nothing more until the host acknowledges
  EXPECT_EQ(Ask({0x06}), Bytes({0x37, 0x72, 0x40, 0x41, 0x42, 0x00}));
  EXPECT_EQ(Ask({0x06}), Bytes());
  EXPECT_TRUE(NoteContains("ACK outside"));

  EXPECT_EQ(Ask(kKeyList).size(), 8u);
  EXPECT_EQ(Ask({0x18}), Bytes());
  EXPECT_EQ(Ask({0x06}), Bytes());  // the cancelled list does not resume
  // Nor does a new connection inherit a half-finished list.
  EXPECT_EQ(Ask(kKeyList).size(), 8u);
  model_.OnConnect(now_);
  EXPECT_EQ(Ask({0x06}), Bytes());
}

TEST_F(NvGraphicsTest, DefineSplitAcrossReceivesIsStoredWhenComplete) {
  // 384 x 100 dots: 4,800 raster bytes, parameter length 4,811 = 12CBh.
  Bytes define = {0x1D, 0x28, 0x4C, 0xCB, 0x12, 0x30, 0x43, 0x30,
                  0x4C, 0x47, 0x01, 0x80, 0x01, 0x64, 0x00, 0x31};
  for (int i = 0; i < 4800; ++i) define.push_back(static_cast<uint8_t>(i));
  define = Cat(define, kKeyList);
  model_.Receive(Bytes(define.begin(), define.begin() + 4096), now_);
  EXPECT_TRUE(model_.state().nv_images.empty());
  EXPECT_EQ(Ask(Bytes(define.begin() + 4096, define.end())),
            Bytes({0x37, 0x72, 0x40, 0x4C, 0x47, 0x00}));
  const NvImage& image = model_.state().nv_images.at({'L', 'G'});
  EXPECT_EQ(image.width, 384);
  EXPECT_EQ(image.height, 100);
  ASSERT_EQ(image.raster.size(), 4800u);
  EXPECT_EQ(image.raster[4799], 0xBF);
  EXPECT_TRUE(model_.notes().empty());
}

TEST_F(NvGraphicsTest, RefusedDefinesAreSkippedWholeAndTheNextCommandParses) {
  struct Row {
    Bytes define;
    std::string note;
  } rows[] = {
      // 10 x 2 needs 15 parameter bytes; 16 are announced and sent.
      {{0x1D, 0x28, 0x4C, 0x10, 0x00, 0x30, 0x43, 0x30, 0x31, 0x30, 0x01,
        0x0A, 0x00, 0x02, 0x00, 0x31, 0xFF, 0xC0, 0x80, 0x40, 0x00},
       "parameter length 16"},
      {{0x1D, 0x28, 0x4C, 0x0C, 0x00, 0x30, 0x43, 0x34, 0x31, 0x30, 0x01, 0x01, 0x00, 0x01, 0x00,
        0x31, 0x80},
       "tone"},
      {{0x1D, 0x28, 0x4C, 0x0C, 0x00, 0x30, 0x43, 0x30, 0x31, 0x30, 0x02, 0x01, 0x00, 0x01, 0x00,
        0x31, 0x80},
       "colour count"},
      {{0x1D, 0x28, 0x4C, 0x0C, 0x00, 0x30, 0x43, 0x30, 0x31, 0x30, 0x01, 0x01, 0x00, 0x01, 0x00,
        0x32, 0x80},
       "colour 32"},
      {DefineDot(0x1F, '0'), "outside 20..7E"},
      {DefineDot('1', 0x7F), "outside 20..7E"},
      {{0x1D, 0x28, 0x4C, 0x0B, 0x00, 0x30, 0x43, 0x30, 0x31, 0x30, 0x01, 0x00, 0x00, 0x01, 0x00,
        0x31},
       "size 0 x 1"},
      // 8193 x 1: 1,025 raster bytes, parameter length 1,036 = 040Ch.
      {Cat({0x1D, 0x28, 0x4C, 0x0C, 0x04, 0x30, 0x43, 0x30, 0x31, 0x30, 0x01, 0x01, 0x20, 0x01,
            0x00, 0x31},
           Bytes(1025, 0xFF)),
       "size 8193 x 1"},
      {{0x1D, 0x28, 0x4C, 0x03, 0x00, 0x30, 0x43, 0x30}, "shorter"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Ask(Cat(row.define, kKeyList)), Bytes({0x37, 0x72, 0x40, 0x00})) << row.note;
    ASSERT_FALSE(model_.notes().empty());
    EXPECT_NE(model_.notes().back().find(row.note), std::string::npos) << model_.notes().back();
  }
  EXPECT_TRUE(events_.empty());
  // Other GS ( L functions are stepped over the same way.
  EXPECT_EQ(Ask(Cat({0x1D, 0x28, 0x4C, 0x03, 0x00, 0x30, 0x32, 0x45}, kKeyList)),
            Bytes({0x37, 0x72, 0x40, 0x00}));
}

TEST_F(NvGraphicsTest, DeleteOneThenAllAreReported) {
  DefineThree();
  const uint64_t generation = model_.state_generation();
  events_.clear();
  Ask({0x1D, 0x28, 0x4C, 0x04, 0x00, 0x30, 0x42, 0x31, 0x31});
  EXPECT_EQ(Ask(kKeyList), Bytes({0x37, 0x72, 0x40, 0x31, 0x30, 0x41, 0x42, 0x00}));
  Ask({0x1D, 0x28, 0x4C, 0x04, 0x00, 0x30, 0x42, 0x31, 0x31});
  EXPECT_TRUE(NoteContains("no such image"));
  Ask(kDeleteAll);
  EXPECT_EQ(Ask(kKeyList), Bytes({0x37, 0x72, 0x40, 0x00}));
  ASSERT_EQ(events_.size(), 3u);
  EXPECT_EQ(events_[0].key_code, NvKeyCode({'1', '1'}));
  EXPECT_EQ(events_[2].key_code, NvKeyCode({'A', 'B'}));
  for (const auto& seen : events_) EXPECT_EQ(seen.kind, NvEvent::Kind::kDeleted);
  EXPECT_GT(model_.state_generation(), generation);
}

TEST_F(NvGraphicsTest, PrintShowsTheStoredImageAtItsScale) {
  Ask(kDefine10);
  events_.clear();
  Ask({0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, 0x31, 0x30, 0x01, 0x01});
  Ask({0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, 0x31, 0x30, 0x02, 0x01});
  Ask({0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, 0x31, 0x30, 0x03, 0x01});  // refused
  Ask({0x1D, 0x28, 0x4C, 0x06, 0x00, 0x30, 0x45, 0x39, 0x39, 0x01, 0x01});  // unknown
  EXPECT_TRUE(NoteContains("nothing printed"));
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(events_[0].kind, NvEvent::Kind::kPrinted);
  EXPECT_EQ(events_[0].image, (NvImage{10, 2, {0xFF, 0xC0, 0x80, 0x40}}));
  // Twice as wide: FF C0 -> FF FF F0, 80 40 -> C0 00 30.
  EXPECT_EQ(events_[1].image, (NvImage{20, 2, {0xFF, 0xFF, 0xF0, 0xC0, 0x00, 0x30}}));
}

TEST_F(NvGraphicsTest, StateFileKeepsImagesAndRefusesDamagedOnes) {
  Ask(kDefine10);
  const std::string text = StateToText(model_.state());
  EXPECT_NE(text.find("\nnv_image 3130 = 10 2 FFC08040\n"), std::string::npos) << text;
  PrinterState loaded = FactoryState("TMQ-D550");
  std::string error;
  ASSERT_TRUE(StateFromText(text, loaded, &error)) << error;
  EXPECT_EQ(loaded, model_.state());

  const char* damaged[] = {
      "nv_image 3130 = 10 2 FFC080\n",    // raster shorter than the size
      "nv_image 3130 = 10 2 FFC0804G\n",  // not hex
      "nv_image 1F30 = 1 1 80\n",         // key code outside 20..7E
      "nv_image 3130 = 8192 64 00\n",     // more than one define carries
      "nv_image 313 = 1 1 80\n",          // key code not 4 digits
  };
  for (const char* line : damaged) {
    PrinterState state = FactoryState("TMQ-D550");
    EXPECT_FALSE(StateFromText(line, state, &error)) << line;
    EXPECT_TRUE(state.nv_images.empty()) << line;
  }
}

TEST(NvFolderTest, WritesImageFilesAndTheRollAsPngs) {
  char pattern[] = "/tmp/pelliset-nv-dir-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  NvFolder folder(dir);
  const NvImage image{10, 2, {0xFF, 0xC0, 0x80, 0x40}};
  std::string error;
  ASSERT_TRUE(folder.OnEvent({NvEvent::Kind::kDefined, {'/', '0'}, &image}, &error)) << error;
  ASSERT_TRUE(folder.OnEvent({NvEvent::Kind::kPrinted, {'/', '0'}, &image}, &error)) << error;
  ASSERT_TRUE(folder.OnEvent({NvEvent::Kind::kPrinted, {'/', '0'}, &image}, &error)) << error;

  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  };
  const Bytes stored = read(dir + "/nv-%2F0.png");
  // Signature, then the IHDR chunk: length 13, "IHDR", width, height, depth 1, grey.
  const Bytes head = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49,
                      0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x02, 0x01, 0x00};
  ASSERT_GE(stored.size(), head.size());
  EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 26), head);
  // The roll: 384 dots wide, two prints of 2 rows with 24 blank rows between.
  const Bytes roll = read(dir + "/roll.png");
  ASSERT_GE(roll.size(), 26u);
  EXPECT_EQ(Bytes(roll.begin() + 16, roll.begin() + 24),
            Bytes({0x00, 0x00, 0x01, 0x80, 0x00, 0x00, 0x00, 0x1C}));

  ASSERT_TRUE(folder.OnEvent({NvEvent::Kind::kDeleted, {'/', '0'}}, &error)) << error;
  EXPECT_NE(::access((dir + "/nv-%2F0.png").c_str(), F_OK), 0);
  std::remove((dir + "/roll.png").c_str());
  EXPECT_EQ(::rmdir(dir.c_str()), 0);  // nothing else, no temporary file, was left behind
}

}  // namespace
}  // namespace sim
