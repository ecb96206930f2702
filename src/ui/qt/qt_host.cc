#include "ui/qt/qt_host.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include "ui/core/file_filter.h"
#include "ui/qt/qt_window.h"

namespace ui {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }

QMessageBox::StandardButton ButtonFor(const std::string& name) {
  if (name == "OK") return QMessageBox::Ok;
  if (name == "Cancel") return QMessageBox::Cancel;
  if (name == "Yes") return QMessageBox::Yes;
  return QMessageBox::No;
}

int AnswerFor(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Yes:
      return IDYES;
    default:
      return IDNO;
  }
}

QMessageBox::Icon IconFor(unsigned flags) {
  switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// "Images|*.bmp;*.dib||" as Qt writes filters: "Images (*.bmp *.dib)"; a description that
// already ends in its patterns, "Image Files(*.bmp)", stays as it is.
QStringList QtFilters(const std::string& filter) {
  QStringList out;
  for (const FileFilter& f : ParseFileFilter(filter)) {
    QString patterns;
    for (const std::string& p : f.patterns) patterns += (patterns.isEmpty() ? "" : " ") + Q(p);
    const QString description = Q(f.description);
    out << (description.endsWith("(" + patterns + ")") ? description
                                                       : description + " (" + patterns + ")");
  }
  return out;
}

// Keeps Esc and the title bar's close from a box that must be answered (Yes/No): Qt would take
// Esc for No and close the box without an answer.
class EscapeSwallower : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    if (event->type() == QEvent::Close && target == parent()) {
      event->ignore();  // a close event left accepted would still close the box
      return true;
    }
    return event->type() == QEvent::KeyPress &&
           static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
  }
};

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

}  // namespace

struct QtHost::Layer {
  enum class Kind { kDialog, kMessageBox, kFileDialog };
  Kind kind = Kind::kDialog;
  Dialog* dialog = nullptr;
  std::unique_ptr<QtDialogWindow> window;
  std::unique_ptr<QDialog> box;  // message box or file dialog
};

// Swallows the user's input while a handler waits on the printer (see the header).
class QtHost::InputGate : public QObject {
 public:
  explicit InputGate(QtHost& host) : host_(host) {}

 protected:
  bool eventFilter(QObject* target, QEvent* event) override {
    if (!host_.in_wait_ || !IsUserInput(event->type())) return false;
    if (host_.IsCancelDuringWait(target, *event)) host_.layers_.KeepCancel();
    return true;
  }

 private:
  QtHost& host_;
};

QtHost::QtHost(platform::Clock& clock, Resources resources)
    : LoopHost(clock, std::move(resources)), gate_(std::make_unique<InputGate>(*this)) {
  QCoreApplication::instance()->installEventFilter(gate_.get());
  clock.SetIdleHook(this);
}

QtHost::~QtHost() {
  clock().SetIdleHook(nullptr);
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeEventFilter(gate_.get());
  }
}

// ---- Frames

QWidget* QtHost::TopWindow() const {
  QWidget* top = nullptr;
  for (const auto& l : layers_) {
    if (l->window) top = l->window->window();
  }
  return top;
}

// With no window manager nothing gives the keyboard back to the window underneath a closed one.
void QtHost::ReturnFocus() {
  if (QWidget* top = TopWindow(); top != nullptr && top->isVisible()) top->activateWindow();
}

int QtHost::RunModal(Dialog& dialog) {
  if (dialog.IsOpen()) return -1;
  auto layer = std::make_unique<Layer>();
  layer->dialog = &dialog;
  const int result = layers_.Open(std::move(layer), [&] { return LoopHost::RunModal(dialog); });
  ReturnFocus();
  return result;
}

int QtHost::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  auto layer = std::make_unique<Layer>();
  layer->kind = Layer::Kind::kMessageBox;
  QWidget* parent = TopWindow();
  auto box = std::make_unique<QMessageBox>(IconFor(flags), Q(caption), Q(text),
                                           QMessageBox::NoButton, parent);
  const std::vector<std::string> names = MessageBoxButtons(flags);
  for (size_t i = 0; i < names.size(); ++i) {
    QPushButton* button = box->addButton(ButtonFor(names[i]));
    button->setText(Q(ButtonText(resources(), names[i])));
    if (i == ((flags & MB_DEFBUTTON2) != 0 ? 1u : 0u)) box->setDefaultButton(button);
  }
  QMessageBox* raw = box.get();
  QObject::connect(raw, &QMessageBox::buttonClicked, [this, raw](QAbstractButton* button) {
    Command answer;
    answer.kind = CommandKind::kAnswer;
    answer.number = AnswerFor(raw->standardButton(button));
    answer.source = "answer";
    Queue({answer, {}});
  });
  if (!CanCloseBox(flags)) box->installEventFilter(new EscapeSwallower(box.get()));
  box->setModal(true);
  layer->box = std::move(box);
  const int answer =
      layers_.Open(std::move(layer), [&] { return LoopHost::MessageBox(text, caption, flags); });
  ReturnFocus();
  return answer;
}

std::vector<std::string> QtHost::FileOpen(const FileOpenRequest& request) {
  auto layer = std::make_unique<Layer>();
  layer->kind = Layer::Kind::kFileDialog;
  auto dialog = std::make_unique<QFileDialog>(
      TopWindow(), Q(request.title.empty() ? resources().Host("file/open") : request.title));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  dialog->setNameFilters(QtFilters(request.filter));
  QObject::connect(dialog.get(), &QFileDialog::filesSelected, [this](const QStringList& files) {
    Command chosen;
    chosen.kind = CommandKind::kFiles;
    for (const QString& f : files) chosen.paths.push_back(f.toUtf8().toStdString());
    chosen.source = "files";
    Queue({chosen, {}});
  });
  QObject::connect(dialog.get(), &QFileDialog::rejected, [this] {
    Command none;
    none.kind = CommandKind::kFiles;
    none.source = "files: cancel";
    Queue({none, {}});
  });
  dialog->setModal(true);
  layer->box = std::move(dialog);
  std::vector<std::string> files =
      layers_.Open(std::move(layer), [&] { return LoopHost::FileOpen(request); });
  ReturnFocus();
  return files;
}

void QtHost::Repaint(Dialog& dialog) {
  (void)dialog;
  OnIdle();
}

QWidget* QtHost::WindowOf(const Dialog& dialog) const {
  for (const auto& l : layers_) {
    if (l->dialog == &dialog && l->window) return l->window->window();
  }
  return nullptr;
}

QWidget* QtHost::WidgetOf(const Dialog& dialog, const Control& control) const {
  for (const auto& l : layers_) {
    if (l->dialog == &dialog && l->window) return l->window->WidgetOf(control);
  }
  return nullptr;
}

QDialog* QtHost::ActiveMessageBox() const {
  if (layers_.empty() || layers_.back()->kind != Layer::Kind::kMessageBox) return nullptr;
  return layers_.back()->box.get();
}

QDialog* QtHost::ActiveFileDialog() const {
  if (layers_.empty() || layers_.back()->kind != Layer::Kind::kFileDialog) return nullptr;
  return layers_.back()->box.get();
}

void QtHost::Sync() {
  for (const auto& l : layers_) {
    if (l->kind != Layer::Kind::kDialog) {
      if (!l->box->isVisible()) l->box->show();
      continue;
    }
    if (!l->dialog->IsOpen()) continue;
    if (!l->window) {
      QtDialogWindow::Sink sink;
      sink.command = [this](Command c) { Queue({std::move(c), {}}); };
      sink.direct = [this](std::function<void()> change) {
        Queue({std::nullopt, std::move(change)});
      };
      QWidget* owner = TopWindow();
      l->window = std::make_unique<QtDialogWindow>(*l->dialog, std::move(sink));
      // Belongs to the window it was opened from (stays above it; ReturnFocus gives that one the
      // keyboard back when this closes).
      if (owner != nullptr && owner->windowHandle() != nullptr) {
        l->window->window()->winId();
        l->window->window()->windowHandle()->setTransientParent(owner->windowHandle());
      }
    }
    l->window->Sync();
    QWidget* w = l->window->window();
    const bool shown = !l->dialog->HasEnded();
    if (w->isVisible() != shown) w->setVisible(shown);
  }
}

void QtHost::Queue(Input input) {
  input_.push_back(std::move(input));
  if (waiting_loop_ != nullptr) static_cast<QEventLoop*>(waiting_loop_)->quit();
}

LoopHost::FetchStatus QtHost::Fetch(uint32_t timeout_ms, Command* command) {
  // A Cancel kept from a wait, for the dialog it was pressed in.
  if (Dialog* kept = layers_.TakeKeptCancel(); kept != nullptr && CancelButtonTakesPress(*kept)) {
    command->kind = CommandKind::kClick;
    command->target = {kept->TemplateId(), IDCANCEL};
    command->source = "Cancel during a wait";
    return FetchStatus::kCommand;
  }
  Sync();
  const bool time_passed = user_turn_ && input_.empty() && user_turn_(timeout_ms);
  if (input_.empty() && !time_passed) {
    if (timeout_ms == kForever && layers_.empty()) return FetchStatus::kEnd;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeout_ms != kForever)
      timer.start(static_cast<int>(std::min<uint32_t>(timeout_ms, INT32_MAX)));
    if (timeout_ms > 0) {
      waiting_loop_ = &loop;
      loop.exec();
      waiting_loop_ = nullptr;
    } else {
      QCoreApplication::processEvents();
    }
  }
  if (input_.empty()) return FetchStatus::kTimeout;
  Input next = std::move(input_.front());
  input_.pop_front();
  if (next.command) {
    *command = std::move(*next.command);
    return FetchStatus::kCommand;
  }
  next.direct();
  return FetchStatus::kTimeout;  // the engine's loop runs once before the next input
}

void QtHost::Emit(const Event& event) { (void)event; }

// ---- Waits on the printer

void QtHost::OnIdle() {
  Sync();
  in_wait_ = true;
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  in_wait_ = false;
}

bool QtHost::CancelKeptFor(const Dialog& dialog) const { return layers_.KeepsCancelFor(dialog); }

// Input reaches the top-level QWindow first and only then, through it, the widget under the
// mouse or with the focus; input dropped at the QWindow never reaches a widget, so a click and
// the title bar's close are recognised there.
bool QtHost::IsCancelDuringWait(QObject* target, const QEvent& event) {
  Dialog* top = layers_.CancelKeepingDialog();
  if (top == nullptr || !layers_.back()->window) return false;
  const QtDialogWindow& window = *layers_.back()->window;
  QWidget* frame = window.window();
  const bool at_frame = target == frame || target == frame->windowHandle();
  switch (event.type()) {
    case QEvent::KeyPress:
      return static_cast<const QKeyEvent&>(event).key() == Qt::Key_Escape;
    case QEvent::Close:
      return at_frame;
    case QEvent::MouseButtonPress: {
      const Control* cancel = top->FindControl(IDCANCEL);
      QWidget* cancel_widget = cancel != nullptr ? window.WidgetOf(*cancel) : nullptr;
      if (cancel_widget == nullptr || !cancel_widget->isEnabled()) return false;
      if (target == cancel_widget) return true;
      if (!at_frame) return false;
      const auto& press = static_cast<const QMouseEvent&>(event);
      QWidget* hit = frame->childAt(press.position().toPoint());
      return hit != nullptr && (hit == cancel_widget || cancel_widget->isAncestorOf(hit));
    }
    default:
      return false;
  }
}

}  // namespace ui
