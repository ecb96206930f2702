#include "protocol/settings_profile.h"

#include <vector>

#include "protocol/common_vmsm.h"

namespace protocol {
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
void AddGroup(const DwordValue (&group)[N], const PrinterSettings& settings, const std::string& key,
              std::vector<platform::RegWrite>& batch) {
  for (const DwordValue& v : group)
    batch.push_back(platform::DwordWrite(key, v.name, settings.*v.field));
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
  std::vector<platform::RegWrite> batch;
  AddGroup(kBeforeCharMode, settings, key, batch);
  batch.push_back(platform::DwordWrite(key, kProfileCharMode, settings.LCharMode));
  batch.push_back(platform::DwordWrite(key, kProfileLCharMode, settings.LCharMode));
  AddGroup(kAfterCharMode, settings, key, batch);
  batch.push_back(platform::StringWrite(key, kProfileFwver, firmware_version_text));
  // Before an open check the value is unknown; a value stored earlier is better than a made-up one.
  if (open_check_value) {
    batch.push_back(platform::DwordWrite(key, kProfileMsrmode, *open_check_value));
  }
  AddGroup(kAfterPrinterInfo, settings, key, batch);
  return registry.SetValues(batch);
}

void CCommonVmsm::LoadProfile(platform::Registry& registry, const std::string& key) {
  LoadSettingsProfile(settings(), registry, key);
}

bool CCommonVmsm::SaveProfile(platform::Registry& registry, const std::string& key) const {
  const std::string firmware_version_text =
      util_ != nullptr ? util_->identity().firmware_version_text : "";
  const std::optional<uint8_t> open_check_value =
      util_ != nullptr ? util_->identity().open_check_value : std::nullopt;
  return SaveSettingsProfile(settings(), registry, key, firmware_version_text, open_check_value);
}
}  // namespace protocol
