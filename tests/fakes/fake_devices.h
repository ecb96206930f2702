#pragma once

// Fakes at the device seams. They carry the bytes to and from a fakes::Conversation and record what
// the code did to them in a shared DeviceRecord (which outlives the device objects the code owns).
//
// Every call is logged as a Call {name, detail, at_ms}; names are the method names:
//   "NewSerialPort" "NewTcpSocket" "NewDeviceFile" "NewUsbPrinterEnumerator" (factory),
//   "Open" (detail: path; DeviceFile adds " exclusive" or " shared"), "Configure", "SetTimeouts",
//   "Purge", "ClearEventMask", "GetModemStatus", "Write", "Read", "Close" (serial/USB),
//   "Connect" (detail "address:port"), "Send", "Receive", "DevicePathAt" (detail: index).
// The times make pauses visible: e.g. Purge at 1000 and Close at 1200 is the 200 ms close wait.

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/conversation.h"
#include "platform/devices/devices.h"
#include "platform/system/clock.h"

namespace fakes {

struct Call {
  std::string name;
  std::string detail;
  uint64_t at_ms = 0;
};

// Knobs (set them before the code runs) and records, shared by all fake devices of one factory.
struct DeviceRecord {
  // --- Serial and Bluetooth ports.
  int serial_open_failures = 0;  // the first N Open calls fail
  bool configure_ok = true;
  std::deque<bool> set_timeouts_results;  // one per SetTimeouts call, in order; empty: success
  bool purge_ok = true;
  bool clear_event_mask_ok = true;
  // One per GetModemStatus call, in order (nullopt: the reading fails). When used up, every
  // reading succeeds with DSR = `dsr_on`.
  std::deque<std::optional<platform::ModemStatus>> modem_readings;
  bool dsr_on = true;

  // --- USB device files.
  int device_open_failures = 0;            // the first N Open calls fail
  std::set<std::string> unopenable_paths;  // these paths never open

  // --- TCP.
  bool connect_ok = true;
  std::set<std::string> refused_addresses;  // a Connect to these fails

  // --- Every kind: what LastCause() reports after a failed Open or Connect.
  platform::FailureCause open_failure_cause = platform::FailureCause::kIoError;

  // --- USB enumeration: the device paths by index.
  std::vector<std::string> usb_paths;

  // --- Records.
  std::vector<Call> calls;
  std::vector<std::string> opened_paths;  // every Open attempt's path (all device kinds)
  std::vector<bool> open_results;         // the result of each Open attempt
  std::vector<platform::LineSettings> line_settings;       // every Configure
  std::vector<platform::SerialTimeouts> timeouts;          // every SetTimeouts
  std::vector<std::pair<std::string, uint16_t>> connects;  // every Connect
  int open_devices = 0;  // opened and not yet closed (all kinds): a leak check

  // Names of the calls in order (optionally only those named in `only`).
  std::vector<std::string> CallNames() const;
  std::vector<std::string> CallNames(const std::set<std::string>& only) const;
  int Count(const std::string& name) const;
  // The first/last call of that name, or nullptr.
  const Call* First(const std::string& name) const;
  const Call* Last(const std::string& name) const;
};

// What the serial port, the device file and the socket fakes share: the call log, the open state
// and the leak count in the record, and the carrying of bytes to and from the conversation.
class FakeDeviceCore {
 public:
  FakeDeviceCore(platform::VirtualClock& clock, Conversation& conversation, DeviceRecord& record);
  ~FakeDeviceCore();  // a real backend closes on destruction too
  FakeDeviceCore(const FakeDeviceCore&) = delete;
  FakeDeviceCore& operator=(const FakeDeviceCore&) = delete;

  void Log(const char* name, std::string detail = {});
  // Starts an open attempt: fails the test (with `twice_message`) when already open.
  void BeginOpen(const char* twice_message);
  // Records the attempt's result (a failure with the record's open_failure_cause) and returns it.
  bool FinishOpen(bool ok);
  void Close();
  // Bytes carried, or -1 (and a test failure with `not_open_message`) when not open.
  long Write(const char* name, const uint8_t* data, size_t length, const char* not_open_message);
  long Read(const char* name, uint8_t* buffer, size_t capacity, uint32_t max_wait_ms,
            bool wait_forever, const char* not_open_message);

  bool open() const { return open_; }
  platform::FailureCause cause() const { return cause_; }
  void SetCause(platform::FailureCause cause) { cause_ = cause; }
  Conversation& conversation() { return conversation_; }
  DeviceRecord& record() { return record_; }

 private:
  platform::VirtualClock& clock_;
  Conversation& conversation_;
  DeviceRecord& record_;
  bool open_ = false;
  platform::FailureCause cause_ = platform::FailureCause::kNone;
};

class FakeSerialPort : public platform::SerialPort {
 public:
  // Reads follow the time-outs set: "return at once" (or none set) reads only what is due; with
  // totals set, a read waits for the first byte up to read_constant + read_multiplier * capacity.
  FakeSerialPort(platform::VirtualClock& clock, Conversation& conversation, DeviceRecord& record);
  ~FakeSerialPort() override;
  bool Open(const std::string& device_path) override;
  bool Configure(const platform::LineSettings& settings) override;
  bool SetTimeouts(const platform::SerialTimeouts& timeouts) override;
  bool Purge() override;
  bool ClearEventMask() override;
  bool GetModemStatus(platform::ModemStatus* status) override;
  size_t Write(const uint8_t* data, size_t length) override;
  size_t Read(uint8_t* buffer, size_t capacity) override;
  void Close() override;
  platform::FailureCause LastCause() const override { return core_.cause(); }

 private:
  FakeDeviceCore core_;
  platform::SerialTimeouts timeouts_{platform::SerialTimeouts::kReturnAtOnce, 0, 0, 0, 0};
};

class FakeDeviceFile : public platform::DeviceFile {
 public:
  // Reads wait up to kReadTimeoutMs for the first byte, as the real device does.
  FakeDeviceFile(platform::VirtualClock& clock, Conversation& conversation, DeviceRecord& record);
  ~FakeDeviceFile() override;
  bool Open(const std::string& path, bool exclusive) override;
  size_t Write(const uint8_t* data, size_t length) override;
  size_t Read(uint8_t* buffer, size_t capacity) override;
  void Close() override;
  platform::FailureCause LastCause() const override { return core_.cause(); }

 private:
  FakeDeviceCore core_;
};

class FakeTcpSocket : public platform::TcpSocket {
 public:
  // Receives wait up to kReceiveTimeoutMs for the first byte, as the real socket does.
  FakeTcpSocket(platform::VirtualClock& clock, Conversation& conversation, DeviceRecord& record);
  ~FakeTcpSocket() override;
  bool Connect(const std::string& dotted_address, uint16_t port) override;
  int Send(const uint8_t* data, size_t length) override;
  int Receive(uint8_t* buffer, size_t capacity) override;
  void Close() override;
  platform::FailureCause LastCause() const override { return core_.cause(); }

 private:
  FakeDeviceCore core_;
};

class FakeUsbEnumerator : public platform::UsbPrinterEnumerator {
 public:
  FakeUsbEnumerator(platform::VirtualClock& clock, DeviceRecord& record);
  std::optional<std::string> DevicePathAt(int index) override;

 private:
  platform::VirtualClock& clock_;
  DeviceRecord& record_;
};

class FakeDeviceFactory : public platform::DeviceFactory {
 public:
  FakeDeviceFactory(platform::VirtualClock& clock, Conversation& conversation);
  std::unique_ptr<platform::SerialPort> NewSerialPort() override;
  std::unique_ptr<platform::TcpSocket> NewTcpSocket() override;
  std::unique_ptr<platform::DeviceFile> NewDeviceFile() override;
  std::unique_ptr<platform::UsbPrinterEnumerator> NewUsbPrinterEnumerator() override;

  DeviceRecord record;

 private:
  platform::VirtualClock& clock_;
  Conversation& conversation_;
};

}  // namespace fakes
