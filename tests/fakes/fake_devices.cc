#include "fakes/fake_devices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace fakes {

std::vector<std::string> DeviceRecord::CallNames() const {
  std::vector<std::string> names;
  for (const Call& c : calls) names.push_back(c.name);
  return names;
}

std::vector<std::string> DeviceRecord::CallNames(const std::set<std::string>& only) const {
  std::vector<std::string> names;
  for (const Call& c : calls) {
    if (only.count(c.name) != 0) names.push_back(c.name);
  }
  return names;
}

int DeviceRecord::Count(const std::string& name) const {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.name == name; }));
}

const Call* DeviceRecord::First(const std::string& name) const {
  for (const Call& c : calls) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

const Call* DeviceRecord::Last(const std::string& name) const {
  for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
    if (it->name == name) return &*it;
  }
  return nullptr;
}

namespace {

void LogCall(DeviceRecord& record, platform::VirtualClock& clock, const char* name,
             std::string detail) {
  record.calls.push_back(Call{name, std::move(detail), clock.NowMs()});
}

uint32_t WaitFor(const platform::SerialTimeouts& t, size_t capacity, bool* forever) {
  *forever = false;
  if (t.read_interval == platform::SerialTimeouts::kReturnAtOnce && t.read_multiplier == 0 &&
      t.read_constant == 0) {
    return 0;
  }
  if (t.read_interval == 0 && t.read_multiplier == 0 && t.read_constant == 0) {
    *forever = true;
    return 0;
  }
  const uint64_t total = uint64_t{t.read_constant} + uint64_t{t.read_multiplier} * capacity;
  return static_cast<uint32_t>(std::min<uint64_t>(total, std::numeric_limits<uint32_t>::max()));
}

size_t ClampToSize(long n) { return n < 0 ? 0 : static_cast<size_t>(n); }

}  // namespace

// ---------------------------------------------------------------- shared bookkeeping

FakeDeviceCore::FakeDeviceCore(platform::VirtualClock& clock, Conversation& conversation,
                               DeviceRecord& record)
    : clock_(clock), conversation_(conversation), record_(record) {}

FakeDeviceCore::~FakeDeviceCore() {
  if (open_) --record_.open_devices;
}

void FakeDeviceCore::Log(const char* name, std::string detail) {
  LogCall(record_, clock_, name, std::move(detail));
}

void FakeDeviceCore::BeginOpen(const char* twice_message) {
  if (open_) ADD_FAILURE() << twice_message;
}

bool FakeDeviceCore::FinishOpen(bool ok) {
  record_.open_results.push_back(ok);
  cause_ = ok ? platform::FailureCause::kNone : record_.open_failure_cause;
  if (ok) {
    open_ = true;
    ++record_.open_devices;
  }
  return ok;
}

void FakeDeviceCore::Close() {
  Log("Close");
  if (open_) --record_.open_devices;
  open_ = false;
}

long FakeDeviceCore::Write(const char* name, const uint8_t* data, size_t length,
                           const char* not_open_message) {
  Log(name, ToHex(data, length));
  if (!open_) {
    ADD_FAILURE() << not_open_message;
    return -1;
  }
  return conversation_.OnWrite(data, length);
}

long FakeDeviceCore::Read(const char* name, uint8_t* buffer, size_t capacity, uint32_t max_wait_ms,
                          bool wait_forever, const char* not_open_message) {
  Log(name, std::to_string(capacity));
  if (!open_) {
    ADD_FAILURE() << not_open_message;
    return -1;
  }
  return conversation_.OnRead(buffer, capacity, max_wait_ms, wait_forever);
}

// ---------------------------------------------------------------- serial

FakeSerialPort::FakeSerialPort(platform::VirtualClock& clock, Conversation& conversation,
                               DeviceRecord& record)
    : core_(clock, conversation, record) {}

FakeSerialPort::~FakeSerialPort() = default;

bool FakeSerialPort::Open(const std::string& device_path) {
  DeviceRecord& record = core_.record();
  core_.Log("Open", device_path);
  record.opened_paths.push_back(device_path);
  core_.BeginOpen("serial port opened twice");
  bool ok = true;
  if (record.serial_open_failures > 0) {
    --record.serial_open_failures;
    ok = false;
  }
  return core_.FinishOpen(ok);
}

bool FakeSerialPort::Configure(const platform::LineSettings& settings) {
  core_.Log("Configure");
  core_.record().line_settings.push_back(settings);
  if (!core_.open()) ADD_FAILURE() << "Configure on a port that is not open";
  return core_.open() && core_.record().configure_ok;
}

bool FakeSerialPort::SetTimeouts(const platform::SerialTimeouts& timeouts) {
  DeviceRecord& record = core_.record();
  core_.Log("SetTimeouts");
  record.timeouts.push_back(timeouts);
  if (!core_.open()) ADD_FAILURE() << "SetTimeouts on a port that is not open";
  bool ok = true;
  if (!record.set_timeouts_results.empty()) {
    ok = record.set_timeouts_results.front();
    record.set_timeouts_results.pop_front();
  }
  if (ok) timeouts_ = timeouts;
  return core_.open() && ok;
}

bool FakeSerialPort::Purge() {
  core_.Log("Purge");
  if (core_.open()) core_.conversation().DiscardDue();
  return core_.open() && core_.record().purge_ok;
}

bool FakeSerialPort::ClearEventMask() {
  core_.Log("ClearEventMask");
  return core_.open() && core_.record().clear_event_mask_ok;
}

bool FakeSerialPort::GetModemStatus(platform::ModemStatus* status) {
  DeviceRecord& record = core_.record();
  core_.Log("GetModemStatus");
  if (!core_.open()) return false;
  if (!record.modem_readings.empty()) {
    std::optional<platform::ModemStatus> reading = record.modem_readings.front();
    record.modem_readings.pop_front();
    if (!reading) return false;
    *status = *reading;
    return true;
  }
  *status = platform::ModemStatus{};
  status->dsr = record.dsr_on;
  status->cts = true;
  return true;
}

size_t FakeSerialPort::Write(const uint8_t* data, size_t length) {
  return ClampToSize(core_.Write("Write", data, length, "Write on a serial port that is not open"));
}

size_t FakeSerialPort::Read(uint8_t* buffer, size_t capacity) {
  bool forever = false;
  const uint32_t wait = WaitFor(timeouts_, capacity, &forever);
  return ClampToSize(core_.Read("Read", buffer, capacity, wait, forever,
                                "Read on a serial port that is not open"));
}

void FakeSerialPort::Close() { core_.Close(); }

// ---------------------------------------------------------------- USB device file

FakeDeviceFile::FakeDeviceFile(platform::VirtualClock& clock, Conversation& conversation,
                               DeviceRecord& record)
    : core_(clock, conversation, record) {}

FakeDeviceFile::~FakeDeviceFile() = default;

bool FakeDeviceFile::Open(const std::string& path, bool exclusive) {
  DeviceRecord& record = core_.record();
  core_.Log("Open", path + (exclusive ? " exclusive" : " shared"));
  record.opened_paths.push_back(path);
  core_.BeginOpen("device file opened twice");
  bool ok = record.unopenable_paths.count(path) == 0;
  if (ok && record.device_open_failures > 0) {
    --record.device_open_failures;
    ok = false;
  }
  return core_.FinishOpen(ok);
}

size_t FakeDeviceFile::Write(const uint8_t* data, size_t length) {
  return ClampToSize(core_.Write("Write", data, length, "Write on a device file that is not open"));
}

size_t FakeDeviceFile::Read(uint8_t* buffer, size_t capacity) {
  return ClampToSize(core_.Read("Read", buffer, capacity, kReadTimeoutMs, false,
                                "Read on a device file that is not open"));
}

void FakeDeviceFile::Close() { core_.Close(); }

// ---------------------------------------------------------------- TCP

FakeTcpSocket::FakeTcpSocket(platform::VirtualClock& clock, Conversation& conversation,
                             DeviceRecord& record)
    : core_(clock, conversation, record) {}

FakeTcpSocket::~FakeTcpSocket() = default;

bool FakeTcpSocket::Connect(const std::string& dotted_address, uint16_t port) {
  core_.Log("Connect", dotted_address + ":" + std::to_string(port));
  core_.record().connects.emplace_back(dotted_address, port);
  core_.BeginOpen("socket connected twice");
  return core_.FinishOpen(core_.record().connect_ok &&
                          core_.record().refused_addresses.count(dotted_address) == 0);
}

int FakeTcpSocket::Send(const uint8_t* data, size_t length) {
  const long sent = core_.Write("Send", data, length, "Send on a socket that is not connected");
  // A send cut short is the real socket's time-out, which it reports as unreachable.
  if (sent >= 0 && static_cast<size_t>(sent) < length) {
    core_.SetCause(platform::FailureCause::kUnreachable);
  }
  return static_cast<int>(sent);
}

int FakeTcpSocket::Receive(uint8_t* buffer, size_t capacity) {
  return static_cast<int>(core_.Read("Receive", buffer, capacity, kReceiveTimeoutMs, false,
                                     "Receive on a socket that is not connected"));
}

void FakeTcpSocket::Close() { core_.Close(); }

// ---------------------------------------------------------------- USB enumeration

FakeUsbEnumerator::FakeUsbEnumerator(platform::VirtualClock& clock, DeviceRecord& record)
    : clock_(clock), record_(record) {}

std::optional<std::string> FakeUsbEnumerator::DevicePathAt(int index) {
  LogCall(record_, clock_, "DevicePathAt", std::to_string(index));
  if (index < 0 || static_cast<size_t>(index) >= record_.usb_paths.size()) return std::nullopt;
  return record_.usb_paths[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------- factory

FakeDeviceFactory::FakeDeviceFactory(platform::VirtualClock& clock, Conversation& conversation)
    : clock_(clock), conversation_(conversation) {}

std::unique_ptr<platform::SerialPort> FakeDeviceFactory::NewSerialPort() {
  LogCall(record, clock_, "NewSerialPort", {});
  return std::make_unique<FakeSerialPort>(clock_, conversation_, record);
}

std::unique_ptr<platform::TcpSocket> FakeDeviceFactory::NewTcpSocket() {
  LogCall(record, clock_, "NewTcpSocket", {});
  return std::make_unique<FakeTcpSocket>(clock_, conversation_, record);
}

std::unique_ptr<platform::DeviceFile> FakeDeviceFactory::NewDeviceFile() {
  LogCall(record, clock_, "NewDeviceFile", {});
  return std::make_unique<FakeDeviceFile>(clock_, conversation_, record);
}

std::unique_ptr<platform::UsbPrinterEnumerator> FakeDeviceFactory::NewUsbPrinterEnumerator() {
  LogCall(record, clock_, "NewUsbPrinterEnumerator", {});
  return std::make_unique<FakeUsbEnumerator>(clock_, record);
}

}  // namespace fakes
