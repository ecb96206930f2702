#include "protocol/settings_profile.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/test_services.h"
#include "platform/memory_registry.h"
#include "protocol/common_vmsm.h"

namespace {

const std::string kKey = platform::kPellisetKey;

PrinterSettings StoredFieldsChanged() {
  PrinterSettings s;
  s.Density = 3;
  s.Speed = 1;
  s.CodePage = 36;
  s.Service = 1;
  s.FontType = 2;
  s.BeepPaper = 1;
  s.BeepLowBat = 1;
  s.LCharMode = 1;
  s.TimeOff = 90;
  s.TimeSave = 255;
  s.CuttingPosition = 640;
  s.Msr = 0;
  s.Baudrate = 9600;
  s.Databit = 7;
  s.Parity = 2;
  s.Flowcontrol = 2;
  s.Sentinel = 2;
  return s;
}

class SettingsProfileTest : public ::testing::Test {
 protected:
  fakes::TestServices t_;
  CCommonUtil util_{t_.services};
  CCommonVmsm vmsm_{&util_, t_.clock};
  platform::MemoryRegistry registry_;
};

TEST_F(SettingsProfileTest, EmptyProfileLoadsTheDefaults) {
  static_cast<PrinterSettings&>(vmsm_) = StoredFieldsChanged();
  vmsm_.LoadProfile(registry_, kKey);
  EXPECT_EQ(vmsm_.Density, 4u);
  EXPECT_EQ(vmsm_.Msr, 6u);
  EXPECT_EQ(vmsm_.Baudrate, 115200u);
  EXPECT_EQ(vmsm_.Databit, 8u);
  EXPECT_EQ(vmsm_.Flowcontrol, 1u);
  for (uint32_t v : {vmsm_.Speed, vmsm_.CodePage, vmsm_.Service, vmsm_.FontType, vmsm_.BeepPaper,
                     vmsm_.BeepLowBat, vmsm_.LCharMode, vmsm_.TimeOff, vmsm_.TimeSave,
                     vmsm_.CuttingPosition, vmsm_.Parity, vmsm_.Sentinel}) {
    EXPECT_EQ(v, 0u);
  }
}

TEST_F(SettingsProfileTest, MistypedValuesLoadAsDefaults) {
  platform::WriteString(registry_, kKey, "Density", "7");
  platform::RegValue two_bytes{platform::RegType::kDword, {5, 0}};
  registry_.SetValue(kKey, "Msr", two_bytes);
  platform::RegValue binary{platform::RegType::kBinary, {0x80, 0x25, 0, 0}};
  registry_.SetValue(kKey, "Baudrate", binary);
  platform::WriteDword(registry_, kKey, "Parity", 1);
  vmsm_.LoadProfile(registry_, kKey);
  EXPECT_EQ(vmsm_.Density, 4u);
  EXPECT_EQ(vmsm_.Msr, 6u);
  EXPECT_EQ(vmsm_.Baudrate, 115200u);
  EXPECT_EQ(vmsm_.Parity, 1u);
}

TEST_F(SettingsProfileTest, RoundTripKeepsEveryStoredField) {
  static_cast<PrinterSettings&>(vmsm_) = StoredFieldsChanged();
  vmsm_.SaveProfile(registry_, kKey);

  CCommonVmsm loaded(&util_, t_.clock);
  loaded.LoadProfile(registry_, kKey);
  EXPECT_EQ(loaded.settings(), StoredFieldsChanged());
}

TEST_F(SettingsProfileTest, FieldsNotStoredAreLeftAlone) {
  vmsm_.SentinelStart[0] = "%";
  vmsm_.BtName = "Counter";
  vmsm_.BtSkip = 1;
  vmsm_.BleMode = 1;
  vmsm_.RfInterface = 2;
  vmsm_.SaveProfile(registry_, kKey);
  CCommonVmsm other(&util_, t_.clock);
  other.BtPin = "1111";
  other.LoadProfile(registry_, kKey);
  EXPECT_EQ(other.SentinelStart[0], "");
  EXPECT_EQ(other.BtName, "");
  EXPECT_EQ(other.BtPin, "1111");
  EXPECT_EQ(other.BtSkip, 0u);
  EXPECT_EQ(other.RfInterface, 0u);
}

TEST_F(SettingsProfileTest, SavesEveryValueUnderItsName) {
  util_.firmware_version_text_ = "TMQ-D550 Ver 1.0 090216";
  util_.open_check_value_ = 0x50;
  static_cast<PrinterSettings&>(vmsm_) = StoredFieldsChanged();
  vmsm_.SaveProfile(registry_, kKey);
  const std::pair<const char*, uint32_t> dwords[] = {
      {"Density", 3},     {"Speed", 1},       {"CodePage", 36},  {"Service", 1},
      {"FontType", 2},    {"BeepPaper", 1},   {"BeepLowBat", 1}, {"CharMode", 1},
      {"LCharMode", 1},   {"TimeOff", 90},    {"TimeSave", 255}, {"CuttingPosition", 640},
      {"Msr", 0},         {"Baudrate", 9600}, {"Databit", 7},    {"Parity", 2},
      {"Flowcontrol", 2}, {"Msrmode", 0x50},  {"Sentinel", 2},
  };
  for (const auto& [name, value] : dwords) {
    EXPECT_EQ(platform::ReadDword(registry_, kKey, name), value) << name;
  }
  const std::optional<platform::RegValue> fwver = registry_.QueryValue(kKey, "Fwver");
  ASSERT_TRUE(fwver.has_value());
  EXPECT_EQ(fwver->type, platform::RegType::kSz);
  const std::string with_nul = util_.firmware_version_text_ + std::string(1, '\0');
  EXPECT_EQ(std::string(fwver->data.begin(), fwver->data.end()), with_nul);
}

TEST_F(SettingsProfileTest, UnknownOpenCheckValueKeepsTheStoredOne) {
  platform::WriteDword(registry_, kKey, "Msrmode", 0x39);
  util_.open_check_value_.reset();
  vmsm_.SaveProfile(registry_, kKey);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "Msrmode"), 0x39u);
}

// The double-byte mode used to be written under one name and read under another, so it was never
// restored.
TEST_F(SettingsProfileTest, DoubleByteModeIsRestored) {
  vmsm_.LCharMode = 1;
  vmsm_.SaveProfile(registry_, kKey);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "CharMode"), 1u);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "LCharMode"), 1u);
  CCommonVmsm loaded(&util_, t_.clock);
  loaded.LoadProfile(registry_, kKey);
  EXPECT_EQ(loaded.LCharMode, 1u);
}

TEST_F(SettingsProfileTest, DoubleByteModeFromAnOlderProfile) {
  platform::WriteDword(registry_, kKey, "CharMode", 1);
  vmsm_.LoadProfile(registry_, kKey);
  EXPECT_EQ(vmsm_.LCharMode, 1u);

  // Where both exist the name it is loaded from wins.
  platform::WriteDword(registry_, kKey, "LCharMode", 0);
  vmsm_.LoadProfile(registry_, kKey);
  EXPECT_EQ(vmsm_.LCharMode, 0u);
}

TEST_F(SettingsProfileTest, TheProfileIsOneUpdateAllOrNothing) {
  PrinterSettings s = StoredFieldsChanged();
  platform::MemoryRegistry full;
  full.SetFailWrites(true);
  EXPECT_FALSE(SaveSettingsProfile(s, full, kKey, "fw", 1));
  EXPECT_FALSE(full.Tree().KeyExists(kKey));
  EXPECT_EQ(full.LastError(), "memory: no space left on device");

  EXPECT_TRUE(SaveSettingsProfile(s, registry_, kKey, "fw", 1));
  EXPECT_EQ(registry_.UpdateCount(), 1);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "Speed"), 1u);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "Sentinel"), 2u);
}

}  // namespace
