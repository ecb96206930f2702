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

}  // namespace

// ---------------------------------------------------------------- serial

FakeSerialPort::FakeSerialPort(platform::VirtualClock& clock, Conversation& conversation,
                               DeviceRecord& record)
    : clock_(clock), conversation_(conversation), record_(record) {}

FakeSerialPort::~FakeSerialPort() {
  if (open_) --record_.open_devices;  // a real backend closes on destruction too
}

void FakeSerialPort::Log(const char* name, std::string detail) {
  LogCall(record_, clock_, name, std::move(detail));
}

bool FakeSerialPort::Open(const std::string& device_path) {
  Log("Open", device_path);
  record_.opened_paths.push_back(device_path);
  if (open_) ADD_FAILURE() << "serial port opened twice";
  bool ok = true;
  if (record_.serial_open_failures > 0) {
    --record_.serial_open_failures;
    ok = false;
  }
  record_.open_results.push_back(ok);
  if (ok) {
    open_ = true;
    ++record_.open_devices;
  }
  return ok;
}

bool FakeSerialPort::Configure(const platform::LineSettings& settings) {
  Log("Configure");
  record_.line_settings.push_back(settings);
  if (!open_) ADD_FAILURE() << "Configure on a port that is not open";
  return open_ && record_.configure_ok;
}

bool FakeSerialPort::SetTimeouts(const platform::SerialTimeouts& timeouts) {
  Log("SetTimeouts");
  record_.timeouts.push_back(timeouts);
  if (!open_) ADD_FAILURE() << "SetTimeouts on a port that is not open";
  bool ok = true;
  if (!record_.set_timeouts_results.empty()) {
    ok = record_.set_timeouts_results.front();
    record_.set_timeouts_results.pop_front();
  }
  if (ok) timeouts_ = timeouts;
  return open_ && ok;
}

bool FakeSerialPort::Purge() {
  Log("Purge");
  if (open_) conversation_.DiscardDue();
  return open_ && record_.purge_ok;
}

bool FakeSerialPort::ClearEventMask() {
  Log("ClearEventMask");
  return open_ && record_.clear_event_mask_ok;
}

bool FakeSerialPort::GetModemStatus(platform::ModemStatus* status) {
  Log("GetModemStatus");
  if (!open_) return false;
  if (!record_.modem_readings.empty()) {
    std::optional<platform::ModemStatus> reading = record_.modem_readings.front();
    record_.modem_readings.pop_front();
    if (!reading) return false;
    *status = *reading;
    return true;
  }
  *status = platform::ModemStatus{};
  status->dsr = record_.dsr_on;
  status->cts = true;
  return true;
}

size_t FakeSerialPort::Write(const uint8_t* data, size_t length) {
  Log("Write", ToHex(data, length));
  if (!open_) {
    ADD_FAILURE() << "Write on a serial port that is not open";
    return 0;
  }
  const long n = conversation_.OnWrite(data, length);
  return n < 0 ? 0 : static_cast<size_t>(n);
}

size_t FakeSerialPort::Read(uint8_t* buffer, size_t capacity) {
  Log("Read", std::to_string(capacity));
  if (!open_) {
    ADD_FAILURE() << "Read on a serial port that is not open";
    return 0;
  }
  bool forever = false;
  const uint32_t wait = WaitFor(timeouts_, capacity, &forever);
  const long n = conversation_.OnRead(buffer, capacity, wait, forever);
  return n < 0 ? 0 : static_cast<size_t>(n);
}

void FakeSerialPort::Close() {
  Log("Close");
  if (open_) --record_.open_devices;
  open_ = false;
}

// ---------------------------------------------------------------- USB device file

FakeDeviceFile::FakeDeviceFile(platform::VirtualClock& clock, Conversation& conversation,
                               DeviceRecord& record)
    : clock_(clock), conversation_(conversation), record_(record) {}

FakeDeviceFile::~FakeDeviceFile() {
  if (open_) --record_.open_devices;
}

void FakeDeviceFile::Log(const char* name, std::string detail) {
  LogCall(record_, clock_, name, std::move(detail));
}

bool FakeDeviceFile::Open(const std::string& path, bool exclusive) {
  Log("Open", path + (exclusive ? " exclusive" : " shared"));
  record_.opened_paths.push_back(path);
  if (open_) ADD_FAILURE() << "device file opened twice";
  bool ok = record_.unopenable_paths.count(path) == 0;
  if (ok && record_.device_open_failures > 0) {
    --record_.device_open_failures;
    ok = false;
  }
  record_.open_results.push_back(ok);
  if (ok) {
    open_ = true;
    ++record_.open_devices;
  }
  return ok;
}

size_t FakeDeviceFile::Write(const uint8_t* data, size_t length) {
  Log("Write", ToHex(data, length));
  if (!open_) {
    ADD_FAILURE() << "Write on a device file that is not open";
    return 0;
  }
  const long n = conversation_.OnWrite(data, length);
  return n < 0 ? 0 : static_cast<size_t>(n);
}

size_t FakeDeviceFile::Read(uint8_t* buffer, size_t capacity) {
  Log("Read", std::to_string(capacity));
  if (!open_) {
    ADD_FAILURE() << "Read on a device file that is not open";
    return 0;
  }
  const long n = conversation_.OnRead(buffer, capacity, kReadTimeoutMs);
  return n < 0 ? 0 : static_cast<size_t>(n);
}

void FakeDeviceFile::Close() {
  Log("Close");
  if (open_) --record_.open_devices;
  open_ = false;
}

// ---------------------------------------------------------------- TCP

FakeTcpSocket::FakeTcpSocket(platform::VirtualClock& clock, Conversation& conversation,
                             DeviceRecord& record)
    : clock_(clock), conversation_(conversation), record_(record) {}

FakeTcpSocket::~FakeTcpSocket() {
  if (open_) --record_.open_devices;
}

void FakeTcpSocket::Log(const char* name, std::string detail) {
  LogCall(record_, clock_, name, std::move(detail));
}

bool FakeTcpSocket::Connect(const std::string& dotted_address, uint16_t port) {
  Log("Connect", dotted_address + ":" + std::to_string(port));
  record_.connects.emplace_back(dotted_address, port);
  if (open_) ADD_FAILURE() << "socket connected twice";
  const bool ok = record_.connect_ok;
  record_.open_results.push_back(ok);
  if (ok) {
    open_ = true;
    ++record_.open_devices;
  }
  return ok;
}

int FakeTcpSocket::Send(const uint8_t* data, size_t length) {
  Log("Send", ToHex(data, length));
  if (!open_) {
    ADD_FAILURE() << "Send on a socket that is not connected";
    return -1;
  }
  return static_cast<int>(conversation_.OnWrite(data, length));
}

int FakeTcpSocket::Receive(uint8_t* buffer, size_t capacity) {
  Log("Receive", std::to_string(capacity));
  if (!open_) {
    ADD_FAILURE() << "Receive on a socket that is not connected";
    return -1;
  }
  return static_cast<int>(conversation_.OnRead(buffer, capacity, kReceiveTimeoutMs));
}

void FakeTcpSocket::Close() {
  Log("Close");
  if (open_) --record_.open_devices;
  open_ = false;
}

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
