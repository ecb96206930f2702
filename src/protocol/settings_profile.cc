#include "protocol/settings_profile.h"

#include "protocol/common_vmsm.h"

namespace {

struct DwordValue {
  const char* name;
  uint32_t PrinterSettings::*field;
};

// The stored fields in the order they are kept; the double-byte mode and the written-only values
// sit between the groups.
constexpr DwordValue kBeforeCharMode[] = {
    {"Density", &PrinterSettings::Density},       {"Speed", &PrinterSettings::Speed},
    {"CodePage", &PrinterSettings::CodePage},     {"Service", &PrinterSettings::Service},
    {"FontType", &PrinterSettings::FontType},     {"BeepPaper", &PrinterSettings::BeepPaper},
    {"BeepLowBat", &PrinterSettings::BeepLowBat},
};
constexpr DwordValue kAfterCharMode[] = {
    {"TimeOff", &PrinterSettings::TimeOff},
    {"TimeSave", &PrinterSettings::TimeSave},
    {"CuttingPosition", &PrinterSettings::CuttingPosition},
    {"Msr", &PrinterSettings::Msr},
    {"Baudrate", &PrinterSettings::Baudrate},
    {"Databit", &PrinterSettings::Databit},
    {"Parity", &PrinterSettings::Parity},
    {"Flowcontrol", &PrinterSettings::Flowcontrol},
};
constexpr DwordValue kAfterPrinterInfo[] = {
    {"Sentinel", &PrinterSettings::Sentinel},
};

template <size_t N>
void LoadGroup(const DwordValue (&group)[N], PrinterSettings& settings,
               platform::Registry& registry, const std::string& key) {
  const PrinterSettings defaults;
  for (const DwordValue& v : group) {
    settings.*v.field = platform::ReadDword(registry, key, v.name).value_or(defaults.*v.field);
  }
}

template <size_t N>
bool SaveGroup(const DwordValue (&group)[N], const PrinterSettings& settings,
               platform::Registry& registry, const std::string& key) {
  bool all = true;
  for (const DwordValue& v : group) {
    all = platform::WriteDword(registry, key, v.name, settings.*v.field) && all;
  }
  return all;
}

}  // namespace

void LoadSettingsProfile(PrinterSettings& settings, platform::Registry& registry,
                         const std::string& key) {
  LoadGroup(kBeforeCharMode, settings, registry, key);
  // Profiles saved before the mode was written under its own name hold only "CharMode".
  std::optional<uint32_t> char_mode = platform::ReadDword(registry, key, kProfileLCharMode);
  if (!char_mode) char_mode = platform::ReadDword(registry, key, kProfileCharMode);
  settings.LCharMode = char_mode.value_or(PrinterSettings().LCharMode);
  LoadGroup(kAfterCharMode, settings, registry, key);
  LoadGroup(kAfterPrinterInfo, settings, registry, key);
}

bool SaveSettingsProfile(const PrinterSettings& settings, platform::Registry& registry,
                         const std::string& key, const std::string& firmware_version_text,
                         std::optional<uint8_t> open_check_value) {
  bool all = SaveGroup(kBeforeCharMode, settings, registry, key);
  all = platform::WriteDword(registry, key, kProfileCharMode, settings.LCharMode) && all;
  all = platform::WriteDword(registry, key, kProfileLCharMode, settings.LCharMode) && all;
  all = SaveGroup(kAfterCharMode, settings, registry, key) && all;
  all = platform::WriteString(registry, key, kProfileFwver, firmware_version_text) && all;
  // Before an open check the value is unknown; a value stored earlier is better than a made-up one.
  if (open_check_value) {
    all = platform::WriteDword(registry, key, kProfileMsrmode, *open_check_value) && all;
  }
  all = SaveGroup(kAfterPrinterInfo, settings, registry, key) && all;
  return all;
}

void CCommonVmsm::LoadProfile(platform::Registry& registry, const std::string& key) {
  LoadSettingsProfile(settings(), registry, key);
}

void CCommonVmsm::SaveProfile(platform::Registry& registry, const std::string& key) const {
  const std::string firmware_version_text = util_ != nullptr ? util_->firmware_version_text_ : "";
  const std::optional<uint8_t> open_check_value =
      util_ != nullptr ? util_->open_check_value_ : std::nullopt;
  SaveSettingsProfile(settings(), registry, key, firmware_version_text, open_check_value);
}
