// The window host module's entry point: a session holds the QApplication and the QtHost for the
// program's run.

#include <QApplication>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "ui/core/host_module.h"
#include "ui/qt/qt_host.h"

namespace ui {
namespace {

class QtHostSession : public HostSession {
 public:
  QtHostSession(const char* program, platform::Clock& clock, Resources resources)
      : name_(program),
        argv_{name_.data(), nullptr},
        application_(argc_, argv_),
        host_(clock, std::move(resources)) {}
  LoopHost& host() override { return host_; }

 private:
  // QApplication keeps references to argc and argv for its whole life.
  std::string name_;
  char* argv_[2];
  int argc_ = 1;
  QApplication application_;
  QtHost host_;
};

}  // namespace
}  // namespace ui

extern "C" __attribute__((visibility("default"))) ui::HostSession* pelliset_open_host(
    int abi, const char* program, platform::Clock* clock, ui::Resources* resources) {
  static_assert(std::is_same_v<decltype(&pelliset_open_host), PellisetOpenHostFunction>);
  static_assert(std::string_view(ui::kOpenHostSymbol) == "pelliset_open_host");
  if (abi != ui::kHostModuleAbi) return nullptr;
  try {
    return std::make_unique<ui::QtHostSession>(program, *clock, std::move(*resources)).release();
  } catch (...) {
    return nullptr;
  }
}
