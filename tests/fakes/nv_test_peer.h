#pragma once

// Sets up what an NV engine would otherwise learn from a printer, for tests and fuzz targets that
// start from a printer already read.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "nvimage/common_nv.h"

namespace nv {
struct CCommonNvTestPeer {
  static void SetKeyCodes(CCommonNv& nv, std::vector<std::string> codes) {
    nv.key_codes_ = std::move(codes);
  }
  static void SetImageCount(CCommonNv& nv, uint32_t count) { nv.image_count_ = count; }
};
}  // namespace nv
