#pragma once

// Small dialogs the framework tests run: each records what the framework told it.

#include <functional>
#include <string>
#include <vector>

#include "ui/core/dialog.h"

namespace ui_test {

// A dialog whose handlers are plugged in by each test.
class ProbeDialog : public ui::Dialog {
 public:
  explicit ProbeDialog(const ui::Template& t) : ui::Dialog(t) {}
  std::function<void(ProbeDialog&)> init;
  std::function<void(ProbeDialog&, int)> timer;
  std::function<bool(ProbeDialog&, int, ui::Notify)> command;  // true: handled
  std::function<void(ProbeDialog&)> destroy;
  std::vector<std::string> log;  // "cmd 1000 clicked", "timer 5 @120"...
  bool stops_between_steps = false;

  bool StopsBetweenSteps() const override { return stops_between_steps; }

  bool OnInitDialog() override {
    if (init) init(*this);
    return true;
  }
  void OnTimer(int id) override {
    log.push_back("timer " + std::to_string(id) + " @" + std::to_string(clock().TickCount()));
    if (timer) timer(*this, id);
  }
  void OnCommand(int id, ui::Notify code) override {
    log.push_back("cmd " + std::to_string(id) + " " + Name(code));
    if (command && command(*this, id, code)) return;
    ui::Dialog::OnCommand(id, code);
  }
  void OnSysCommand(int id) override { log.push_back("sys " + std::to_string(id)); }
  void OnDestroy() override {
    log.push_back("destroy");
    if (destroy) destroy(*this);
  }

  static std::string Name(ui::Notify code) {
    switch (code) {
      case ui::Notify::kClicked:
        return "clicked";
      case ui::Notify::kSelChange:
        return "selchange";
      case ui::Notify::kEditChange:
        return "change";
      case ui::Notify::kItemChanged:
        return "itemchanged";
      case ui::Notify::kScroll:
        return "scroll";
    }
    return "?";
  }
};

// A template with one control of every kind, in a known tab order.
const ui::Template& EveryKindTemplate();

}  // namespace ui_test
