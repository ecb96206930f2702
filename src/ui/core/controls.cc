#include "ui/core/controls.h"

#include <algorithm>
#include <cstdio>

#include "platform/system/ascii_case.h"

namespace ui {

Control::Control(Dialog& owner, const ControlTemplate& tmpl, std::string caption)
    : text_(std::move(caption)),
      owner_(&owner),
      id_(tmpl.id),
      kind_(tmpl.kind),
      styles_(tmpl.styles),
      rect_(tmpl.rect),
      enabled_((tmpl.styles & kDisabled) == 0),
      visible_((tmpl.styles & kHidden) == 0) {}

Edit::Edit(Dialog& owner, const ControlTemplate& tmpl, std::string caption)
    : Control(owner, tmpl, std::move(caption)),
      limit_(tmpl.text_limit < 0 ? 0 : tmpl.text_limit),
      read_only_((tmpl.styles & kReadOnly) != 0) {}

// ---- ItemList

int ItemList::AddString(std::string_view text) {
  int row = GetCount();
  if (sorted_) {
    auto it = std::upper_bound(items_.begin(), items_.end(), text,
                               [](std::string_view t, const std::string& item) {
                                 return platform::AsciiLessNoCase(t, item);
                               });
    row = static_cast<int>(it - items_.begin());
  }
  return InsertString(row, text);
}

int ItemList::InsertString(int row, std::string_view text) {
  if (row == -1) row = GetCount();
  if (row < 0 || row > GetCount()) return -1;
  items_.insert(items_.begin() + row, std::string(text));
  RowInserted(row);
  return row;
}

int ItemList::DeleteString(int row) {
  if (row < 0 || row >= GetCount()) return -1;
  items_.erase(items_.begin() + row);
  RowRemoved(row);
  return GetCount();
}

void ItemList::ResetContent() {
  items_.clear();
  RowsCleared();
}

std::string ItemList::GetItemText(int row) const {
  if (row < 0 || row >= GetCount()) return {};
  return items_[static_cast<size_t>(row)];
}

int ItemList::FindStringExact(int start, std::string_view text) const {
  const int n = GetCount();
  if (n == 0) return -1;
  int first = (start < -1 || start >= n) ? 0 : start + 1;
  for (int k = 0; k < n; ++k) {
    const int row = (first + k) % n;
    if (platform::AsciiEqualNoCase(items_[static_cast<size_t>(row)], text)) return row;
  }
  return -1;
}

// ---- ComboBox

ComboBox::ComboBox(Dialog& owner, const ControlTemplate& tmpl, std::string caption)
    : Control(owner, tmpl, std::move(caption)), ItemList((tmpl.styles & kSorted) != 0) {
  if (!IsEditable()) text_.clear();  // a plain list shows only its rows
}

int ComboBox::SetCurSel(int row) {
  if (row < 0 || row >= GetCount()) {
    cur_sel_ = -1;
    if (IsEditable()) text_.clear();
    return -1;
  }
  cur_sel_ = row;
  if (IsEditable()) text_ = GetItemText(row);
  return row;
}

int ComboBox::SelectString(std::string_view text) {
  const int row = FindStringExact(-1, text);
  if (row < 0) return -1;
  return SetCurSel(row);
}

std::string ComboBox::GetText() const {
  if (IsEditable()) return text_;
  return GetItemText(cur_sel_);
}

void ComboBox::SetText(std::string_view text) {
  if (IsEditable()) {
    text_ = std::string(text);
    cur_sel_ = FindStringExact(-1, text);
    return;
  }
  SelectString(text);
}

void ComboBox::RowInserted(int row) {
  if (cur_sel_ >= row) ++cur_sel_;
}

void ComboBox::RowRemoved(int row) {
  if (cur_sel_ == row) {
    cur_sel_ = -1;
  } else if (cur_sel_ > row) {
    --cur_sel_;
  }
}

void ComboBox::RowsCleared() {
  cur_sel_ = -1;
  if (IsEditable()) text_.clear();
}

// ---- ListBox

ListBox::ListBox(Dialog& owner, const ControlTemplate& tmpl, std::string caption)
    : Control(owner, tmpl, std::move(caption)), ItemList((tmpl.styles & kSorted) != 0) {
  text_.clear();
}

int ListBox::GetCurSel() const {
  if (caret_ >= 0 && caret_ < GetCount() && selected_[static_cast<size_t>(caret_)]) return caret_;
  for (size_t i = 0; i < selected_.size(); ++i) {
    if (selected_[i]) return static_cast<int>(i);
  }
  return -1;
}

int ListBox::SetCurSel(int row) {
  std::fill(selected_.begin(), selected_.end(), false);
  if (row < 0 || row >= GetCount()) {
    caret_ = -1;
    return -1;
  }
  selected_[static_cast<size_t>(row)] = true;
  caret_ = row;
  return row;
}

bool ListBox::SetSel(int row, bool selected) {
  if (!IsMultiSelect()) {
    if (!selected) {
      if (GetSel(row)) SetCurSel(-1);
      return row >= 0 && row < GetCount();
    }
    return SetCurSel(row) >= 0;
  }
  if (row == -1) {
    std::fill(selected_.begin(), selected_.end(), selected);
    return true;
  }
  if (row < 0 || row >= GetCount()) return false;
  selected_[static_cast<size_t>(row)] = selected;
  caret_ = row;
  return true;
}

bool ListBox::GetSel(int row) const {
  return row >= 0 && row < GetCount() && selected_[static_cast<size_t>(row)];
}

int ListBox::GetSelCount() const {
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

std::vector<int> ListBox::GetSelItems() const {
  std::vector<int> rows;
  for (size_t i = 0; i < selected_.size(); ++i) {
    if (selected_[i]) rows.push_back(static_cast<int>(i));
  }
  return rows;
}

std::string ListBox::GetText() const { return GetItemText(GetCurSel()); }

void ListBox::RowInserted(int row) {
  selected_.insert(selected_.begin() + row, false);
  if (caret_ >= row) ++caret_;
}

void ListBox::RowRemoved(int row) {
  selected_.erase(selected_.begin() + row);
  if (caret_ == row) {
    caret_ = -1;
  } else if (caret_ > row) {
    --caret_;
  }
}

void ListBox::RowsCleared() {
  selected_.clear();
  caret_ = -1;
}

// ---- ListView

int ListView::InsertColumn(int index, std::string_view text, int width, ColumnAlign align) {
  const int n = GetColumnCount();
  if (index < 0 || index > n) index = n;
  columns_.insert(columns_.begin() + index, ListViewColumn{std::string(text), width, align});
  return index;
}

int ListView::InsertItem(int row, std::string_view text) {
  const int n = GetItemCount();
  if (row < 0 || row > n) row = n;
  rows_.insert(rows_.begin() + row, std::vector<std::string>{std::string(text)});
  selected_.insert(selected_.begin() + row, false);
  if (changed_row_ >= row) ++changed_row_;
  return row;
}

bool ListView::SetItemText(int row, int column, std::string_view text) {
  if (row < 0 || row >= GetItemCount() || column < 0 || column >= 256) return false;
  auto& cells = rows_[static_cast<size_t>(row)];
  if (static_cast<size_t>(column) >= cells.size()) cells.resize(static_cast<size_t>(column) + 1);
  cells[static_cast<size_t>(column)] = std::string(text);
  return true;
}

std::string ListView::GetItemText(int row, int column) const {
  if (row < 0 || row >= GetItemCount() || column < 0) return {};
  const auto& cells = rows_[static_cast<size_t>(row)];
  if (static_cast<size_t>(column) >= cells.size()) return {};
  return cells[static_cast<size_t>(column)];
}

bool ListView::DeleteItem(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  rows_.erase(rows_.begin() + row);
  selected_.erase(selected_.begin() + row);
  if (changed_row_ == row) {
    changed_row_ = -1;
  } else if (changed_row_ > row) {
    --changed_row_;
  }
  return true;
}

void ListView::DeleteAllItems() {
  rows_.clear();
  selected_.clear();
  changed_row_ = -1;
}

bool ListView::IsSelected(int row) const {
  return row >= 0 && row < GetItemCount() && selected_[static_cast<size_t>(row)];
}

bool ListView::SetSelected(int row, bool selected) {
  if (row < 0 || row >= GetItemCount()) return false;
  if (selected && !IsMultiSelect()) ClearSelection();
  selected_[static_cast<size_t>(row)] = selected;
  return true;
}

void ListView::ClearSelection() { std::fill(selected_.begin(), selected_.end(), false); }

int ListView::GetSelectedCount() const {
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), true));
}

std::vector<int> ListView::GetSelectedRows() const {
  std::vector<int> rows;
  for (size_t i = 0; i < selected_.size(); ++i) {
    if (selected_[i]) rows.push_back(static_cast<int>(i));
  }
  return rows;
}

// ---- Slider, ProgressBar

void RangeControl::SetRange(int min, int max) {
  if (min > max) std::swap(min, max);
  min_ = min;
  max_ = max;
  pos_ = std::clamp(pos_, min_, max_);
}

void RangeControl::SetPos(int pos) { pos_ = std::clamp(pos, min_, max_); }

int Slider::GetPageSize() const {
  if (page_size_ > 0) return page_size_;
  return std::max(1, static_cast<int>((static_cast<long long>(GetRangeMax()) - GetRangeMin()) / 5));
}

int Slider::PosAfter(Move move) const {
  long long pos = GetPos();
  switch (move) {
    case Move::kLineBack:
      pos -= GetLineSize();
      break;
    case Move::kLineForward:
      pos += GetLineSize();
      break;
    case Move::kPageBack:
      pos -= GetPageSize();
      break;
    case Move::kPageForward:
      pos += GetPageSize();
      break;
    case Move::kFirst:
      pos = GetRangeMin();
      break;
    case Move::kLast:
      pos = GetRangeMax();
      break;
  }
  return static_cast<int>(std::clamp<long long>(pos, GetRangeMin(), GetRangeMax()));
}

// Both mappings round to the nearest: truncating both ways would draw the thumb one cell short of
// where the track was clicked.
int Slider::PosAtCell(int cell, int cells) const {
  const long long span = static_cast<long long>(GetRangeMax()) - GetRangeMin();
  if (cells < 2 || span <= 0) return GetRangeMin();
  const long long last = cells - 1;
  const long long at = std::clamp<long long>(cell, 0, last);
  return static_cast<int>(GetRangeMin() + (2 * at * span + last) / (2 * last));
}

int Slider::ThumbCell(int cells) const {
  const long long span = static_cast<long long>(GetRangeMax()) - GetRangeMin();
  if (cells < 2 || span <= 0) return 0;
  const long long offset = static_cast<long long>(GetPos()) - GetRangeMin();
  return static_cast<int>((2 * offset * (cells - 1) + span) / (2 * span));
}

// ---- TabControl

int TabControl::InsertItem(int index, std::string_view text) {
  const int n = GetItemCount();
  if (index < 0 || index > n) index = n;
  tabs_.insert(tabs_.begin() + index, std::string(text));
  if (cur_sel_ < 0) {
    cur_sel_ = 0;  // the first tab is chosen, as with the framework's control
  } else if (cur_sel_ >= index && n > 0) {
    ++cur_sel_;
  }
  return index;
}

bool TabControl::DeleteAllItems() {
  tabs_.clear();
  cur_sel_ = -1;
  return true;
}

std::string TabControl::GetItemText(int index) const {
  if (index < 0 || index >= GetItemCount()) return {};
  return tabs_[static_cast<size_t>(index)];
}

int TabControl::SetCurSel(int index) {
  if (index < 0 || index >= GetItemCount()) return -1;
  const int previous = cur_sel_;
  cur_sel_ = index;
  return previous;
}

// ---- IpAddress

std::string IpAddress::GetText() const {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", octets_[0], octets_[1], octets_[2], octets_[3]);
  return buf;
}

void IpAddress::SetText(std::string_view text) { octets_ = ParseAddress(text); }

std::array<uint8_t, 4> IpAddress::ParseAddress(std::string_view text) {
  std::array<uint8_t, 4> octets{0, 0, 0, 0};
  size_t field = 0;
  unsigned value = 0;
  bool digits = false;
  bool bad = false;
  auto finish = [&] {
    if (field < 4) octets[field] = static_cast<uint8_t>(digits && !bad ? std::min(value, 255u) : 0);
  };
  for (char c : text) {
    if (c == '.') {
      finish();
      ++field;
      value = 0;
      digits = false;
      bad = false;
      if (field >= 4) break;
    } else if (c >= '0' && c <= '9') {
      value = std::min(value * 10 + static_cast<unsigned>(c - '0'), 1000u);
      digits = true;
    } else {
      bad = true;
    }
  }
  finish();
  return octets;
}

// ---- PictureFrame

bool PictureFrame::SetImage(RgbImage image) {
  if (image.width < 0 || image.height < 0 || image.width > kMaxSide || image.height > kMaxSide) {
    return false;
  }
  const size_t need = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3;
  if (image.rgb.size() != need) return false;
  image_ = std::move(image);
  return true;
}

std::string PictureFrame::Digest() const {
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint8_t b) {
    h ^= b;
    h *= 1099511628211ull;
  };
  for (int shift = 0; shift < 32; shift += 8) mix(static_cast<uint8_t>(image_.width >> shift));
  for (int shift = 0; shift < 32; shift += 8) mix(static_cast<uint8_t>(image_.height >> shift));
  for (uint8_t b : image_.rgb) mix(b);
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

// ---- Rows as the user changes them

int RowList::RowWithText(std::string_view text) const {
  for (int row = 0; row < RowCount(); ++row) {
    if (RowText(row) == text) return row;
  }
  return -1;
}

std::vector<int> ComboBox::SelectedRows() const {
  if (cur_sel_ < 0) return {};
  return {cur_sel_};
}

Notify ComboBox::ChooseRow(int row) {
  SetCurSel(row);
  return Notify::kSelChange;
}

Notify ListBox::ChooseRow(int row) {
  SetCurSel(row);
  return Notify::kSelChange;
}

Notify ListBox::AddRow(int row) {
  SetSel(row, true);
  return Notify::kSelChange;
}

Notify ListView::ChooseRow(int row) {
  ClearSelection();
  SetSelected(row, true);
  SetChangedRow(row);
  return Notify::kItemChanged;
}

Notify ListView::AddRow(int row) {
  SetSelected(row, true);
  SetChangedRow(row);
  return Notify::kItemChanged;
}

std::vector<int> TabControl::SelectedRows() const {
  if (cur_sel_ < 0) return {};
  return {cur_sel_};
}

Notify TabControl::ChooseRow(int row) {
  SetCurSel(row);
  return Notify::kSelChange;
}

}  // namespace ui
