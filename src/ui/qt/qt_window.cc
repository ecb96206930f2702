#include "ui/qt/qt_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace ui {
namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
std::string S(const QString& s) { return s.toUtf8().toStdString(); }

ControlRef RefOf(const Dialog& owner, const Control& c) { return {owner.TemplateId(), c.id()}; }

Command MakeCommand(CommandKind kind, ControlRef target, std::vector<int> rows, int number,
                    const char* source) {
  Command c;
  c.kind = kind;
  c.target = target;
  c.rows = std::move(rows);
  c.number = number;
  c.source = source;
  return c;
}

// The window of a dialog: Esc and the title-bar close go to the host instead of closing it.
class DialogWindow : public QDialog {
 public:
  DialogWindow(std::function<void()> on_escape, std::function<void()> on_close)
      : on_escape_(std::move(on_escape)), on_close_(std::move(on_close)) {}

  void reject() override { on_escape_(); }

 protected:
  // Enter presses the focused button; elsewhere the default one (QDialog's own handling). The
  // buttons are not auto-default, since Qt would then make one of them the default of a dialog
  // that has none.
  void keyPressEvent(QKeyEvent* event) override {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (enter && event->modifiers() == Qt::NoModifier && button != nullptr && button->isEnabled() &&
        button->isVisible()) {
      button->click();
      return;
    }
    QDialog::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    on_close_();
  }

 private:
  std::function<void()> on_escape_;
  std::function<void()> on_close_;
};

}  // namespace

// Keys every control of the window shares, seen before the control itself: Ctrl-PgDn/PgUp (as
// on the terminal) and Ctrl-Tab/Ctrl-Shift-Tab switch the tab pages from anywhere (a drop-down
// list would take Ctrl-PgDn as a move to its next row, and Save would write it). And a text
// field the keyboard brings the focus to, also when its window opens or comes back, selects its
// text, so that what is typed replaces it; Qt does that for Tab only.
class QtDialogWindow::WindowKeys : public QObject {
 public:
  explicit WindowKeys(QtDialogWindow& window) : window_(window) {}

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    // A click into an inactive window places the caret first; the focus arrives when the window
    // becomes active, and must not select what the click chose not to.
    if (event->type() == QEvent::MouseButtonPress) {
      if (auto* w = qobject_cast<QWidget*>(target); w != nullptr && !w->isActiveWindow()) {
        clicked_while_inactive_ = true;
      }
      return false;
    }
    if (event->type() == QEvent::FocusIn) {
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      const bool by_click = reason == Qt::MouseFocusReason || reason == Qt::PopupFocusReason ||
                            (reason == Qt::ActiveWindowFocusReason && clicked_while_inactive_);
      clicked_while_inactive_ = false;
      if (!by_click) {
        if (auto* line = qobject_cast<QLineEdit*>(target)) line->selectAll();
      }
      return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & Qt::ControlModifier) == 0) return false;
    const int code = key->key();
    const int step = code == Qt::Key_PageDown || code == Qt::Key_Tab     ? 1
                     : code == Qt::Key_PageUp || code == Qt::Key_Backtab ? -1
                                                                         : 0;
    return step != 0 && window_.StepTabPage(step);
  }

 private:
  QtDialogWindow& window_;
  bool clicked_while_inactive_ = false;
};

namespace {

// A radio button whose arrow keys go to the window (Qt would move along the whole tab chain,
// since the groups are the dialog's and not Qt's).
class GroupRadio : public QRadioButton {
 public:
  GroupRadio(QWidget* parent, std::function<void(int step)> on_arrow)
      : QRadioButton(parent), on_arrow_(std::move(on_arrow)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const int key = event->key();
    int step = 0;
    if (key == Qt::Key_Down || key == Qt::Key_Right) step = 1;
    if (key == Qt::Key_Up || key == Qt::Key_Left) step = -1;
    if (step == 0 || event->modifiers() != Qt::NoModifier) {
      QRadioButton::keyPressEvent(event);
      return;
    }
    on_arrow_(step);
  }

 private:
  std::function<void(int)> on_arrow_;
};

std::set<int> SelectedSet(const QListWidget& list) {
  std::set<int> rows;
  for (const QListWidgetItem* item : list.selectedItems()) rows.insert(list.row(item));
  return rows;
}

std::set<int> SelectedSet(const QTreeWidget& tree) {
  std::set<int> rows;
  for (QTreeWidgetItem* item : tree.selectedItems()) rows.insert(tree.indexOfTopLevelItem(item));
  return rows;
}

// Whether every control sits on whole 8-unit rows with one-row lines of text, lists and
// buttons: a layout made for the terminal's cells.
bool OnTerminalGrid(const Template& t) {
  bool one_row_input = false;
  for (const ControlTemplate& c : t.controls) {
    if (c.rect.y % 8 != 0 || (c.rect.h % 8 != 0 && c.kind != ControlKind::kComboBox)) return false;
    if (c.rect.h == 8 && (c.kind == ControlKind::kEdit || c.kind == ControlKind::kButton)) {
      one_row_input = true;
    }
  }
  return one_row_input;
}

}  // namespace

QString LabelText(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += caption[++i];
      continue;
    }
    out += caption[i];
  }
  return Q(out);
}

QtDialogWindow::QtDialogWindow(Dialog& dialog, Sink sink)
    : dialog_(dialog), sink_(std::move(sink)), units_(QFont()) {
  auto escape = [this] {
    // Esc is the Cancel button; without one the dialog gets the close its window would get,
    // and a disabled Cancel (a job that must not be interrupted) makes Esc do nothing.
    Control* cancel = dialog_.FindControl(IDCANCEL);
    if (cancel != nullptr && cancel->kind() == ControlKind::kButton) {
      if (dialog_.IsControlShown(*cancel) && cancel->IsEnabled()) {
        Send(MakeCommand(CommandKind::kClick, RefOf(dialog_, *cancel), {}, 0, "key: Esc"));
      }
      return;
    }
    Send(MakeCommand(CommandKind::kClose, {}, {}, 0, "key: Esc"));
  };
  auto close = [this] { Send(MakeCommand(CommandKind::kClose, {}, {}, 0, "window: close")); };
  window_ = std::make_unique<DialogWindow>(escape, close);
  window_keys_ = std::make_unique<WindowKeys>(*this);
  window_->installEventFilter(window_keys_.get());
  units_ = DialogUnits(window_->font());
  const Template& t = dialog_.GetTemplate();
  if (OnTerminalGrid(t)) units_.FitRowsTo(QComboBox().sizeHint().height() + 2);
  FitToScreen(QSize(units_.X(t.width), units_.Y(t.height)));
  window_->setContextMenuPolicy(Qt::ActionsContextMenu);
  static_cast<QDialog*>(window_.get())->setModal(true);
  QObject::connect(qApp, &QApplication::focusChanged, window_.get(),
                   [this](QWidget*, QWidget* now) { NoteFocus(now); });
  Sync();
}

void QtDialogWindow::FitToScreen(QSize size) {
  content_ = window_.get();
  const QScreen* screen = window_->screen();
  // Room for the window's frame and title bar, which the window manager adds around it.
  constexpr int kFrameRoom = 40;
  const QSize room = screen != nullptr
                         ? screen->availableGeometry().size() - QSize(kFrameRoom / 2, kFrameRoom)
                         : size;
  if (size.width() <= room.width() && size.height() <= room.height()) {
    window_->setFixedSize(size);
    return;
  }
  // Larger than the screen: the controls scroll inside a window that fits, so that none is out
  // of reach, and the one with the focus is scrolled into view (NoteFocus).
  content_ = new QWidget;
  content_->setFixedSize(size);
  scroll_ = new QScrollArea(window_.get());
  scroll_->setFocusPolicy(Qt::NoFocus);  // Tab goes round the controls only
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidget(content_);
  auto* layout = new QVBoxLayout(window_.get());
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  // A scroll bar takes room of its own: the other way then needs it too, where the screen has it.
  const int bar = window_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  QSize wanted = size;
  if (size.height() > room.height()) wanted.rwidth() += bar;
  if (size.width() > room.width()) wanted.rheight() += bar;
  window_->setFixedSize(wanted.boundedTo(room));
}

bool QtDialogWindow::StepTabPage(int step) {
  for (const auto& [control, widget] : widgets_) {
    if (control->kind() != ControlKind::kTab || !owners_.at(control)->CanFocus(*control)) continue;
    auto* tabs = static_cast<QTabBar*>(widget);
    const int n = tabs->count();
    if (n == 0) return false;
    tabs->setCurrentIndex(((tabs->currentIndex() + step) % n + n) % n);
    // The focus waits on the tab row, not on whatever Qt finds after a hidden control.
    tabs->setFocus(Qt::OtherFocusReason);
    return true;
  }
  return false;
}

QtDialogWindow::~QtDialogWindow() {
  // Deleting the widgets moves the focus, and this window's maps are going too.
  if (qApp != nullptr) qApp->disconnect(window_.get());
}

QWidget* QtDialogWindow::WidgetOf(const Control& control) const {
  const auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

void QtDialogWindow::Send(Command command) {
  if (syncing_) return;
  // A click need not move the focus (on an inactive window none moves): the dialog learns where
  // it is before the command reaches it.
  NoteFocus(window_->focusWidget());
  sink_.command(std::move(command));
}

const Control* QtDialogWindow::ControlHolding(const QWidget* focused) const {
  // An editable drop-down's focus rests on its line edit, a child of the control's widget.
  for (const QWidget* w = focused; w != nullptr && w != window_.get(); w = w->parentWidget()) {
    const auto it = std::find_if(widgets_.begin(), widgets_.end(),
                                 [&](const auto& kv) { return kv.second == w; });
    if (it != widgets_.end()) return it->first;
  }
  return nullptr;
}

void QtDialogWindow::NoteFocus(QWidget* focused) {
  if (scroll_ != nullptr && focused != nullptr && content_->isAncestorOf(focused)) {
    scroll_->ensureWidgetVisible(focused);
  }
  if (syncing_) return;
  const Control* control = ControlHolding(focused);
  if (control == nullptr) return;
  const Dialog* owner = owners_.at(control);
  // One control holds the focus; the window's other dialogs hold none, so that a program moving
  // the focus back to where it was in one of them is seen as a move.
  for (Dialog* d : dialog_.Family()) {
    const int id = d == owner ? control->id() : -1;
    d->GotoDlgCtrl(id);
    seen_focus_[d] = {id, d->FocusMoves()};
  }
}

namespace {

// A text field the focus arrives in selects its whole text, so that what is typed replaces it.
// Qt does so for Tab and Shift+Tab; a program's move (an edit check sending the focus back)
// should act the same.
void SelectAllText(QWidget* w) {
  if (auto* line = qobject_cast<QLineEdit*>(w)) line->selectAll();
  if (auto* combo = qobject_cast<QComboBox*>(w); combo != nullptr && combo->lineEdit() != nullptr) {
    combo->lineEdit()->selectAll();
  }
}

}  // namespace

void QtDialogWindow::FollowFocus() {
  for (Dialog* d : dialog_.Family()) {
    const SeenFocus now{d->GetFocusId(), d->FocusMoves()};
    const auto [it, first_sight] = seen_focus_.try_emplace(d, now);
    const Control* c = d->FindControl(now.id);
    QWidget* w = c != nullptr ? WidgetOf(*c) : nullptr;
    // The focus a dialog starts with is no move; Qt's own first stop stands.
    if (first_sight) continue;
    // A move to the control that holds the focus already counts: a check sent it back there.
    if (it->second.moves == now.moves) continue;
    it->second = now;
    if (w != nullptr && w->isVisibleTo(window_.get()) && w->isEnabled()) {
      w->setFocus(Qt::OtherFocusReason);
      SelectAllText(w);
    }
  }
}

void QtDialogWindow::SetTabOrder() {
  std::vector<QWidget*> order;
  std::set<const Dialog*> placed;
  std::function<void(Dialog&)> add = [&](Dialog& d) {
    placed.insert(&d);
    for (const auto& c : d.Controls()) {
      QWidget* w = WidgetOf(*c);
      // A group's radios all stand in the chain; only its stop takes Tab (SetRadioTabStops).
      const bool tab = w != nullptr &&
                       ((w->focusPolicy() & Qt::TabFocus) != 0 || c->kind() == ControlKind::kRadio);
      if (tab) order.push_back(w);
      if (c->kind() != ControlKind::kTab) continue;
      // Only the shown page's widgets take the focus, so every page may sit here.
      for (Dialog* page : d.Pages()) {
        if (!placed.count(page)) add(*page);
      }
    }
    for (Dialog* page : d.Pages()) {
      if (!placed.count(page)) add(*page);
    }
  };
  add(dialog_);
  for (size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void QtDialogWindow::SetRadioTabStops() {
  const Control* focused_control = ControlHolding(window_->focusWidget());
  for (const auto& [control, widget] : widgets_) {
    if (control->kind() != ControlKind::kRadio) continue;
    const bool stop = owners_.at(control)->RadioTabStop(control->id(), focused_control) == control;
    widget->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

void QtDialogWindow::Build(Dialog& owner, int page_x, int page_y) {
  built_.insert(&owner);
  // Frames first, so the controls inside them are drawn on top.
  for (const auto& c : owner.Controls()) {
    if (c->kind() != ControlKind::kGroupBox) continue;
    QWidget* w = Make(owner, *c);
    w->setGeometry(units_.ToPixels(c->rect(), page_x, page_y));
    w->lower();
  }
  for (const auto& c : owner.Controls()) {
    if (c->kind() == ControlKind::kGroupBox) continue;
    QWidget* w = Make(owner, *c);
    QRect r = units_.ToPixels(c->rect(), page_x, page_y);
    // A drop-down list's template height includes its open list; closed it is one line.
    if (c->kind() == ControlKind::kComboBox)
      r.setHeight(std::min(r.height(), w->sizeHint().height()));
    w->setGeometry(r);
  }
  // A label's mnemonic focuses the next control in tab order that can take the focus.
  const auto& controls = owner.Controls();
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i]->kind() != ControlKind::kStatic) continue;
    for (size_t j = i + 1; j < controls.size(); ++j) {
      if (!controls[j]->CanHoldFocus()) continue;
      static_cast<QLabel*>(widgets_[controls[i].get()])->setBuddy(widgets_[controls[j].get()]);
      break;
    }
  }
  for (Dialog* page : owner.Pages()) Build(*page, page_x + page->PageX(), page_y + page->PageY());
}

QWidget* QtDialogWindow::Make(Dialog& owner, Control& c) {
  QWidget* parent = content_;
  QWidget* w = nullptr;
  Dialog* o = &owner;
  Control* control = &c;
  const ControlRef ref = RefOf(owner, c);
  auto click = [this, ref] { Send(MakeCommand(CommandKind::kClick, ref, {}, 0, "click")); };
  auto edited = [this, o, control](const QString& text) {
    if (syncing_) return;
    NoteFocus(window_->focusWidget());
    const std::string typed = S(text);
    sink_.direct([o, control, typed] {
      control->SetText(typed);
      o->OnCommand(control->id(), Notify::kEditChange);
    });
  };
  switch (c.kind()) {
    case ControlKind::kStatic: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      w = label;
      break;
    }
    case ControlKind::kGroupBox:
      w = new QGroupBox(parent);
      break;
    case ControlKind::kButton: {
      auto* button = new QPushButton(parent);
      button->setDefault(c.HasStyle(kDefault));
      button->setAutoDefault(false);
      QObject::connect(button, &QPushButton::clicked, click);
      w = button;
      break;
    }
    case ControlKind::kCheckBox: {
      auto* box = new QCheckBox(parent);
      QObject::connect(box, &QCheckBox::clicked, click);
      w = box;
      break;
    }
    case ControlKind::kRadio: {
      // The dialog keeps its groups: an arrow chooses the next radio of the group, as with the
      // mouse, and the group is one tab stop (Sync).
      auto* radio = new GroupRadio(parent, [this, o, control](int step) {
        RadioButton* next = o->RadioStep(control->id(), step);
        QWidget* w = next != nullptr ? WidgetOf(*next) : nullptr;
        if (w == nullptr) return;
        w->setFocus(Qt::TabFocusReason);
        Send(MakeCommand(CommandKind::kClick, RefOf(*o, *next), {}, 0, "key: arrow"));
      });
      radio->setAutoExclusive(false);
      QObject::connect(radio, &QRadioButton::clicked, click);
      w = radio;
      break;
    }
    case ControlKind::kEdit: {
      auto& edit = static_cast<Edit&>(c);
      auto* line = new QLineEdit(parent);
      if (edit.GetLimitText() > 0) line->setMaxLength(edit.GetLimitText());
      if (edit.IsNumberOnly()) {
        line->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), line));
      }
      QObject::connect(line, &QLineEdit::textEdited, edited);
      w = line;
      break;
    }
    case ControlKind::kIpAddress: {
      auto* line = new QLineEdit(parent);
      // Four octets of 0-255, each of which may still be empty while it is typed.
      const QString octet = QStringLiteral("(25[0-5]|2[0-4][0-9]|[01]?[0-9]?[0-9])?");
      line->setValidator(new QRegularExpressionValidator(
          QRegularExpression("(" + octet + "\\.){0,3}" + octet), line));
      // Shown in full from the start: an empty line would also mean 0.0.0.0.
      line->setText(Q(c.GetText()));
      QObject::connect(line, &QLineEdit::textEdited, edited);
      w = line;
      break;
    }
    case ControlKind::kComboBox: {
      auto& cb = static_cast<ComboBox&>(c);
      auto* combo = new QComboBox(parent);
      combo->setEditable(cb.IsEditable());
      combo->setMaxVisibleItems(12);
      QObject::connect(combo, &QComboBox::activated, [this, ref](int row) {
        Send(MakeCommand(CommandKind::kSelect, ref, {row}, 0, "choose"));
      });
      if (cb.IsEditable()) QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, edited);
      w = combo;
      break;
    }
    case ControlKind::kListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(static_cast<ListBox&>(c).IsMultiSelect()
                                 ? QAbstractItemView::MultiSelection
                                 : QAbstractItemView::SingleSelection);
      QObject::connect(list, &QListWidget::itemSelectionChanged, [this, o, control, list] {
        if (!syncing_) RowsChanged(*o, *control, SelectedSet(*list));
      });
      w = list;
      break;
    }
    case ControlKind::kListView: {
      auto& lv = static_cast<ListView&>(c);
      auto* tree = new QTreeWidget(parent);
      tree->setRootIsDecorated(false);
      tree->setUniformRowHeights(true);
      tree->setSelectionMode(lv.IsMultiSelect() ? QAbstractItemView::MultiSelection
                                                : QAbstractItemView::SingleSelection);
      QObject::connect(tree, &QTreeWidget::itemSelectionChanged, [this, o, control, tree] {
        if (!syncing_) RowsChanged(*o, *control, SelectedSet(*tree));
      });
      w = tree;
      break;
    }
    case ControlKind::kSlider: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      QObject::connect(slider, &QSlider::valueChanged, [this, ref](int pos) {
        Send(MakeCommand(CommandKind::kSlide, ref, {}, pos, "slide"));
      });
      w = slider;
      break;
    }
    case ControlKind::kProgress:
      w = new QProgressBar(parent);
      break;
    case ControlKind::kTab: {
      auto* tabs = new QTabBar(parent);
      tabs->setExpanding(false);
      QObject::connect(tabs, &QTabBar::currentChanged, [this, ref](int row) {
        if (row >= 0) {
          Send(MakeCommand(CommandKind::kSelect, ref, {row}, 0, "tab"));
        }
      });
      w = tabs;
      break;
    }
    case ControlKind::kPicture: {
      auto* picture = new QLabel(parent);
      picture->setAlignment(Qt::AlignCenter);
      picture->setFrameShape(QFrame::Box);
      w = picture;
      break;
    }
  }
  w->installEventFilter(window_keys_.get());
  if (auto* combo = qobject_cast<QComboBox*>(w); combo != nullptr && combo->lineEdit() != nullptr) {
    combo->lineEdit()->installEventFilter(window_keys_.get());
  }
  widgets_[&c] = w;
  owners_[&c] = &owner;
  return w;
}

void QtDialogWindow::RowsChanged(Dialog& owner, Control& c, const std::set<int>& now) {
  RowList& rows = *c.AsRowList();
  const std::vector<int> before_rows = rows.SelectedRows();
  const std::set<int> before(before_rows.begin(), before_rows.end());
  if (now == before) return;
  const ControlRef ref = RefOf(owner, c);
  if (!rows.AllowsSeveralRows()) {
    if (!now.empty()) {
      Send(MakeCommand(CommandKind::kSelect, ref, {*now.begin()}, 0, "row"));
    }
    return;
  }
  std::vector<int> added;
  for (int row : now) {
    if (!before.count(row)) added.push_back(row);
  }
  if (!added.empty()) Send(MakeCommand(CommandKind::kExtend, ref, added, 0, "row"));
  for (int row : before) {
    if (now.count(row)) continue;
    // Taking one row out of a selection is a change the command language has no word for.
    Dialog* o = &owner;
    Control* control = &c;
    sink_.direct([o, control, row] {
      if (control->kind() == ControlKind::kListBox) {
        static_cast<ListBox*>(control)->SetSel(row, false);
        o->OnCommand(control->id(), Notify::kSelChange);
      } else {
        auto* lv = static_cast<ListView*>(control);
        lv->SetSelected(row, false);
        lv->SetChangedRow(row);
        o->OnCommand(control->id(), Notify::kItemChanged);
      }
    });
  }
}

void QtDialogWindow::Sync() {
  syncing_ = true;
  bool built = false;
  for (Dialog* d : dialog_.Family()) {
    if (built_.count(d)) continue;
    built = true;
    int x = 0;
    int y = 0;
    for (const Dialog* p = d; p->Parent() != nullptr; p = p->Parent()) {
      x += p->PageX();
      y += p->PageY();
    }
    Build(*d, x, y);
  }
  if (built) SetTabOrder();
  window_->setWindowTitle(Q(dialog_.GetWindowText()));
  const auto& menu = dialog_.SystemMenu();
  for (; menu_entries_ < menu.size(); ++menu_entries_) {
    auto* action = new QAction(Q(menu[menu_entries_].text), window_.get());
    const int id = menu[menu_entries_].id;
    QObject::connect(action, &QAction::triggered, [this, id] {
      Send(MakeCommand(CommandKind::kSysMenu, {}, {}, id, "system menu"));
    });
    window_->addAction(action);
  }
  for (auto& [control, widget] : widgets_) {
    SyncOne(*owners_[control], const_cast<Control&>(*control), widget);
  }
  FollowFocus();
  SetRadioTabStops();
  syncing_ = false;
}

void QtDialogWindow::SyncOne(Dialog& owner, Control& c, QWidget* w) {
  const QSignalBlocker block(w);
  w->setVisible(owner.IsControlShown(c));
  w->setEnabled(c.IsEnabled());
  const QString text = Q(c.GetText());
  switch (c.kind()) {
    case ControlKind::kStatic: {
      // With a buddy the label shows its mnemonic the way Qt does; without one it goes.
      auto* label = static_cast<QLabel*>(w);
      label->setText(label->buddy() != nullptr ? text : LabelText(c.GetText()));
      break;
    }
    case ControlKind::kGroupBox:
      static_cast<QGroupBox*>(w)->setTitle(text);
      break;
    case ControlKind::kButton:
      static_cast<QPushButton*>(w)->setText(text);
      break;
    case ControlKind::kCheckBox:
      static_cast<QCheckBox*>(w)->setText(text);
      static_cast<QCheckBox*>(w)->setChecked(static_cast<CheckBox&>(c).GetCheck());
      break;
    case ControlKind::kRadio:
      static_cast<QRadioButton*>(w)->setText(text);
      static_cast<QRadioButton*>(w)->setChecked(static_cast<RadioButton&>(c).GetCheck());
      break;
    case ControlKind::kEdit: {
      auto* line = static_cast<QLineEdit*>(w);
      if (line->text() != text) line->setText(text);
      line->setReadOnly(static_cast<Edit&>(c).IsReadOnly());
      break;
    }
    case ControlKind::kIpAddress: {
      // What the user is typing ("192.168.") stays as it is while it means the control's address;
      // written back in full after each key it would put the next digits in the wrong field.
      auto* line = static_cast<QLineEdit*>(w);
      if (IpAddress::ParseAddress(line->text().toStdString()) !=
          static_cast<IpAddress&>(c).GetAddress()) {
        line->setText(text);
      }
      break;
    }
    case ControlKind::kComboBox: {
      auto& cb = static_cast<ComboBox&>(c);
      auto* combo = static_cast<QComboBox*>(w);
      QStringList rows;
      for (const std::string& row : cb.Items()) rows << Q(row);
      QStringList shown;
      for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
      if (rows != shown) {
        combo->clear();
        combo->addItems(rows);
      }
      combo->setCurrentIndex(cb.GetCurSel());
      if (cb.IsEditable() && combo->currentText() != text) combo->setEditText(text);
      break;
    }
    case ControlKind::kListBox: {
      auto& lb = static_cast<ListBox&>(c);
      auto* list = static_cast<QListWidget*>(w);
      if (list->count() != lb.GetCount()) {
        list->clear();
        for (const std::string& row : lb.Items()) list->addItem(Q(row));
      }
      for (int i = 0; i < lb.GetCount(); ++i) {
        list->item(i)->setText(Q(lb.GetItemText(i)));
        list->item(i)->setSelected(lb.GetSel(i));
      }
      break;
    }
    case ControlKind::kListView: {
      auto& lv = static_cast<ListView&>(c);
      auto* tree = static_cast<QTreeWidget*>(w);
      QStringList headers;
      for (const ListViewColumn& col : lv.Columns()) headers << Q(col.text);
      if (tree->columnCount() != std::max(1, lv.GetColumnCount()) ||
          tree->headerItem()->text(0) != (headers.isEmpty() ? QString() : headers[0])) {
        tree->setColumnCount(std::max(1, lv.GetColumnCount()));
        tree->setHeaderLabels(headers);
        tree->setHeaderHidden(lv.GetColumnCount() == 0);
        for (int i = 0; i < lv.GetColumnCount(); ++i)
          tree->setColumnWidth(i, lv.Columns()[i].width);
      }
      while (tree->topLevelItemCount() > lv.GetItemCount()) delete tree->takeTopLevelItem(0);
      while (tree->topLevelItemCount() < lv.GetItemCount())
        tree->addTopLevelItem(new QTreeWidgetItem);
      for (int r = 0; r < lv.GetItemCount(); ++r) {
        QTreeWidgetItem* item = tree->topLevelItem(r);
        for (int col = 0; col < lv.GetColumnCount(); ++col) {
          item->setText(col, Q(lv.GetItemText(r, col)));
        }
        item->setSelected(lv.IsSelected(r));
      }
      break;
    }
    case ControlKind::kSlider: {
      auto& s = static_cast<Slider&>(c);
      auto* slider = static_cast<QSlider*>(w);
      slider->setRange(s.GetRangeMin(), s.GetRangeMax());
      slider->setSingleStep(s.GetLineSize());
      slider->setPageStep(s.GetPageSize());
      slider->setValue(s.GetPos());
      break;
    }
    case ControlKind::kProgress: {
      auto& p = static_cast<ProgressBar&>(c);
      auto* bar = static_cast<QProgressBar*>(w);
      bar->setRange(p.GetRangeMin(), p.GetRangeMax());
      bar->setValue(p.GetPos());
      break;
    }
    case ControlKind::kTab: {
      auto& tab = static_cast<TabControl&>(c);
      auto* tabs = static_cast<QTabBar*>(w);
      while (tabs->count() > tab.GetItemCount()) tabs->removeTab(tabs->count() - 1);
      for (int i = 0; i < tab.GetItemCount(); ++i) {
        if (i < tabs->count()) {
          tabs->setTabText(i, Q(tab.GetItemText(i)));
        } else {
          tabs->addTab(Q(tab.GetItemText(i)));
        }
      }
      tabs->setCurrentIndex(tab.GetCurSel());
      break;
    }
    case ControlKind::kPicture: {
      const RgbImage& image = static_cast<PictureFrame&>(c).GetImage();
      auto* picture = static_cast<QLabel*>(w);
      if (image.width <= 0 || image.height <= 0) {
        picture->setPixmap(QPixmap());
        break;
      }
      // The image fills its frame as far as its proportions allow; dialogs size it in dialog
      // units, as they size the frame.
      const QImage view(image.rgb.data(), image.width, image.height, image.width * 3,
                        QImage::Format_RGB888);
      picture->setPixmap(QPixmap::fromImage(view.scaled(
          picture->contentsRect().size(), Qt::KeepAspectRatio, Qt::FastTransformation)));
      break;
    }
  }
}

}  // namespace ui
