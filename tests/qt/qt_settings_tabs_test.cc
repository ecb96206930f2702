// The settings tab dialog in a window: Tab follows the templates with the shown page's controls
// right after the tab row, a radio group is one stop, and a number edit out of range brings the
// framework's message, after which the focus is back in the edit, as on the terminal.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QWidget>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "desktop/vmsm_tab_dlg.h"
#include "desktop/vmsm_tab_strings.h"
#include "fakes/test_services.h"
#include "platform/system/clock.h"
#include "protocol/common_util.h"
#include "ui/qt/qt_host.h"

namespace desktop {
namespace {

void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = {}) {
  ASSERT_NE(target, nullptr);
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QApplication::sendEvent(target, &release);
}

class QtSettingsTabs : public ::testing::Test {
 protected:
  QtSettingsTabs() : host_(clock_, Resources()) {
    util_.SetIdentityForTest({.firmware_version = protocol::kFirmwareNewer});
    record_.Service = 1;  // black mark: the tear-off edit takes input too
    record_.TimeOff = 30;
    host_.SetUserTurn([this](uint32_t) {
      if (turns_.empty()) return false;
      auto turn = std::move(turns_.front());
      turns_.pop_front();
      turn();
      return false;
    });
  }
  void TearDown() override { EXPECT_TRUE(turns_.empty()) << turns_.size() << " turn(s) left"; }

  static ui::Resources Resources() {
    ui::StringTable table;
    desktop::AddVmsmTabStrings(table);
    return ui::Resources(table, "Pelliset");
  }

  int Launch() {
    CDlgVMSM dlg(record_,
                 {util_.identity().firmware_version, "2.00", util_.identity().code_page_text});
    dlg_ = &dlg;
    const int result = dlg.DoModal(host_);
    dlg_ = nullptr;
    if (result == ui::IDOK) record_ = dlg.values();
    return result;
  }

  QWidget* WidgetOf(ui::Dialog& owner, int id) {
    return host_.WidgetOf(*dlg_, owner.GetControl(id));
  }
  // The control a widget shows, as the command language names it: "ID" on the frame,
  // "TEMPLATE:ID" on a page.
  std::string NameOf(const QWidget* w) {
    for (ui::Dialog* d :
         {static_cast<ui::Dialog*>(dlg_), static_cast<ui::Dialog*>(&dlg_->tab1()),
          static_cast<ui::Dialog*>(&dlg_->tab2()), static_cast<ui::Dialog*>(&dlg_->tab3())}) {
      for (const auto& c : d->Controls()) {
        if (host_.WidgetOf(*dlg_, *c) != w) continue;
        const std::string id = std::to_string(c->id());
        return d == dlg_ ? id : std::to_string(d->TemplateId()) + ":" + id;
      }
    }
    return "?";
  }
  QWidget* Focused() { return host_.WindowOf(*dlg_)->focusWidget(); }
  QMessageBox* Box() { return dynamic_cast<QMessageBox*>(host_.ActiveMessageBox()); }

  fakes::TestServices services_;
  protocol::CCommonUtil util_{services_.services};
  platform::RealClock clock_;
  ui::QtHost host_;
  protocol::PrinterSettings record_;
  CDlgVMSM* dlg_ = nullptr;
  std::deque<std::function<void()>> turns_;
};

TEST_F(QtSettingsTabs, TabVisitsTheFrameWithTheShownPageRightAfterTheTabRow) {
  int list_row = -1;
  turns_.push_back([&] { static_cast<QTabBar*>(WidgetOf(*dlg_, 1022))->setCurrentIndex(1); });
  turns_.push_back([&] {
    WidgetOf(*dlg_, 1022)->setFocus(Qt::TabFocusReason);
    std::vector<std::string> order{NameOf(Focused())};
    for (int i = 0; i < 12; ++i) {
      Key(Focused(), Qt::Key_Tab);
      order.push_back(NameOf(Focused()));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"1022", "141:1007", "141:1014", "141:1008",
                                               "141:1107", "141:1100", "141:1101", "141:1102",
                                               "141:1000", "1", "1000", "2", "1022"}));
    Key(Focused(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(NameOf(Focused()), "2");
    // Ctrl-PgDn / Ctrl-Tab / Ctrl-Shift-Tab step through the pages from anywhere, round the end,
    // a drop-down list included (which would take Ctrl-PgDn as its next row), and leave the
    // focus on the tab row.
    auto* list = static_cast<QComboBox*>(WidgetOf(dlg_->tab2(), 1008));
    list_row = list->currentIndex();
    list->setFocus(Qt::TabFocusReason);
    Key(list, Qt::Key_PageDown, Qt::ControlModifier);
  });
  turns_.push_back([&] {
    EXPECT_TRUE(dlg_->tab3().IsWindowVisible());
    EXPECT_EQ(static_cast<QComboBox*>(WidgetOf(dlg_->tab2(), 1008))->currentIndex(), list_row);
    EXPECT_EQ(NameOf(Focused()), "1022");
    Key(Focused(), Qt::Key_Tab, Qt::ControlModifier);
  });
  turns_.push_back([&] {
    EXPECT_TRUE(dlg_->tab1().IsWindowVisible());
    Key(Focused(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  });
  turns_.push_back([&] {
    EXPECT_TRUE(dlg_->tab3().IsWindowVisible());
    static_cast<QPushButton*>(WidgetOf(*dlg_, 2))->click();
  });
  EXPECT_EQ(Launch(), ui::IDCANCEL);
}

// A radio group is one Tab stop, its checked radio; the arrows choose the next radio of the
// group, round its end, as on the terminal.
TEST_F(QtSettingsTabs, ARadioGroupIsOneTabStopAndTheArrowsChooseWithinIt) {
  record_.FontType = 1;  // font B
  turns_.push_back([&] {
    WidgetOf(*dlg_, 1022)->setFocus(Qt::TabFocusReason);
    std::vector<std::string> order{NameOf(Focused())};
    for (int i = 0; i < 6; ++i) {
      Key(Focused(), Qt::Key_Tab);
      order.push_back(NameOf(Focused()));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"1022", "140:1092", "140:1093", "140:1094",
                                               "140:1004", "140:1006", "1"}));
    Key(Focused(), Qt::Key_Backtab, Qt::ShiftModifier);
    Key(Focused(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_EQ(NameOf(Focused()), "140:1004");
    Key(Focused(), Qt::Key_Down);
  });
  turns_.push_back([&] {
    EXPECT_EQ(NameOf(Focused()), "140:1005");
    Key(Focused(), Qt::Key_Right);
  });
  turns_.push_back([&] {
    EXPECT_EQ(NameOf(Focused()), "140:1003");
    Key(Focused(), Qt::Key_Up);
  });
  turns_.push_back([&] {
    EXPECT_EQ(NameOf(Focused()), "140:1005");
    Key(Focused(), Qt::Key_Tab);
    EXPECT_EQ(NameOf(Focused()), "140:1006");
    static_cast<QPushButton*>(WidgetOf(*dlg_, 1))->click();
  });
  EXPECT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(record_.FontType, 2u);  // font C
}

// Typing 91 over 30 in the auto power-off minutes (0 to 90): the message at the second
// keystroke, the record keeping 9, the last value in range; Save refused with the same message
// while the edit shows 91, the focus back in the edit after each with its text selected; 9 saves.
TEST_F(QtSettingsTabs, RangeMessageFromTypingAndFromSaveLeavesTheFocusInTheEdit) {
  const QString message = QStringLiteral("Enter an integer between 0 and 90.");
  auto edit = [&] { return static_cast<QLineEdit*>(WidgetOf(dlg_->tab2(), 1100)); };
  auto save = [&] { return static_cast<QPushButton*>(WidgetOf(*dlg_, 1)); };
  auto answer_box = [&] {
    ASSERT_NE(Box(), nullptr);
    EXPECT_EQ(Box()->text(), message);
    EXPECT_EQ(Box()->windowTitle(), "Pelliset");
    EXPECT_EQ(Box()->icon(), QMessageBox::Warning);
    Box()->button(QMessageBox::Ok)->click();
  };
  turns_.push_back([&] { static_cast<QTabBar*>(WidgetOf(*dlg_, 1022))->setCurrentIndex(1); });
  turns_.push_back([&] {
    ASSERT_EQ(edit()->text(), "30");
    edit()->setFocus(Qt::TabFocusReason);
    edit()->selectAll();
    Key(edit(), Qt::Key_9, Qt::NoModifier, "9");
  });
  turns_.push_back([&] {
    EXPECT_EQ(Box(), nullptr);
    Key(edit(), Qt::Key_1, Qt::NoModifier, "1");
  });
  turns_.push_back(answer_box);
  turns_.push_back([&] {
    EXPECT_EQ(Box(), nullptr);
    EXPECT_EQ(Focused(), edit());
    EXPECT_EQ(edit()->text(), "91");
    EXPECT_EQ(edit()->selectedText(), "91");  // what is typed next replaces it
    EXPECT_EQ(dlg_->values().TimeOff, 9u);
    save()->setFocus(Qt::TabFocusReason);
    save()->click();
  });
  turns_.push_back(answer_box);
  turns_.push_back([&] {
    EXPECT_EQ(Focused(), edit());
    EXPECT_EQ(dlg_->tab2().GetFocusId(), 1100);
    EXPECT_EQ(edit()->text(), "91");
    EXPECT_EQ(edit()->selectedText(), "91");
    edit()->end(false);
    Key(edit(), Qt::Key_Backspace);
  });
  turns_.push_back([&] {
    EXPECT_EQ(Box(), nullptr);
    save()->setFocus(Qt::TabFocusReason);
    save()->click();
  });
  EXPECT_EQ(Launch(), ui::IDOK);
  EXPECT_EQ(record_.TimeOff, 9u);
}

}  // namespace
}  // namespace desktop
