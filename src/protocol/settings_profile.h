#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry/registry.h"
#include "protocol/settings_record.h"

namespace protocol {
// The settings record kept between runs as registry values, one per field.

// Value names. The double-byte mode is written under both names: "CharMode" for readers that
// know only it, "LCharMode" as the name it is loaded from.
inline constexpr char kProfileCharMode[] = "CharMode";
inline constexpr char kProfileLCharMode[] = "LCharMode";
inline constexpr char kProfileFwver[] = "Fwver";      // firmware version text, written only
inline constexpr char kProfileMsrmode[] = "Msrmode";  // open-check value, written only

// Fills every stored field from the values under `key`; a missing or mistyped value gives the
// field its default (a fresh record's value). Never fails.
void LoadSettingsProfile(PrinterSettings& settings, platform::Registry& registry,
                         const std::string& key);

// Writes every stored field, the firmware version text and, when known, the open-check value, as
// one update of the store: all of them or, when false is returned, none (the registry's
// LastError says why).
bool SaveSettingsProfile(const PrinterSettings& settings, platform::Registry& registry,
                         const std::string& key, const std::string& firmware_version_text,
                         std::optional<uint8_t> open_check_value);
}  // namespace protocol
