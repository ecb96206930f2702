// The decoder against the public BMP Suite, read where it lies beside the project: g/ files must
// decode to their reference, q/ files decode to it or are refused with a reason, b/ (and x/)
// files may do either but never crash, read out of bounds or hang.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/image/bmp_decoder.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

const fs::path kSuite = fs::path(PELLISET_SOURCE_DIR "/../shared/testdata/bmpsuite");

struct SuiteFile {
  std::string category;  // g, q, b or x; empty when the suite is absent
  std::string name;      // file name in bmp/<category>/
  std::string ref;       // how the reference was chosen; empty or "none": no reference
  int tol = 0;           // per channel difference allowed
};

void PrintTo(const SuiteFile& file, std::ostream* out) {
  *out << file.category << "/" << file.name;
}

std::vector<SuiteFile> LoadManifest() {
  std::ifstream in(kSuite / "MANIFEST.tsv");
  if (!in) return {SuiteFile{}};
  std::vector<SuiteFile> files;
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream row(line);
    for (std::string cell; std::getline(row, cell, '\t');) cells.push_back(cell);
    if (cells.size() < 11) continue;
    files.push_back(
        {cells[1], cells[0], cells[9], cells[10].empty() ? 0 : std::atoi(cells[10].c_str())});
  }
  return files;
}

// A binary PPM (P6) or PGM (P5) with maxval 255; false when `path` holds anything else.
bool ReadNetpbm(const fs::path& path, const char* magic, int channels, RgbImage* image) {
  std::ifstream in(path, std::ios::binary);
  std::string kind;
  int maxval = 0;
  in >> kind >> image->width >> image->height >> maxval;
  if (!in || kind != magic || maxval != 255 || image->width <= 0 || image->height <= 0) {
    return false;
  }
  in.get();  // the one whitespace byte before the samples
  image->rgb.resize(static_cast<size_t>(image->width) * image->height * channels);
  in.read(reinterpret_cast<char*>(image->rgb.data()),
          static_cast<std::streamsize>(image->rgb.size()));
  return static_cast<size_t>(in.gcount()) == image->rgb.size();
}

struct Outcome {
  bool decoded = false;
  std::string reason;
  RgbImage image;
};

// Decodes row by row, checking what the header promises callers: rows in range, each once.
Outcome Decode(const fs::path& path) {
  Outcome outcome;
  std::unique_ptr<BmpDecoder> bmp = BmpDecoder::OpenFile(path.string(), &outcome.reason);
  if (bmp == nullptr) return outcome;
  RgbImage& image = outcome.image;
  image.width = bmp->width();
  image.height = bmp->height();
  image.rgb.assign(static_cast<size_t>(image.width) * image.height * 3, 0);
  std::vector<bool> seen(static_cast<size_t>(image.height), false);
  int y;
  const uint8_t* rgb;
  while (bmp->NextRow(&y, &rgb)) {
    EXPECT_TRUE(y >= 0 && y < image.height) << "row " << y;
    if (y < 0 || y >= image.height) return outcome;
    EXPECT_FALSE(seen[y]) << "row " << y << " handed out twice";
    seen[y] = true;
    std::copy_n(rgb, image.width * 3,
                image.rgb.begin() + static_cast<ptrdiff_t>(y) * image.width * 3);
  }
  outcome.reason = bmp->error();
  if (!outcome.reason.empty()) return outcome;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), image.height) << "rows missing";
  outcome.decoded = true;
  return outcome;
}

// Compares within `tol` per channel. Where the stream skips pixels, the reference paints them a
// marker colour and the mask marks them with 255 (the manifest counts them as undefined); there we
// hold the decoder to its own promise instead: skipped pixels are white.
void ExpectMatches(const RgbImage& image, const std::string& stem, int tol) {
  RgbImage reference, mask;
  ASSERT_TRUE(ReadNetpbm(kSuite / "reference" / (stem + ".ppm"), "P6", 3, &reference)) << stem;
  const fs::path mask_path = kSuite / "reference" / (stem + ".mask.pgm");
  const bool masked = fs::exists(mask_path);
  if (masked) {
    ASSERT_TRUE(ReadNetpbm(mask_path, "P5", 1, &mask)) << stem;
  }
  ASSERT_EQ(image.width, reference.width);
  ASSERT_EQ(image.height, reference.height);
  for (size_t pixel = 0; pixel < static_cast<size_t>(image.width) * image.height; ++pixel) {
    const bool skipped = masked && mask.rgb[pixel] == 255;
    for (size_t c = 0; c < 3; ++c) {
      const int got = image.rgb[3 * pixel + c];
      const int want = skipped ? 255 : reference.rgb[3 * pixel + c];
      if (std::abs(got - want) > (skipped ? 0 : tol)) {
        FAIL() << "pixel (" << pixel % image.width << ", " << pixel / image.width << ") channel "
               << c << ": " << got << ", expected " << want << (skipped ? " (skipped)" : "")
               << " (tol " << tol << ")";
      }
    }
  }
}

// Where a reference follows one program's rounding rather than an agreed decoding, the allowance
// the manifest gives is too tight for any other sound rule.
int Tolerance(const SuiteFile& file) {
  // The reference scales its 11- and 10-bit channels through 16 bits and floors, so full scale
  // lands on 254; we keep the top 8 bits, which puts it at 255.
  if (file.name == "rgb32-111110.bmp") return std::max(file.tol, 1);
  return file.tol;
}

class BmpSuiteFile : public ::testing::TestWithParam<SuiteFile> {};

TEST_P(BmpSuiteFile, DecodesOrRefusesSafely) {
  const SuiteFile& file = GetParam();
  if (file.category.empty()) GTEST_SKIP() << "the BMP Suite folder is absent: " << kSuite;
  const fs::path path = kSuite / "bmp" / file.category / file.name;
  const std::string stem = fs::path(file.name).stem().string();
  const bool has_reference = !file.ref.empty() && file.ref != "none";

  const auto start = std::chrono::steady_clock::now();
  const Outcome outcome = Decode(path);
  // A small file that takes longer than this is stuck in a loop.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  if (!outcome.decoded) {
    EXPECT_FALSE(outcome.reason.empty()) << "refused without a reason";
    EXPECT_NE(file.category, "g") << "refused: " << outcome.reason;
    std::printf("  %s/%s refused: %s\n", file.category.c_str(), file.name.c_str(),
                outcome.reason.c_str());
    return;
  }
  // Every g/ file has a reference; a missing one fails here.
  if (file.category == "g" || (file.category == "q" && has_reference)) {
    ExpectMatches(outcome.image, stem, Tolerance(file));
  }
}

INSTANTIATE_TEST_SUITE_P(BmpSuite, BmpSuiteFile, ::testing::ValuesIn(LoadManifest()),
                         [](const auto& info) {
                           if (info.param.category.empty()) return std::string("absent");
                           std::string name = info.param.category + "_" + info.param.name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace platform
