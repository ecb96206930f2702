// The edit checks with the framework's own messages, and typing into edits.

#include <gtest/gtest.h>

#include "platform/system/clock.h"
#include "test_dialogs.h"
#include "ui/automation/scripted_host.h"

namespace {

using ui_test::EveryKindTemplate;
using ui_test::ProbeDialog;

struct RangeCase {
  const char* text;
  bool ok;
  uint32_t value;       // when ok
  const char* message;  // when not ok
};

TEST(EditChecks, UnsignedRangeAcceptsOrShowsTheFrameworkMessage) {
  const RangeCase cases[] = {
      {"0", true, 0, nullptr},
      {"90", true, 90, nullptr},
      {" 45 ", true, 45, nullptr},
      {"91", false, 0, "Enter an integer between 0 and 90."},
      {"99999999999", false, 0, "Enter an integer between 0 and 90."},
      {"", false, 0, "Enter a positive integer."},
      {"-1", false, 0, "Enter a positive integer."},
      {"1a", false, 0, "Enter a positive integer."},
      {"4 5", false, 0, "Enter a positive integer."},
  };
  for (const RangeCase& c : cases) {
    platform::VirtualClock clock;
    ui::ScriptedHost host(clock, ui::Resources({}, "Pelliset"));
    ProbeDialog dlg(EveryKindTemplate());
    uint32_t value = 7;
    bool ok = false;
    dlg.init = [&](ProbeDialog& d) {
      d.GetEdit(14).SetText(c.text);
      ok = d.ReadUIntRange(14, 0, 90, &value);
      EXPECT_EQ(d.GetFocusId(), c.ok ? 10 : 14) << c.text;  // focus moves only on failure
      d.EndDialog(ui::IDOK);
    };
    host.Queue("answer OK");
    dlg.DoModal(host);
    EXPECT_EQ(ok, c.ok) << c.text;
    const auto boxes = host.EventsOf(ui::EventKind::kMessageBox);
    if (c.ok) {
      EXPECT_EQ(value, c.value) << c.text;
      EXPECT_TRUE(boxes.empty()) << c.text;
    } else {
      EXPECT_EQ(value, 7u) << c.text;  // left as it was
      ASSERT_EQ(boxes.size(), 1u) << c.text;
      EXPECT_EQ(boxes[0].text, c.message);
      EXPECT_EQ(boxes[0].caption, "Pelliset");
      EXPECT_EQ(boxes[0].flags, ui::MB_OK | ui::MB_ICONEXCLAMATION);
    }
  }
}

TEST(EditChecks, SignedRangeAndLengthMessages) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock, ui::Resources({}, "App"));
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    int32_t v = 0;
    d.GetEdit(14).SetText("-288");
    EXPECT_TRUE(d.ReadIntRange(14, -288, 640, &v));
    EXPECT_EQ(v, -288);
    d.GetEdit(14).SetText("-289");
    EXPECT_FALSE(d.ReadIntRange(14, -288, 640, &v));
    d.GetEdit(14).SetText("x");
    EXPECT_FALSE(d.ReadIntRange(14, -288, 640, &v));
    std::string pin;
    d.GetEdit(14).SetText("1234567890123");
    EXPECT_FALSE(d.ReadTextMax(14, 12, &pin));
    d.GetEdit(14).SetText("äöü");  // three characters, six bytes
    EXPECT_TRUE(d.ReadTextMax(14, 3, &pin));
    EXPECT_EQ(pin, "äöü");
    d.EndDialog(ui::IDOK);
  };
  host.Queue({"answer OK", "answer OK", "answer OK"});
  dlg.DoModal(host);
  std::vector<std::string> texts;
  for (const auto& e : host.EventsOf(ui::EventKind::kMessageBox)) texts.push_back(e.text);
  EXPECT_EQ(texts,
            (std::vector<std::string>{"Enter an integer between -288 and 640.", "Enter an integer.",
                                      "Enter no more than 12 characters."}));
}

TEST(EditChecks, PackTranslatesTheFrameworkMessages) {
  ui::ResourcePack pack;
  pack.strings[ui::kFrameworkStringBase + static_cast<int>(ui::FrameworkText::kIntRange)] =
      "Ganze Zahl zwischen %1 und %2 eingeben.";
  ui::Resources res({}, "Pelliset");
  res.SetPack(pack);
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock, res);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    uint32_t v = 0;
    d.GetEdit(14).SetText("300");
    d.ReadUIntRange(14, 0, 255, &v);
    d.EndDialog(ui::IDOK);
  };
  host.Queue("answer OK");
  dlg.DoModal(host);
  ASSERT_EQ(host.EventsOf(ui::EventKind::kMessageBox).size(), 1u);
  EXPECT_EQ(host.EventsOf(ui::EventKind::kMessageBox)[0].text,
            "Ganze Zahl zwischen 0 und 255 eingeben.");
}

// An edit that checks itself on every change, the way the settings pages do: typing 91 over 30
// shows the range message at the second keystroke and keeps 9, the last accepted value.
TEST(EditChecks, CheckOnEveryKeystrokeKeepsTheLastAcceptedValue) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock, ui::Resources({}, "Pelliset"));
  ProbeDialog dlg(EveryKindTemplate());
  uint32_t accepted = 30;
  std::vector<std::string> texts_seen;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify code) {
    if (id == 13 && code == ui::Notify::kEditChange) {
      texts_seen.push_back(d.GetEdit(13).GetText());
      d.ReadUIntRange(13, 0, 90, &accepted);
      return true;
    }
    return false;
  };
  host.Queue({"type 13 \"91\"", "answer OK", "click 1"});
  EXPECT_EQ(dlg.DoModal(host), ui::IDOK);
  EXPECT_EQ(host.ErrorCount(), 0);
  EXPECT_EQ(texts_seen, (std::vector<std::string>{"9", "91"}));
  EXPECT_EQ(accepted, 9u);
  const auto boxes = host.EventsOf(ui::EventKind::kMessageBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Enter an integer between 0 and 90.");
}

TEST(EditChecks, TypingHonoursNumberOnlyAndTheTextLimit) {
  struct Case {
    const char* line;
    int edit;
    const char* result;
    int changes;
  };
  const Case cases[] = {
      {"type 13 \"12a3\"", 13, "123", 3},   // digits only; the letter is refused
      {"type 13 \"12345\"", 13, "123", 3},  // limit 3
      {"type 13 \"\"", 13, "", 1},          // clearing is one change
      {"type 14 \"ab\\\"c\"", 14, "ab\"c", 4},
      {"type 14 \"€x\"", 14, "€x", 2},  // one keystroke per character, not per byte
  };
  for (const Case& c : cases) {
    platform::VirtualClock clock;
    ui::ScriptedHost host(clock);
    ProbeDialog dlg(EveryKindTemplate());
    std::string result;
    dlg.destroy = [&](ProbeDialog& d) { result = d.GetEdit(c.edit).GetText(); };
    host.Queue({c.line, "click 1"});
    dlg.DoModal(host);
    EXPECT_EQ(host.ErrorCount(), 0) << c.line;
    EXPECT_EQ(result, c.result) << c.line;
    const std::string change = "cmd " + std::to_string(c.edit) + " change";
    EXPECT_EQ(std::count(dlg.log.begin(), dlg.log.end(), change), c.changes) << c.line;
  }
}

TEST(EditChecks, ReadOnlyEditRefusesTyping) {
  platform::VirtualClock clock;
  ui::ScriptedHost host(clock);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.GetEdit(14).SetReadOnly(true); };
  host.Queue({"type 14 \"x\"", "click 1"});
  dlg.DoModal(host);
  ASSERT_EQ(host.ErrorCount(), 1);
  EXPECT_EQ(host.EventsOf(ui::EventKind::kError)[0].text, "type 14 \"x\": edit 14 is read-only");
}

}  // namespace
