#include "ui/core/dialog.h"

#include <algorithm>
#include <cstdio>

#include "platform/system/diagnostics.h"
#include "ui/core/utf8.h"

namespace ui {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

Dialog::Dialog(const Template& tmpl)
    : english_(&tmpl), template_(&tmpl), window_text_(tmpl.caption) {}

Dialog::~Dialog() = default;

int Dialog::DoModal(Host& host) { return host.RunModal(*this); }

void Dialog::EndDialog(int result) {
  if (!IsOpen() || parent_ != nullptr) return;
  ended_ = true;
  result_ = result;
}

void Dialog::HostOpen(Host& host, Dialog* parent) {
  host_ = &host;
  parent_ = parent;
  ended_ = false;
  result_ = 0;
  visible_ = true;
  focus_id_ = -1;
  pages_.clear();
  system_menu_.clear();
  access_faults_.clear();
  controls_.clear();
  const Resources& res = host.resources();
  template_ = english_;
  // A pack's own layout wins over the small-screen one, whose rectangles it does not know.
  if (english_->small_screen != nullptr && !res.LaysOut(english_->id) &&
      !host.FitsScreen(*english_)) {
    template_ = english_->small_screen;
  }
  if (res.LaysOut(english_->id)) {
    laid_out_ = res.LaidOut(*english_);
    template_ = &laid_out_;
  }
  window_text_ = res.TemplateCaption(template_->id, template_->caption);
  for (const ControlTemplate& ct : template_->controls) {
    // The pack may create a control shown or hidden, enabled or disabled, against its template.
    ControlTemplate created = ct;
    created.styles = res.ControlStyles(template_->id, ct.id, ct.styles);
    controls_.push_back(MakeControl(created, res.ControlCaption(template_->id, ct.id, ct.caption)));
  }
  for (const auto& c : controls_) {
    if (c->IsEnabled() && c->IsVisible() && c->kind() != ControlKind::kStatic &&
        c->kind() != ControlKind::kGroupBox) {
      focus_id_ = c->id();
      break;
    }
  }
}

void Dialog::HostClose() {
  // Pages go first, newest first, as child windows are destroyed before their parent finishes.
  for (auto it = pages_.rbegin(); it != pages_.rend(); ++it) {
    (*it)->HostClose();
  }
  OnDestroy();
  pages_.clear();
  controls_.clear();
  stand_ins_.clear();
  host_ = nullptr;
  parent_ = nullptr;
}

std::unique_ptr<Control> Dialog::MakeControl(const ControlTemplate& ct, std::string caption) {
  switch (ct.kind) {
    case ControlKind::kStatic:
      return std::make_unique<Static>(*this, ct, std::move(caption));
    case ControlKind::kGroupBox:
      return std::make_unique<GroupBox>(*this, ct, std::move(caption));
    case ControlKind::kButton:
      return std::make_unique<Button>(*this, ct, std::move(caption));
    case ControlKind::kCheckBox:
      return std::make_unique<CheckBox>(*this, ct, std::move(caption));
    case ControlKind::kRadio:
      return std::make_unique<RadioButton>(*this, ct, std::move(caption));
    case ControlKind::kEdit:
      return std::make_unique<Edit>(*this, ct, std::move(caption));
    case ControlKind::kComboBox:
      return std::make_unique<ComboBox>(*this, ct, std::move(caption));
    case ControlKind::kListBox:
      return std::make_unique<ListBox>(*this, ct, std::move(caption));
    case ControlKind::kListView:
      return std::make_unique<ListView>(*this, ct, std::move(caption));
    case ControlKind::kSlider:
      return std::make_unique<Slider>(*this, ct, std::move(caption));
    case ControlKind::kProgress:
      return std::make_unique<ProgressBar>(*this, ct, std::move(caption));
    case ControlKind::kTab:
      return std::make_unique<TabControl>(*this, ct, std::move(caption));
    case ControlKind::kIpAddress: {
      auto ip = std::make_unique<IpAddress>(*this, ct, std::string());
      ip->SetText(caption);
      return ip;
    }
    case ControlKind::kPicture:
      return std::make_unique<PictureFrame>(*this, ct, std::move(caption));
  }
  return std::make_unique<Static>(*this, ct, std::move(caption));
}

Control* Dialog::FindControl(int id) const {
  if (id < 0) return nullptr;
  for (const auto& c : controls_) {
    if (c->id() == id) return c.get();
  }
  return nullptr;
}

void Dialog::RecordFault(int id) {
  if (std::find(access_faults_.begin(), access_faults_.end(), id) == access_faults_.end()) {
    platform::Diagnose("ui: dialog " + std::to_string(template_->id) + " has no control " +
                       std::to_string(id) + " of the kind asked for" +
                       (IsOpen() ? "" : " (dialog not open)"));
  }
  access_faults_.push_back(id);
}

template <typename T>
T& Dialog::Typed(int id, ControlKind kind) {
  Control* c = FindControl(id);
  if (c != nullptr && c->kind() == kind) return static_cast<T&>(*c);
  RecordFault(id);
  ControlTemplate ct;
  ct.id = id;
  ct.kind = kind;
  auto stand_in = MakeControl(ct, std::string());
  T& ref = static_cast<T&>(*stand_in);
  stand_ins_.push_back(std::move(stand_in));
  return ref;
}

Control& Dialog::GetControl(int id) {
  if (Control* c = FindControl(id)) return *c;
  return Typed<Static>(id, ControlKind::kStatic);
}
Static& Dialog::GetStatic(int id) { return Typed<Static>(id, ControlKind::kStatic); }
GroupBox& Dialog::GetGroupBox(int id) { return Typed<GroupBox>(id, ControlKind::kGroupBox); }
Button& Dialog::GetButton(int id) { return Typed<Button>(id, ControlKind::kButton); }
CheckBox& Dialog::GetCheckBox(int id) { return Typed<CheckBox>(id, ControlKind::kCheckBox); }
RadioButton& Dialog::GetRadio(int id) { return Typed<RadioButton>(id, ControlKind::kRadio); }
Edit& Dialog::GetEdit(int id) { return Typed<Edit>(id, ControlKind::kEdit); }
ComboBox& Dialog::GetComboBox(int id) { return Typed<ComboBox>(id, ControlKind::kComboBox); }
ListBox& Dialog::GetListBox(int id) { return Typed<ListBox>(id, ControlKind::kListBox); }
ListView& Dialog::GetListView(int id) { return Typed<ListView>(id, ControlKind::kListView); }
Slider& Dialog::GetSlider(int id) { return Typed<Slider>(id, ControlKind::kSlider); }
ProgressBar& Dialog::GetProgress(int id) { return Typed<ProgressBar>(id, ControlKind::kProgress); }
TabControl& Dialog::GetTab(int id) { return Typed<TabControl>(id, ControlKind::kTab); }
IpAddress& Dialog::GetIpAddress(int id) { return Typed<IpAddress>(id, ControlKind::kIpAddress); }
PictureFrame& Dialog::GetPicture(int id) { return Typed<PictureFrame>(id, ControlKind::kPicture); }

void Dialog::CheckDlgButton(int id, bool checked) {
  Control* c = FindControl(id);
  if (c != nullptr && c->kind() == ControlKind::kCheckBox) {
    static_cast<CheckBox*>(c)->SetCheck(checked);
  } else if (c != nullptr && c->kind() == ControlKind::kRadio) {
    static_cast<RadioButton*>(c)->SetCheck(checked);
  } else {
    RecordFault(id);
  }
}

bool Dialog::IsDlgButtonChecked(int id) const {
  const Control* c = FindControl(id);
  if (c != nullptr && c->kind() == ControlKind::kCheckBox) {
    return static_cast<const CheckBox*>(c)->GetCheck();
  }
  if (c != nullptr && c->kind() == ControlKind::kRadio) {
    return static_cast<const RadioButton*>(c)->GetCheck();
  }
  return false;
}

std::vector<RadioButton*> Dialog::RadioGroup(int id) const {
  // Find the control's position, walk back to the group start, then forward to the group end.
  size_t pos = controls_.size();
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i]->id() == id && id >= 0) {
      pos = i;
      break;
    }
  }
  std::vector<RadioButton*> group;
  if (pos == controls_.size() || controls_[pos]->kind() != ControlKind::kRadio) return group;
  size_t start = pos;
  while (start > 0 && !controls_[start]->HasStyle(kGroup) &&
         controls_[start - 1]->kind() == ControlKind::kRadio) {
    --start;
  }
  for (size_t i = start; i < controls_.size(); ++i) {
    const Control& c = *controls_[i];
    if (c.kind() != ControlKind::kRadio || (i > start && c.HasStyle(kGroup))) break;
    group.push_back(static_cast<RadioButton*>(controls_[i].get()));
  }
  return group;
}

namespace {

std::vector<RadioButton*> Focusable(const Dialog& d, std::vector<RadioButton*> group) {
  std::erase_if(group, [&](const RadioButton* r) { return !d.CanFocus(*r); });
  return group;
}

}  // namespace

RadioButton* Dialog::RadioTabStop(int id, const Control* focused) const {
  RadioButton* stop = nullptr;
  for (RadioButton* r : Focusable(*this, RadioGroup(id))) {
    if (r == focused) return r;
    if (stop == nullptr || (r->GetCheck() && !stop->GetCheck())) stop = r;
  }
  return stop;
}

RadioButton* Dialog::RadioStep(int id, int step) const {
  const auto group = Focusable(*this, RadioGroup(id));
  const auto it =
      std::find_if(group.begin(), group.end(), [&](const RadioButton* r) { return r->id() == id; });
  if (it == group.end()) return nullptr;
  const int n = static_cast<int>(group.size());
  const int at = static_cast<int>(it - group.begin());
  return group[static_cast<size_t>(((at + step) % n + n) % n)];
}

int Dialog::GetRadioIndex(int first_id) const {
  const auto group = RadioGroup(first_id);
  for (size_t i = 0; i < group.size(); ++i) {
    if (group[i]->GetCheck()) return static_cast<int>(i);
  }
  return -1;
}

void Dialog::SetRadioIndex(int first_id, int index) {
  const auto group = RadioGroup(first_id);
  if (group.empty()) RecordFault(first_id);
  for (size_t i = 0; i < group.size(); ++i) {
    group[i]->SetCheck(static_cast<int>(i) == index);
  }
}

void Dialog::CheckRadioButton(int check_id) {
  const auto group = RadioGroup(check_id);
  if (group.empty()) RecordFault(check_id);
  for (RadioButton* r : group) r->SetCheck(r->id() == check_id);
}

bool Dialog::IsControlShown(const Control& control) const {
  if (!control.IsVisible()) return false;
  for (const Dialog* d = this; d != nullptr; d = d->parent_) {
    if (!d->visible_) return false;
  }
  return true;
}

bool Dialog::ReadUIntRange(int id, uint32_t min, uint32_t max, uint32_t* value) {
  const std::string message = CheckUIntRange(id, min, max, value);
  if (message.empty()) return true;
  GotoDlgCtrl(id);
  MessageBox(message, {}, MB_OK | MB_ICONEXCLAMATION);
  return false;
}

std::string Dialog::CheckUIntRange(int id, uint32_t min, uint32_t max, uint32_t* value) {
  const std::string text = GetDlgItemText(id);
  const std::string_view s = Trim(text);
  const Resources fallback;
  const Resources& r = host_ ? host_->resources() : fallback;
  if (!AllDigits(s)) return r.Framework(FrameworkText::kPositiveInt);
  uint64_t v = 0;
  bool overflow = false;
  for (char c : s) {
    v = v * 10 + static_cast<uint64_t>(c - '0');
    if (v > UINT32_MAX) {
      overflow = true;
      break;
    }
  }
  if (overflow || v < min || v > max) {
    return FormatMessage(r.Framework(FrameworkText::kIntRange),
                         {std::to_string(min), std::to_string(max)});
  }
  *value = static_cast<uint32_t>(v);
  return {};
}

bool Dialog::ReadIntRange(int id, int32_t min, int32_t max, int32_t* value) {
  const std::string text = GetDlgItemText(id);
  std::string_view s = Trim(text);
  const Resources fallback;
  const Resources& r = host_ ? host_->resources() : fallback;
  auto fail = [&](std::string message) {
    GotoDlgCtrl(id);
    MessageBox(message, {}, MB_OK | MB_ICONEXCLAMATION);
    return false;
  };
  std::string_view digits = s;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  if (!AllDigits(digits)) return fail(r.Framework(FrameworkText::kInteger));
  int64_t v = 0;
  bool overflow = false;
  for (char c : digits) {
    v = v * 10 + (c - '0');
    if (v > (int64_t{1} << 32)) {
      overflow = true;
      break;
    }
  }
  if (!s.empty() && s.front() == '-') v = -v;
  if (overflow || v < min || v > max) {
    return fail(FormatMessage(r.Framework(FrameworkText::kIntRange),
                              {std::to_string(min), std::to_string(max)}));
  }
  *value = static_cast<int32_t>(v);
  return true;
}

bool Dialog::ReadTextMax(int id, size_t max_chars, std::string* value) {
  std::string text = GetDlgItemText(id);
  if (Utf8Length(text) > max_chars) {
    const Resources fallback;
    const Resources& r = host_ ? host_->resources() : fallback;
    GotoDlgCtrl(id);
    MessageBox(FormatMessage(r.Framework(FrameworkText::kMaxChars), {std::to_string(max_chars)}),
               {}, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  *value = std::move(text);
  return true;
}

void Dialog::SetTimer(int id, uint32_t ms) {
  if (host_) host_->SetTimer(*this, id, ms, true);
}

void Dialog::SetOneShotTimer(int id, uint32_t ms) {
  if (host_) host_->SetTimer(*this, id, ms, false);
}

void Dialog::KillTimer(int id) {
  if (host_) host_->KillTimer(*this, id);
}

int Dialog::MessageBox(std::string_view text, std::string_view caption, unsigned flags) {
  if (!host_) return (flags & MB_BUTTONMASK) == MB_YESNO ? IDNO : IDCANCEL;
  std::string cap(caption);
  if (cap.empty()) cap = host_->resources().AppTitle();
  return host_->MessageBox(text, cap, flags);
}

std::vector<std::string> Dialog::FileOpenDialog(std::string_view filter, bool multiple) {
  if (!host_) return {};
  FileOpenRequest request;
  request.filter = std::string(filter);
  request.multiple = multiple;
  return host_->FileOpen(request);
}

std::string Dialog::LoadString(int id) const {
  if (!host_) return {};
  return host_->resources().String(id);
}

platform::Clock& Dialog::clock() const { return host_->clock(); }

void Dialog::UpdateWindow() {
  if (host_) host_->Repaint(*this);
}

void Dialog::AppendSystemMenu(int id, std::string_view text) {
  system_menu_.push_back(SystemMenuEntry{id, std::string(text)});
}

bool Dialog::CreatePage(Dialog& page, int x, int y) {
  if (!IsOpen() || page.IsOpen() || &page == this) return false;
  page.HostOpen(*host_, this);
  page.page_x_ = x;
  page.page_y_ = y;
  pages_.push_back(&page);
  page.OnInitDialog();
  return true;
}

void Dialog::OnCommand(int id, Notify code) {
  if (parent_ != nullptr || code != Notify::kClicked) return;
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

void Dialog::OnOK() { EndDialog(IDOK); }
void Dialog::OnCancel() { EndDialog(IDCANCEL); }
void Dialog::OnClose() { OnCancel(); }

std::vector<Dialog*> Dialog::Family() {
  std::vector<Dialog*> family{this};
  for (Dialog* page : pages_) {
    const std::vector<Dialog*> below = page->Family();
    family.insert(family.end(), below.begin(), below.end());
  }
  return family;
}

}  // namespace ui
