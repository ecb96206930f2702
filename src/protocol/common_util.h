#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "link/cdev.h"
#include "platform/system/services.h"
#include "protocol/result_codes.h"

namespace protocol {
namespace reply {
class Buffer;
}  // namespace reply

// Model codes: before any model query, and after an accepted one. A rejected query gives 0.
inline constexpr uint32_t MODEL_DEFAULT = 1;
inline constexpr uint32_t MODEL_TMQD550 = 2;

// The maker the maker query accepts; its reply keeps no other text.
inline constexpr char kMakerName[] = "KORVANE";

// Firmware generations the version query classifies a printer into.
inline constexpr uint32_t kFirmwareOlder = 101001;
inline constexpr uint32_t kFirmwareNewer = 160902;  // has the tear-off position

// Who the printer said it is, query by query; a field keeps its value until its query runs again.
struct PrinterIdentity {
  std::string model_name = {};
  uint32_t model_code = MODEL_DEFAULT;
  std::string firmware_version_text = {};
  uint32_t firmware_version = 0;
  std::string code_page_text = {};
  std::optional<uint8_t> open_check_value = {};  // unset until an open check succeeds
};

// Owns the printer link and the communication setting, and asks the printer who it is.
class CCommonUtil {
 public:
  enum QueryKind : uint32_t {
    kCodePage = 0,
    kModel = 1,
    kFirmwareVersion = 2,
    kOpenCheck = 3,
    kMaker = 4,
  };

  // `handheld`: the link and the queries wait as the handheld's slower links need.
  explicit CCommonUtil(platform::Services& services, bool handheld = false);
  virtual ~CCommonUtil();

  // The setting the next OpenLink uses (a main dialog hands it over before every job).
  void SetLinkSettings(const devlink::LinkSettings& settings) { link_settings_ = settings; }
  // Opens the link with the handed-over setting unless it is open; false when that failed.
  bool OpenLink();
  // Closes the link if it is open (a closed handheld link takes no settle time again).
  void CloseLink();
  devlink::CDev& dev() { return dev_; }
  const devlink::CDev& dev() const { return dev_; }
  const PrinterIdentity& identity() const { return identity_; }
  // For tests of what is shown for a printer, without running its identification.
  void SetIdentityForTest(const PrinterIdentity& identity) { identity_ = identity; }

  // Runs one identification query; a result code of result_codes.h.
  Result GetPrinterInfo(uint32_t kind);
  // After a model or maker query refused the printer's answer: a line for people saying what the
  // printer called itself (printable characters only, cut to a short length). Empty after any
  // other outcome of the last query.
  const std::string& refused_identity() const { return refused_identity_; }
  // The name alone from that reply (empty when it gave none).
  const std::string& refused_name() const { return refused_name_; }

 private:
  Result SendQuery(const uint8_t* query);
  // Joins reads until a reply closed by NUL is held; false when the printer stays silent.
  bool WaitReplyWithResend(const uint8_t* query, reply::Buffer& reply);
  // A slow printer answers every resent query too, late, and those answers would pass for the
  // reply to the next query: reads up to `count` more copies of `answer` for at most `within_ms`.
  void SwallowLateAnswers(const std::string& answer, int count, uint32_t within_ms);
  static bool MatchesModel(const uint8_t* buffer);
  Result QueryCodePage();
  Result QueryModel();
  Result QueryVersion();
  Result QueryOpenCheck();
  Result QueryMaker();
  void Tracef(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Keeps the line refused_identity() returns for a reply the query did not accept.
  void RefuseIdentity(QueryKind kind, const uint8_t* reply, size_t length);

  platform::Services& services_;
  devlink::CDev dev_;
  // Before any hand-over: the first COM port as the handheld names it, with DTR/DSR handshake.
  devlink::LinkSettings link_settings_{.port_name = "COM1:", .flow_control = 1};
  PrinterIdentity identity_;
  std::string refused_identity_;
  std::string refused_name_;
};

// The version number rule, on the reply text (first byte included, up to its NUL).
uint32_t FirmwareVersionNumber(const std::string& reply_text);
}  // namespace protocol
