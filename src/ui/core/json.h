#pragma once

// The automation events as JSON lines. The library writes them; two things stay ours: texts that
// are not valid UTF-8 (a control may hold any bytes a printer sent) and the format of "t".

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace ui {

// Fields keep the order they were added in: people read these lines.
using Json = nlohmann::ordered_json;

// `text` as valid UTF-8: valid sequences unchanged, each byte that is not part of one taken as
// its Latin-1 reading (0xFF becomes U+00FF), so no text is lost or refused.
std::string ToValidUtf8(std::string_view text);

// The object `fields` as one line (no newline) with "t" added last: `ms` as seconds with three
// decimals (1250 -> 1.250). Every string value is made valid UTF-8 first, so writing never fails.
std::string EventLine(Json fields, uint64_t ms);

}  // namespace ui
