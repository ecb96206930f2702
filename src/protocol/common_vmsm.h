#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/registry/registry.h"
#include "platform/system/clock.h"
#include "protocol/common_util.h"
#include "protocol/settings_record.h"

namespace protocol {
// The printer's virtual memory switch command set: each operation moves one group of settings
// between the printer and the settings record this object holds, reachable through settings().
//
// Every operation returns a result code of result_codes.h. Except for InitSetting, a closed link
// gives 101 with nothing sent. 109, 300 and 301 close the link before returning; 0, 101, 108 and
// 110 leave it as it was. A failed read changes nothing of the record.
class CCommonVmsm {
 public:
  // `util` owns the link and the identification results and must outlive this object.
  CCommonVmsm(CCommonUtil* util, platform::Clock& clock);
  virtual ~CCommonVmsm();
  CCommonVmsm(const CCommonVmsm&) = delete;
  CCommonVmsm& operator=(const CCommonVmsm&) = delete;

  PrinterSettings& settings() { return settings_; }
  const PrinterSettings& settings() const { return settings_; }

  // Setting mode, which brackets every write of switches, serial items, tear-off position,
  // sentinels and radio interface.
  Result InitSetting();
  Result EndSetting();

  // Memory switch `a` (1, 2, 5, 6, 7, 8 and 116 carry record fields; 3 is read and written
  // as the printer holds it).
  Result ReadSwitch(uint8_t a);
  Result WriteSwitch(uint8_t a);

  // Serial items 1 baud rate, 2 parity, 3 flow control, 4 data bits.
  Result ReadSerial(uint8_t a);
  Result WriteSerial(uint8_t a);

  // Tear-off position (newer firmware generation only; callers decide).
  Result ReadTearOff();
  Result WriteTearOff();

  // Radio interface selection. A malformed or missing reply gives 108 and keeps the link open.
  Result ReadRfInterface();
  Result WriteRfInterface();

  // Replaces the printer's settings with the factory block; the record is not touched.
  Result FactoryDefault();

  // Bluetooth items: `kind` one of vmsm::kBtConnMode, kBtName, kBtPin, kBtSecurity.
  Result ReadBtInfo(uint8_t kind);
  // Refuses (110, nothing sent) a PIN over 12 or a name over 30 characters, or either holding a
  // line end (0Dh), which the command uses to close them.
  Result WriteBtInfo();
  // Whether the Bluetooth write can carry `text` as the name (kMaxBtNameChars) or the PIN
  // (kMaxBtPinChars): no longer than that and without a line end.
  static bool BtTextWritable(const std::string& text, size_t max_bytes);

  // MSR sentinels of track `t` = 1..3. A reply the read does not recognise (or none) is ignored
  // and gives 0. A sentinel over 10 bytes is refused (110, nothing sent).
  Result ReadSentinel(uint8_t t);
  // Whether the last ReadSentinel of track index `i` (0..2) got the track's sentinels from the
  // printer (false: no reply or another one, and the record kept what it held).
  bool sentinel_reported(size_t i) const { return sentinel_reported_[i]; }
  Result WriteSentinel(uint8_t t);

  // The settings profile in the registry under `key`. Loading never fails: a missing or
  // mistyped value gives its field the default. Saving writes the whole profile as one update;
  // false when the store refused it (the registry's LastError says why).
  void LoadProfile(platform::Registry& registry, const std::string& key);
  bool SaveProfile(platform::Registry& registry, const std::string& key) const;

  CCommonUtil* util() const { return util_; }

 private:
  bool LinkOpen() const;
  // Closes the link and returns `result`.
  Result Fail(Result result);
  // Writes all of `bytes`; false when the link took fewer.
  bool Send(const std::vector<uint8_t>& bytes);

  CCommonUtil* util_;
  platform::Clock& clock_;
  PrinterSettings settings_;
  std::array<bool, kSentinelTracks> sentinel_reported_{};
};
}  // namespace protocol
