#pragma once

// The settings transfer against the virtual printer, in virtual time: a CCommonUtil and a
// CCommonVmsm whose link reaches a sim::PrinterModel over TCP, a scripted host with the
// transfer's strings, and a way to make one command fail on the wire.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/memory_registry.h"
#include "platform/system/clock.h"
#include "platform/system/services.h"
#include "platform/system/trace.h"
#include "protocol/common_util.h"
#include "protocol/common_vmsm.h"
#include "settings/dialogs/vmsm_pro_dlg.h"
#include "settings/dialogs/vmsm_pro_template.h"
#include "settings/vmsm_strings.h"
#include "sim/printer_model.h"
#include "sim/sim_transports.h"
#include "ui/automation/scripted_host.h"

namespace transfer_test {

// A byte pattern a write must start with; -1 matches any byte. `length` 0: any length.
struct WritePattern {
  std::vector<int> head;
  size_t length = 0;

  bool Matches(const uint8_t* data, size_t size) const {
    if (length != 0 && size != length) return false;
    if (size < head.size()) return false;
    for (size_t i = 0; i < head.size(); ++i) {
      if (head[i] >= 0 && data[i] != head[i]) return false;
    }
    return true;
  }
};

// The first send matching the armed pattern fails outright, as a broken cable would.
struct WireFault {
  std::optional<WritePattern> fail_write;
  int fired = 0;
};

class FaultySocket : public platform::TcpSocket {
 public:
  FaultySocket(std::unique_ptr<platform::TcpSocket> inner, WireFault& fault)
      : inner_(std::move(inner)), fault_(fault) {}
  bool Connect(const std::string& address, uint16_t port) override {
    return inner_->Connect(address, port);
  }
  int Send(const uint8_t* data, size_t length) override {
    if (fault_.fail_write && fault_.fail_write->Matches(data, length)) {
      fault_.fail_write.reset();
      ++fault_.fired;
      return -1;
    }
    return inner_->Send(data, length);
  }
  int Receive(uint8_t* buffer, size_t capacity) override {
    return inner_->Receive(buffer, capacity);
  }
  void Close() override { inner_->Close(); }
  platform::FailureCause LastCause() const override { return inner_->LastCause(); }

 private:
  std::unique_ptr<platform::TcpSocket> inner_;
  WireFault& fault_;
};

class FaultyFactory : public platform::DeviceFactory {
 public:
  FaultyFactory(sim::SimDeviceFactory& inner, WireFault& fault) : inner_(inner), fault_(fault) {}
  std::unique_ptr<platform::SerialPort> NewSerialPort() override { return inner_.NewSerialPort(); }
  std::unique_ptr<platform::TcpSocket> NewTcpSocket() override {
    return std::make_unique<FaultySocket>(inner_.NewTcpSocket(), fault_);
  }
  std::unique_ptr<platform::DeviceFile> NewDeviceFile() override { return inner_.NewDeviceFile(); }
  std::unique_ptr<platform::UsbPrinterEnumerator> NewUsbPrinterEnumerator() override {
    return inner_.NewUsbPrinterEnumerator();
  }

 private:
  sim::SimDeviceFactory& inner_;
  WireFault& fault_;
};

inline ui::Resources TransferResources() {
  ui::StringTable table;
  settings::AddTransferStrings(table);
  return ui::Resources(std::move(table), "Pelliset");
}

// Records what the line showed at the end of each timer event, and can press Cancel after one.
class ProbeDlg : public settings::CVmsmProDlg {
 public:
  using settings::CVmsmProDlg::CVmsmProDlg;
  struct Seen {
    int event;
    int position;
    std::string text;
    uint64_t at_ms;
  };
  std::vector<Seen> seen;
  int cancel_after = 0;  // event after which the user presses Cancel
  ui::ScriptedHost* scripted = nullptr;

  std::vector<int> Events() const {
    std::vector<int> ids;
    for (const Seen& s : seen) ids.push_back(s.event);
    return ids;
  }

 protected:
  void OnTimer(int id) override {
    settings::CVmsmProDlg::OnTimer(id);
    seen.push_back({id, position(), GetDlgItemText(settings::kVmsmProTextId), clock().TickCount()});
    if (id == cancel_after && scripted != nullptr) scripted->Queue("click 2");
  }
};

// The scripted host, where a user can also press Cancel while the printer is waited on: from
// `cancel_at_ms` of virtual time on (0: never).
class CancellingHost : public ui::ScriptedHost {
 public:
  CancellingHost(platform::VirtualClock& clock, ui::Resources texts)
      : ui::ScriptedHost(clock, std::move(texts)), clock_(clock) {}
  bool CancelKeptFor(const ui::Dialog&) const override {
    return cancel_at_ms != 0 && clock_.NowMs() >= cancel_at_ms;
  }
  uint64_t cancel_at_ms = 0;

 private:
  platform::VirtualClock& clock_;
};

// How often `pattern` occurs in `bytes`.
inline int Occurrences(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& pattern) {
  int count = 0;
  for (auto it = bytes.begin();
       (it = std::search(it, bytes.end(), pattern.begin(), pattern.end())) != bytes.end(); ++it) {
    ++count;
  }
  return count;
}

class TransferFixture : public ::testing::Test {
 protected:
  TransferFixture() {
    util_.SetLinkSettings(
        {.interface = devlink::CDev::kInterfaceTcp, .port_name = "NET127.0.0.1", .tcp_port = 9100});
    // Many runs share one host; no user is expected to type anything.
    host_.SetIdleLimitMs(uint64_t{1000} * 3600 * 24 * 365);
  }

  // Runs the dialog in `mode` to its end; the result.
  int Run(ProbeDlg& dlg) {
    dlg.scripted = &host_;
    return dlg.DoModal(host_);
  }
  int Run(settings::TransferMode mode) {
    last_ = std::make_unique<ProbeDlg>(mode, &vmsm_);
    return Run(*last_);
  }
  // A successful read-all, for the writes that follow one.
  void ReadAll() {
    ASSERT_EQ(Run(settings::CVmsmProDlg::kModeReadAll), ui::IDOK) << last_->message();
    factory_.line().sent.clear();
  }
  const std::vector<uint8_t>& Sent() { return factory_.line().sent; }
  void UseOlderFirmware() { printer_.config().firmware = sim::kOlderFirmware; }

  platform::VirtualClock clock_{50000};
  sim::PrinterModel printer_;
  sim::SimDeviceFactory factory_{printer_, clock_};
  WireFault fault_;
  FaultyFactory faulty_{factory_, fault_};
  platform::MemoryRegistry registry_;
  platform::NullTrace trace_;
  platform::Services services_{clock_, faulty_, registry_, trace_};
  protocol::CCommonUtil util_{services_};
  protocol::CCommonVmsm vmsm_{&util_, clock_};
  CancellingHost host_{clock_, TransferResources()};
  std::unique_ptr<ProbeDlg> last_;
};

}  // namespace transfer_test
