// The resource pack parser: a pack either parses or is refused as a whole. What it accepts holds
// no NUL byte and only ids a pack can address.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "ui/core/string_table.h"

namespace {

constexpr char kTarget[] = "resource_pack";

void CheckText(const std::string& text) {
  FUZZ_CHECK(kTarget, text.find('\0') == std::string::npos);
}

bool ValidId(int id) { return id >= 0 && id <= 65535; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = fuzz::AsText(data, size);
  const std::optional<ui::ResourcePack> pack = ui::ParseResourcePack(text);
  if (!pack) return 0;
  FUZZ_CHECK(kTarget, text.find('\0') == std::string_view::npos);
  FUZZ_CHECK(kTarget, size <= ui::kMaxPackBytes);
  for (const auto& [id, value] : pack->strings) {
    FUZZ_CHECK(kTarget, ValidId(id));
    CheckText(value);
  }
  for (const auto& [id, value] : pack->template_captions) {
    FUZZ_CHECK(kTarget, ValidId(id));
    CheckText(value);
  }
  for (const auto& [ids, value] : pack->control_captions) {
    FUZZ_CHECK(kTarget, ValidId(ids.first) && ValidId(ids.second));
    CheckText(value);
  }
  const auto units = [](int n) { return n >= 0 && n <= ui::kMaxPackUnits; };
  for (const auto& [ids, r] : pack->control_rects) {
    FUZZ_CHECK(kTarget, ValidId(ids.first) && ValidId(ids.second));
    FUZZ_CHECK(kTarget, units(r.x) && units(r.y) && units(r.w) && units(r.h));
  }
  for (const auto& [id, size] : pack->template_sizes) {
    FUZZ_CHECK(kTarget, ValidId(id) && units(size.first) && units(size.second));
  }
  // What the dialogs do with an installed pack.
  ui::Resources resources(ui::StringTable{{1, "One"}});
  resources.SetPack(pack);
  for (const auto& [id, value] : pack->strings) FUZZ_CHECK(kTarget, resources.String(id) == value);
  (void)resources.Framework(ui::FrameworkText::kIntRange);
  (void)ui::FormatMessage(resources.String(1), {"a", "b"});
  for (const auto& [ids, r] : pack->control_rects) {
    const ui::Template laid_out = resources.LaidOut(
        ui::Template{ids.first, "", 10, 10, {{ids.second, ui::ControlKind::kButton, "", {}}}});
    FUZZ_CHECK(kTarget, resources.LaysOut(ids.first) && laid_out.controls[0].rect == r);
  }
  return 0;
}
