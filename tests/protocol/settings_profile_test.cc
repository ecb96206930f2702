#include "protocol/settings_profile.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/test_services.h"
#include "platform/registry/memory_registry.h"
#include "protocol/common_vmsm.h"

namespace {

const std::string kKey = platform::kPellisetKey;

protocol::PrinterSettings StoredFieldsChanged() {
  protocol::PrinterSettings s;
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
  protocol::CCommonUtil util_{t_.services};
  protocol::CCommonVmsm vmsm_{&util_, t_.clock};
  platform::MemoryRegistry registry_;
};

TEST_F(SettingsProfileTest, EmptyProfileLoadsTheDefaults) {
  vmsm_.settings() = StoredFieldsChanged();
  vmsm_.LoadProfile(registry_, kKey);
  EXPECT_EQ(vmsm_.settings().Density, 4u);
  EXPECT_EQ(vmsm_.settings().Msr, 6u);
  EXPECT_EQ(vmsm_.settings().Baudrate, 115200u);
  EXPECT_EQ(vmsm_.settings().Databit, 8u);
  EXPECT_EQ(vmsm_.settings().Flowcontrol, 1u);
  for (uint32_t v :
       {vmsm_.settings().Speed, vmsm_.settings().CodePage, vmsm_.settings().Service,
        vmsm_.settings().FontType, vmsm_.settings().BeepPaper, vmsm_.settings().BeepLowBat,
        vmsm_.settings().LCharMode, vmsm_.settings().TimeOff, vmsm_.settings().TimeSave,
        vmsm_.settings().CuttingPosition, vmsm_.settings().Parity, vmsm_.settings().Sentinel}) {
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
  EXPECT_EQ(vmsm_.settings().Density, 4u);
  EXPECT_EQ(vmsm_.settings().Msr, 6u);
  EXPECT_EQ(vmsm_.settings().Baudrate, 115200u);
  EXPECT_EQ(vmsm_.settings().Parity, 1u);
}

TEST_F(SettingsProfileTest, RoundTripKeepsEveryStoredField) {
  vmsm_.settings() = StoredFieldsChanged();
  vmsm_.SaveProfile(registry_, kKey);

  protocol::CCommonVmsm loaded(&util_, t_.clock);
  loaded.LoadProfile(registry_, kKey);
  EXPECT_EQ(loaded.settings(), StoredFieldsChanged());
}

TEST_F(SettingsProfileTest, FieldsNotStoredAreLeftAlone) {
  vmsm_.settings().SentinelStart[0] = "%";
  vmsm_.settings().BtName = "Counter";
  vmsm_.settings().BtSkip = 1;
  vmsm_.settings().BleMode = 1;
  vmsm_.settings().RfInterface = 2;
  vmsm_.SaveProfile(registry_, kKey);
  protocol::CCommonVmsm other(&util_, t_.clock);
  other.settings().BtPin = "1111";
  other.LoadProfile(registry_, kKey);
  EXPECT_EQ(other.settings().SentinelStart[0], "");
  EXPECT_EQ(other.settings().BtName, "");
  EXPECT_EQ(other.settings().BtPin, "1111");
  EXPECT_EQ(other.settings().BtSkip, 0u);
  EXPECT_EQ(other.settings().RfInterface, 0u);
}

TEST_F(SettingsProfileTest, SavesEveryValueUnderItsName) {
  util_.SetIdentityForTest(
      {.firmware_version_text = "TMQ-D550 Ver 1.0 090216", .open_check_value = 0x50});
  vmsm_.settings() = StoredFieldsChanged();
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
  const std::string with_nul = util_.identity().firmware_version_text + std::string(1, '\0');
  EXPECT_EQ(std::string(fwver->data.begin(), fwver->data.end()), with_nul);
}

TEST_F(SettingsProfileTest, UnknownOpenCheckValueKeepsTheStoredOne) {
  platform::WriteDword(registry_, kKey, "Msrmode", 0x39);
  ASSERT_FALSE(util_.identity().open_check_value);  // no open check has run
  vmsm_.SaveProfile(registry_, kKey);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "Msrmode"), 0x39u);
}

// The double-byte mode used to be written under one name and read under another, so it was never
// restored.
TEST_F(SettingsProfileTest, DoubleByteModeIsRestored) {
  vmsm_.settings().LCharMode = 1;
  vmsm_.SaveProfile(registry_, kKey);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "CharMode"), 1u);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "LCharMode"), 1u);
  protocol::CCommonVmsm loaded(&util_, t_.clock);
  loaded.LoadProfile(registry_, kKey);
  EXPECT_EQ(loaded.settings().LCharMode, 1u);
}

TEST_F(SettingsProfileTest, DoubleByteModeFromAnOlderProfile) {
  platform::WriteDword(registry_, kKey, "CharMode", 1);
  vmsm_.LoadProfile(registry_, kKey);
  EXPECT_EQ(vmsm_.settings().LCharMode, 1u);

  // Where both exist the name it is loaded from wins.
  platform::WriteDword(registry_, kKey, "LCharMode", 0);
  vmsm_.LoadProfile(registry_, kKey);
  EXPECT_EQ(vmsm_.settings().LCharMode, 0u);
}

TEST_F(SettingsProfileTest, TheProfileIsOneUpdateAllOrNothing) {
  protocol::PrinterSettings s = StoredFieldsChanged();
  platform::MemoryRegistry full;
  full.SetFailWrites(true);
  EXPECT_FALSE(protocol::SaveSettingsProfile(s, full, kKey, "fw", 1));
  EXPECT_FALSE(full.Tree().KeyExists(kKey));
  EXPECT_EQ(full.LastError(), "memory: no space left on device");

  EXPECT_TRUE(protocol::SaveSettingsProfile(s, registry_, kKey, "fw", 1));
  EXPECT_EQ(registry_.UpdateCount(), 1);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "Speed"), 1u);
  EXPECT_EQ(platform::ReadDword(registry_, kKey, "Sentinel"), 2u);
}

}  // namespace
