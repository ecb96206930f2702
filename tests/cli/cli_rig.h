#pragma once

// pelliset run in-process against virtual printers, one per address, in virtual time: what a run
// printed, its exit status, and every byte each printer received.

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "fakes/sim_services.h"

namespace clitest {

class CliRig {
 public:
  // The virtual printer at `address` (made on first use; make them all before a run).
  fakes::SimServices& Printer(const std::string& address) {
    auto& slot = printers_[address];
    if (!slot) slot = std::make_unique<fakes::SimServices>();
    return *slot;
  }

  int Run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    cli::CliEnvironment environment{out_, err_};
    environment.names = names;
    environment.port_registry = port_registry;
    environment.make_services = [this](const cli::PrinterAddress& address) {
      if (before_start) before_start(address.text);
      return std::make_unique<Borrowed>(Lookup(address.text));
    };
    environment.watch_interrupts = [this] { return &interrupted; };
    return cli::RunCli(args, environment);
  }

  // Called on the fleet's thread as each printer starts, before its services are made.
  std::function<void(const std::string& address)> before_start;
  // Ctrl-C, as the program's signal handler sets it.
  std::atomic<bool> interrupted{false};
  // Answers for host names in every run (null: the system's name service).
  platform::HostResolver* names = nullptr;
  // Where COMn names are looked up (null: they are not).
  platform::Registry* port_registry = nullptr;

  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }
  // Every byte the printer at `address` received, all runs together.
  const std::vector<uint8_t>& Received(const std::string& address) {
    return Printer(address).devices.line().sent;
  }

 private:
  class Borrowed : public cli::PrinterServices {
   public:
    explicit Borrowed(platform::Services& services) : services_(services) {}
    platform::Services& services() override { return services_; }

   private:
    platform::Services& services_;
  };

  // Runs on the fleet's threads: only finds, never inserts. A printer the test did not make is
  // a silent one of its own.
  platform::Services& Lookup(const std::string& address) {
    const auto it = printers_.find(address);
    if (it != printers_.end()) return it->second->services;
    return unknown_.services;
  }

  std::map<std::string, std::unique_ptr<fakes::SimServices>> printers_;
  fakes::SimServices unknown_;
  std::ostringstream out_;
  std::ostringstream err_;
};

}  // namespace clitest
