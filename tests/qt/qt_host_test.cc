// The window host on Qt's offscreen platform: every control on a native widget as its template
// says, and the user's actions on the widgets reaching the dialog as the same notifications the
// other hosts give.

#include "ui/qt/qt_host.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFocusEvent>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSlider>
#include <QTreeWidget>
#include <QWindow>
#include <algorithm>
#include <deque>
#include <functional>

#include "platform/system/clock.h"
#include "ui/test_dialogs.h"

namespace {

using ui_test::EveryKindTemplate;
using ui_test::ProbeDialog;

// The user's turns, one each time the host waits for input.
struct User {
  explicit User(ui::QtHost& host) {
    host.SetUserTurn([this](uint32_t) {
      if (turns.empty()) return false;
      auto turn = std::move(turns.front());
      turns.pop_front();
      turn();
      return false;
    });
  }
  std::deque<std::function<void()>> turns;
};

template <class W>
W* Widget(ui::QtHost& host, ProbeDialog& dlg, int id) {
  return dynamic_cast<W*>(host.WidgetOf(dlg, dlg.GetControl(id)));
}

TEST(QtHost, WidgetsFollowTheTemplateAndTheUsersActionsReachTheDialog) {
  platform::RealClock clock;
  ui::QtHost host(clock);
  User user(host);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    d.GetComboBox(10).AddString("beta");
    d.GetComboBox(10).AddString("alpha");
    platform::RgbImage image{2, 1, {255, 0, 0, 0, 0, 255}};
    d.GetPicture(27).SetImage(image);
    d.AppendSystemMenu(ui::IDM_ABOUTBOX, "&About Pelliset...");
  };
  int answer = 0;
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id == 1000)
      answer = d.MessageBox("Store it?", "Pelliset", ui::MB_YESNO | ui::MB_ICONQUESTION);
    return false;
  };

  // First look: one widget a control, shown, enabled and captioned as the template says, each
  // inside the window.
  user.turns.push_back([&] {
    QWidget* window = host.WindowOf(dlg);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Every Kind");
    for (const auto& c : dlg.Controls()) {
      QWidget* w = host.WidgetOf(dlg, *c);
      ASSERT_NE(w, nullptr) << c->id();
      EXPECT_TRUE(window->rect().contains(w->geometry())) << c->id();
    }
    EXPECT_EQ(Widget<QPushButton>(host, dlg, 1000)->text(), "Go");
    EXPECT_EQ(Widget<QCheckBox>(host, dlg, 23)->text(), "Check");
    EXPECT_EQ(Widget<QGroupBox>(host, dlg, 28)->title(), "Group");
    EXPECT_FALSE(Widget<QPushButton>(host, dlg, 29)->isVisibleTo(window));
    EXPECT_FALSE(Widget<QPushButton>(host, dlg, 29)->isEnabled());
    EXPECT_TRUE(Widget<QPushButton>(host, dlg, 1)->isDefault());
    auto* combo = Widget<QComboBox>(host, dlg, 10);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "alpha");  // the template sorts this list
    // The picture fills its square frame's width, keeping its proportions.
    auto* picture = Widget<QLabel>(host, dlg, 27);
    const QImage shown = picture->pixmap().toImage();
    const int side = picture->contentsRect().width();
    ASSERT_GT(side, 10);
    ASSERT_EQ(shown.size(), QSize(side, side / 2));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(side - 1, side / 2 - 1), QColor(0, 0, 255));
    // For people to look at: build/screenshots/every_kind.png.
    QDir().mkpath(QStringLiteral(PELLISET_BINARY_DIR "/screenshots"));
    EXPECT_TRUE(
        window->grab().save(QStringLiteral(PELLISET_BINARY_DIR "/screenshots/every_kind.png")));
    combo->activated(1);
  });
  user.turns.push_back([&] { Widget<QLineEdit>(host, dlg, 14)->textEdited("ab"); });
  user.turns.push_back([&] { Widget<QSlider>(host, dlg, 24)->setValue(30); });
  user.turns.push_back([&] { Widget<QCheckBox>(host, dlg, 23)->click(); });
  user.turns.push_back([&] { Widget<QPushButton>(host, dlg, 1000)->click(); });
  user.turns.push_back([&] {
    auto* box = dynamic_cast<QMessageBox*>(host.ActiveMessageBox());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Store it?");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    // A Yes/No box must be answered: Esc is no answer (Qt would take it for No), as in the
    // terminal, so the answer is the Yes clicked after it.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(box->defaultButton(), &esc);
    EXPECT_FALSE(box->close());  // nor is the title bar's close
    box->button(QMessageBox::Yes)->click();
  });
  user.turns.push_back([&] {
    // The system menu's entries are the window's context menu.
    const QList<QAction*> menu = host.WindowOf(dlg)->actions();
    ASSERT_EQ(menu.size(), 1);
    EXPECT_EQ(menu[0]->text(), "&About Pelliset...");
    menu[0]->trigger();
  });
  user.turns.push_back([&] { Widget<QPushButton>(host, dlg, 2)->click(); });

  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  EXPECT_TRUE(user.turns.empty());
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"cmd 10 selchange", "cmd 14 change", "cmd 24 scroll",
                                               "cmd 23 clicked", "cmd 1000 clicked", "sys 16",
                                               "cmd 2 clicked", "destroy"}));
  EXPECT_EQ(answer, ui::IDYES);
}

// Rows chosen in a multi-selection list box and a report list view become extend, a row taken
// out becomes a change of its own, each with the notification its kind sends.
TEST(QtHost, ListRowsChosenAndTakenOutReachTheDialog) {
  platform::RealClock clock;
  ui::QtHost host(clock);
  User user(host);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) {
    for (const char* row : {"one", "two", "three"}) d.GetListBox(11).AddString(row);
    ui::ListView& lv = d.GetListView(12);
    lv.InsertColumn(0, "Key", 40);
    lv.InsertColumn(1, "Size", 40);
    lv.SetItemText(lv.InsertItem(0, "10"), 1, "4096");
    lv.SetItemText(lv.InsertItem(1, "11"), 1, "16");
  };
  auto list = [&] { return Widget<QListWidget>(host, dlg, 11); };
  auto tree = [&] { return Widget<QTreeWidget>(host, dlg, 12); };
  user.turns.push_back([&] {
    ASSERT_EQ(tree()->columnCount(), 2);
    EXPECT_EQ(tree()->headerItem()->text(1), "Size");
    EXPECT_EQ(tree()->topLevelItem(1)->text(1), "16");
    list()->item(2)->setSelected(true);
  });
  user.turns.push_back([&] { list()->item(0)->setSelected(true); });
  user.turns.push_back([&] { list()->item(2)->setSelected(false); });
  user.turns.push_back([&] { tree()->topLevelItem(1)->setSelected(true); });
  user.turns.push_back([&] { Widget<QPushButton>(host, dlg, 2)->click(); });
  dlg.command = [&](ProbeDialog& d, int id, ui::Notify) {
    if (id == 11) dlg.log.push_back("rows " + std::to_string(d.GetListBox(11).GetSelCount()));
    if (id == 12) dlg.log.push_back("changed " + std::to_string(d.GetListView(12).ChangedRow()));
    return false;
  };
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  EXPECT_EQ(dlg.log,
            (std::vector<std::string>{"cmd 11 selchange", "rows 1", "cmd 11 selchange", "rows 2",
                                      "cmd 11 selchange", "rows 1", "cmd 12 itemchanged",
                                      "changed 1", "cmd 2 clicked", "destroy"}));
}

// Typed key by key, an address keeps the user's dots and digits; Enter presses the focused button,
// not the default one.
TEST(QtHost, AnAddressTypedKeyByKeyArrivesWholeAndEnterPressesTheFocusedButton) {
  platform::RealClock clock;
  ui::QtHost host(clock);
  User user(host);
  ProbeDialog dlg(EveryKindTemplate());
  auto press = [&](int id, int key, const QString& text) {
    QWidget* w = host.WidgetOf(dlg, dlg.GetControl(id));
    w->setFocus();
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(w, &event);
  };
  // Each key is a turn of its own; the first replaces the address the dialog opened with.
  for (const QChar c : QStringLiteral("192.168.1.250")) {
    const int key = c == '.' ? Qt::Key_Period : Qt::Key_0 + c.digitValue();
    user.turns.push_back([&, c, key] {
      if (c == '1' && dlg.GetDlgItemText(26) == "10.0.0.1") {
        Widget<QLineEdit>(host, dlg, 26)->selectAll();
      }
      press(26, key, c);
    });
  }
  user.turns.push_back([&] {
    EXPECT_EQ(Widget<QLineEdit>(host, dlg, 26)->text(), "192.168.1.250");
    EXPECT_EQ(dlg.GetDlgItemText(26), "192.168.1.250");
    press(2, Qt::Key_Return, "\r");
  });
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
}

// A text field the focus comes to other than by the mouse (its window opening or coming back
// after a message) selects its text, so that typing replaces it, as Tab does in Qt: a key code
// dialog opening on "00" took "20" as "0020", cut to "00".
TEST(QtHost, AFieldTheKeyboardOrTheWindowFocusesSelectsItsText) {
  platform::RealClock clock;
  ui::QtHost host(clock);
  User user(host);
  ProbeDialog dlg(EveryKindTemplate());
  user.turns.push_back([&] {
    auto* edit = Widget<QLineEdit>(host, dlg, 13);
    auto focus_in = [&](Qt::FocusReason reason) {
      edit->deselect();
      QFocusEvent event(QEvent::FocusIn, reason);
      QCoreApplication::sendEvent(edit, &event);
      return edit->selectedText();
    };
    EXPECT_EQ(focus_in(Qt::ActiveWindowFocusReason), "30");
    EXPECT_EQ(focus_in(Qt::OtherFocusReason), "30");
    EXPECT_EQ(focus_in(Qt::MouseFocusReason), "");
    // A click into the window while another is active comes before the window's focus.
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    ASSERT_FALSE(edit->isActiveWindow());
    QCoreApplication::sendEvent(edit, &click);
    EXPECT_EQ(focus_in(Qt::ActiveWindowFocusReason), "");
    Widget<QPushButton>(host, dlg, 2)->click();
  });
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
}

// A dialog opened from another belongs to its window, which gets the focus back when it closes.
TEST(QtHost, ADialogOpenedFromAnotherBelongsToItsWindow) {
  platform::RealClock clock;
  ui::QtHost host(clock);
  User user(host);
  ProbeDialog outer(EveryKindTemplate());
  ProbeDialog inner(EveryKindTemplate());
  outer.init = [](ProbeDialog& d) { d.SetOneShotTimer(1, 10); };
  outer.timer = [&](ProbeDialog& d, int) {
    inner.DoModal(host);
    d.EndDialog(ui::IDOK);
  };
  int looks = 0;
  std::function<void()> check = [&] {
    QWidget* window = inner.IsOpen() ? host.WindowOf(inner) : nullptr;
    if (window == nullptr && ++looks < 1000) {
      user.turns.push_back(check);
      return;
    }
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowHandle()->transientParent(), host.WindowOf(outer)->windowHandle());
    Widget<QPushButton>(host, inner, 2)->click();
  };
  user.turns.push_back(check);
  EXPECT_EQ(outer.DoModal(host), ui::IDOK);
}

// An address of 0.0.0.0 is shown, not an empty line.
TEST(QtHost, TheAddressZeroIsShownInFull) {
  platform::RealClock clock;
  ui::QtHost host(clock);
  User user(host);
  ProbeDialog dlg(EveryKindTemplate());
  dlg.init = [](ProbeDialog& d) { d.SetDlgItemText(26, "0.0.0.0"); };
  user.turns.push_back([&] {
    EXPECT_EQ(Widget<QLineEdit>(host, dlg, 26)->text(), "0.0.0.0");
    Widget<QPushButton>(host, dlg, 2)->click();
  });
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
}

// With a large font (or scale) a dialog can be larger than the screen: its window fits the
// screen and the controls scroll in it, so that OK and Cancel can still be reached.
TEST(QtHost, ADialogLargerThanTheScreenScrollsInAWindowThatFits) {
  const QFont normal = QApplication::font();
  QFont large = normal;
  large.setPointSizeF(normal.pointSizeF() * 4);
  QApplication::setFont(large);
  platform::RealClock clock;
  ui::QtHost host(clock);
  User user(host);
  ProbeDialog dlg(EveryKindTemplate());  // 200 x 150 units: about 1200 x 1000 pixels now
  user.turns.push_back([&] {
    QWidget* window = host.WindowOf(dlg);
    const QSize screen = window->screen()->availableGeometry().size();
    EXPECT_LE(window->width(), screen.width());
    EXPECT_LE(window->height(), screen.height());
    QPushButton* cancel = Widget<QPushButton>(host, dlg, 2);
    const QScrollArea* scroll = window->findChild<QScrollArea*>();
    EXPECT_TRUE(scroll != nullptr && scroll->widget()->isAncestorOf(cancel));
    EXPECT_TRUE(scroll == nullptr || scroll->focusPolicy() == Qt::NoFocus);  // Tab skips it
    cancel->click();
  });
  EXPECT_EQ(dlg.DoModal(host), ui::IDCANCEL);
  QApplication::setFont(normal);
}

// During a step that waits on the printer, input arrives at the window first. A click on Cancel
// or the window's close stops a job before its next step; a click on OK is dropped.
TEST(QtHost, CancelClickedOrWindowClosedDuringAWaitStopsAJobBeforeItsNextStep) {
  for (const int input : {0, 1, 2}) {
    SCOPED_TRACE(input == 0 ? "click on Cancel" : input == 1 ? "window closed" : "click on OK");
    platform::RealClock clock;
    ui::QtHost host(clock);
    ProbeDialog dlg(EveryKindTemplate());
    dlg.stops_between_steps = true;
    dlg.init = [](ProbeDialog& d) { d.SetOneShotTimer(1, 10); };
    dlg.timer = [&](ProbeDialog& d, int id) {
      if (id == 2) {
        d.EndDialog(ui::IDOK);
        return;
      }
      QWidget* button = host.WidgetOf(dlg, dlg.GetControl(input == 2 ? 1 : 2));
      QWindow* window = button->window()->windowHandle();
      ASSERT_NE(window, nullptr);
      const QPointF at = button->mapTo(button->window(), button->rect().center());
      if (input == 1) {
        QCoreApplication::postEvent(window, new QCloseEvent);
      } else {
        QCoreApplication::postEvent(
            window, new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton,
                                    Qt::LeftButton, Qt::NoModifier));
      }
      d.clock().Sleep(200);
      d.SetOneShotTimer(2, 10);
    };
    const int result = dlg.DoModal(host);
    EXPECT_EQ(result, input == 2 ? ui::IDOK : ui::IDCANCEL);
    EXPECT_EQ(std::count(dlg.log.begin(), dlg.log.end(), "cmd 2 clicked"), input == 2 ? 0 : 1);
    EXPECT_EQ(std::count(dlg.log.begin(), dlg.log.end(), "cmd 1 clicked"), 0);
  }
}

}  // namespace
