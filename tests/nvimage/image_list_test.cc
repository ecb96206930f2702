// The engine's image list (entries, the NV area's capacity, numbering) and the stored list in
// the registry.

#include <gtest/gtest.h>

#include <optional>

#include "fakes/nv_test_peer.h"
#include "nvimage/bmp_files.h"
#include "nvimage/common_nv.h"
#include "nvimage/nv_download_plan.h"
#include "nvimage/nv_image_list.h"
#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/temp_dir.h"
#include "protocol/result_codes.h"

namespace {

const char kKey[] = "Software\\Korvane\\Pelliset\\NV";

class ImageListTest : public ::testing::Test {
 protected:
  std::string Bmp(const std::string& name, int width, int height) {
    const std::string path = dir_.File(name);
    nv_test::WriteFilled(path, width, height, nv_test::kBlack);
    return path;
  }
  std::unique_ptr<nv::NvImageEntry> Entry(uint32_t size) {
    auto e = std::make_unique<nv::NvImageEntry>();
    e->size = size;
    return e;
  }
  std::string Stored(const std::string& name) {
    return platform::ReadString(registry_, kKey, name).value_or("<missing>");
  }

  platform_test::TempDir dir_;
  platform::VirtualClock clock_;
  platform::MemoryRegistry registry_;
  nv::CCommonNv nv_{nullptr, clock_};
};

TEST_F(ImageListTest, EntryFromFile) {
  auto status = static_cast<nv::CCommonNv::EntryStatus>(1);
  auto e = nv_.CreateImageEntry(3, Bmp("logo.bmp", 768, 100), 40, &status);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(static_cast<int>(status), 0);
  EXPECT_EQ(e->number, 3);
  EXPECT_EQ(e->size, 4800u);
  EXPECT_EQ(e->name, "logo.bmp");
  EXPECT_EQ(e->brightness, 40);

  EXPECT_EQ(nv_.CreateImageEntry(1, dir_.File("missing.bmp"), 0, &status), nullptr);
  EXPECT_EQ(static_cast<int>(status), -2);
  EXPECT_NE(nv_.load_error().find("missing.bmp: "), std::string::npos);

  // 384 x 1366 would wrap the define command's length field.
  EXPECT_EQ(nv_.CreateImageEntry(1, Bmp("tall.bmp", 384, 1366), 0, &status), nullptr);
  EXPECT_EQ(static_cast<int>(status), -3);
  EXPECT_NE(nv_.load_error().find("1366"), std::string::npos);
  EXPECT_NE(nv_.load_error().find("1365"), std::string::npos);
  EXPECT_NE(nv_.CreateImageEntry(1, Bmp("long.bmp", 768, 2000), 0, &status), nullptr);
}

TEST_F(ImageListTest, CapacityNumberingAndTheListLimit) {
  EXPECT_EQ(protocol::ResultNumber(nv_.AddImageEntry(Entry(262144 - 100))), 0u);
  EXPECT_EQ(protocol::ResultNumber(nv_.AddImageEntry(Entry(101))), 401u);
  EXPECT_EQ(protocol::ResultNumber(nv_.AddImageEntry(Entry(100))), 0u);  // exactly full
  EXPECT_EQ(nv_.GetImagesSize(), 262144u);
  EXPECT_EQ(protocol::ResultNumber(nv_.AddImageEntry(Entry(1))), 401u);
  EXPECT_EQ(nv_.images().size(), 2u);

  nv_.ClearImageEntries();
  for (uint8_t n = 1; n <= 4; ++n) {
    auto e = Entry(10);
    e->number = n;
    e->name = std::string(1, static_cast<char>('a' + n - 1));
    nv_.AddImageEntry(std::move(e));
  }
  nv_.RemoveImageEntry(2);
  ASSERT_EQ(nv_.images().size(), 3u);
  EXPECT_EQ(nv_.images()[0].name + nv_.images()[1].name + nv_.images()[2].name, "acd");
  EXPECT_EQ(nv_.images()[2].number, 3);

  nv_.ClearImageEntries();
  for (int i = 0; i < 254; ++i) ASSERT_EQ(protocol::ResultNumber(nv_.AddImageEntry(Entry(1))), 0u);
  EXPECT_EQ(nv_.AddImageEntry(Entry(1)), protocol::kResultNvListFull);
}

TEST_F(ImageListTest, ConvertBuildsTheDownloadItem) {
  nv::CCommonNv::EntryStatus status{};
  auto e = nv_.CreateImageEntry(1, Bmp("a.bmp", 384, 100), 0, &status);
  ASSERT_NE(e, nullptr);
  const std::optional<nv::NvDownloadItem> item = nv_.ConvertImage(*e, "10");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->name, "a.bmp");
  EXPECT_EQ(item->data.size(), 4816u);
  EXPECT_EQ(item->data[3], 0xCB);

  // A file gone since it was added is reported by name and gives no item.
  std::remove(e->path.c_str());
  EXPECT_FALSE(nv_.ConvertImage(*e, "10"));
  EXPECT_EQ(nv_.load_error().rfind("a.bmp: ", 0), 0u);
}

// The plan says which image goes under which key code: the code each item names is the one its
// define command stores the image under, and an image that no longer loads is left out.
TEST_F(ImageListTest, DownloadPlanItemsNameKeyCodeFileAndDefineCommand) {
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) {
    nv::CCommonNv::EntryStatus status{};
    const auto number = static_cast<uint8_t>(nv_.images().size() + 1);
    const int brightness = name[0] == 'c' ? 40 : 0;
    ASSERT_EQ(protocol::ResultNumber(nv_.AddImageEntry(
                  nv_.CreateImageEntry(number, Bmp(name, 8, 1), brightness, &status))),
              0u);
  }
  std::remove(dir_.File("b.bmp").c_str());
  nv::CCommonNvTestPeer::SetKeyCodes(nv_, {"11"});
  std::vector<std::string> skipped;
  const auto skip = [&](const std::string& reason) { skipped.push_back(reason); };

  nv::DownloadPlan plan = nv::PrepareDownload(nv_, true, nullptr, skip);
  EXPECT_EQ(plan.result, nv::PrepareResult::kReady);
  ASSERT_EQ(plan.items.size(), 2u);
  EXPECT_EQ(plan.items[0].key_code, "10");
  EXPECT_EQ(plan.items[0].path, dir_.File("a.bmp"));
  EXPECT_EQ(plan.items[0].data,
            (std::vector<uint8_t>{0x1D, 0x28, 0x4C, 0x0C, 0x00, 0x30, 0x43, 0x30, '1', '0', 0x01,
                                  0x08, 0x00, 0x01, 0x00, 0x31, 0xFF}));
  // 11 is held and b.bmp spent 12 before its file failed.
  EXPECT_EQ(plan.items[1].key_code, "13");
  EXPECT_EQ(plan.items[1].name, "c.bmp");
  EXPECT_EQ(plan.items[1].brightness, 40);
  EXPECT_EQ(std::string(plan.items[1].data.begin() + 8, plan.items[1].data.begin() + 10), "13");
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].rfind("b.bmp: ", 0), 0u);

  // Typed codes: each question sees the codes the images before it took; giving up plans nothing.
  std::vector<std::string> typed = {"AB", "CD", "EF"};
  std::vector<std::vector<std::string>> seen;
  const auto ask = [&](const std::vector<std::string>& chosen) -> std::optional<std::string> {
    seen.push_back(chosen);
    if (typed.empty()) return std::nullopt;
    std::string code = typed.front();
    typed.erase(typed.begin());
    return code;
  };
  plan = nv::PrepareDownload(nv_, false, ask, skip);
  EXPECT_EQ(plan.result, nv::PrepareResult::kReady);
  ASSERT_EQ(plan.items.size(), 2u);
  EXPECT_EQ(plan.items[1].key_code, "EF");
  EXPECT_EQ(std::string(plan.items[1].data.begin() + 8, plan.items[1].data.begin() + 10), "EF");
  EXPECT_EQ(seen.back(), std::vector<std::string>{"AB"});
  plan = nv::PrepareDownload(nv_, false, ask, skip);
  EXPECT_EQ(plan.result, nv::PrepareResult::kCancelled);
  EXPECT_TRUE(plan.items.empty());
}

TEST(StoredImageTest, ParsesPathAndBrightness) {
  EXPECT_EQ(nv::ParseStoredImage("/a/b.bmp,100").path, "/a/b.bmp");
  EXPECT_EQ(nv::ParseStoredImage("/a/b.bmp,100").brightness, 100);
  EXPECT_EQ(nv::ParseStoredImage("/a/b.bmp").path, "/a/b.bmp");
  EXPECT_EQ(nv::ParseStoredImage("/a/b.bmp").brightness, 0);
  EXPECT_EQ(nv::ParseStoredImage("/logos/shop,east.bmp,050").path, "/logos/shop,east.bmp");
  EXPECT_EQ(nv::ParseStoredImage("/logos/shop,east.bmp,050").brightness, 50);
  EXPECT_EQ(nv::ParseStoredImage("/a.bmp,999").brightness, 100);
  EXPECT_EQ(nv::ParseStoredImage("/a.bmp,07x").brightness, 7);
  EXPECT_EQ(nv::ParseStoredImage("/a.bmp,12345").brightness, 100);  // three digits: 123
}

TEST_F(ImageListTest, LoadStopsAtAGapAndSkipsWhatCannotBeKept) {
  nv::LoadImageList(registry_, nv_, nullptr);  // no key at all
  EXPECT_TRUE(nv_.images().empty());

  platform::WriteString(registry_, kKey, "image001", Bmp("one.bmp", 8, 8) + ",020");
  platform::WriteString(registry_, kKey, "image002", dir_.File("gone.bmp") + ",000");
  platform::WriteString(registry_, kKey, "image003", Bmp("big.bmp", 384, 1365) + ",000");
  platform::WriteString(registry_, kKey, "image004", Bmp("tall.bmp", 384, 1400) + ",000");
  platform::WriteString(registry_, kKey, "image006", Bmp("after-gap.bmp", 8, 8));
  std::vector<std::string> shown;
  nv::LoadImageList(registry_, nv_, [&](const std::string& m) { shown.push_back(m); });
  ASSERT_EQ(nv_.images().size(), 2u);
  EXPECT_EQ(nv_.images()[0].brightness, 20);
  EXPECT_EQ(nv_.images()[1].name, "big.bmp");
  EXPECT_EQ(nv_.images()[1].number, 2);
  ASSERT_EQ(shown.size(), 1u);  // the missing file goes silently
  EXPECT_EQ(shown[0].rfind("tall.bmp: ", 0), 0u);

  // Five 384 x 1365 files overflow the area (65,520 bytes each): the fifth is refused.
  registry_.DeleteValue(kKey, "image006");
  for (int i = 1; i <= 5; ++i) {
    platform::WriteString(registry_, kKey, "image00" + std::to_string(i),
                          Bmp("big" + std::to_string(i) + ".bmp", 384, 1365));
  }
  shown.clear();
  nv::LoadImageList(registry_, nv_, [&](const std::string& m) { shown.push_back(m); });
  EXPECT_EQ(nv_.images().size(), 4u);
  EXPECT_EQ(shown, std::vector<std::string>{"NV image area too small!"});
}

TEST_F(ImageListTest, SaveReplacesEverythingStoredInOneUpdate) {
  for (int i = 1; i <= 5; ++i) {
    platform::WriteString(registry_, kKey, "image00" + std::to_string(i), "/old.bmp,000");
  }
  const char* paths[] = {"/x/a.bmp", "/x/b,c.bmp", "/x/d.bmp"};
  for (int i = 0; i < 3; ++i) {
    auto e = std::make_unique<nv::NvImageEntry>();
    e->path = paths[i];
    e->brightness = i * 50;
    nv_.AddImageEntry(std::move(e));
  }
  nv::CCommonNvTestPeer::SetImageCount(nv_, 3);
  const int updates = registry_.UpdateCount();
  nv::SaveImageList(registry_, nv_);
  // One update: a program stopped while saving leaves the old list or the new one, never half.
  EXPECT_EQ(registry_.UpdateCount(), updates + 1);
  EXPECT_EQ(Stored("image001"), "/x/a.bmp,000");
  EXPECT_EQ(Stored("image002"), "/x/b,c.bmp,050");
  EXPECT_EQ(Stored("image003"), "/x/d.bmp,100");
  EXPECT_EQ(Stored("image004"), "<missing>");
  EXPECT_EQ(Stored("image005"), "<missing>");
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "Count"), 3u);
  EXPECT_EQ(nv::ParseStoredImage(Stored("image002")).path, "/x/b,c.bmp");
}

}  // namespace
