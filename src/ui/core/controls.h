#pragma once

// The controls of a dialog. A control exists while its dialog is open (from before OnInitDialog
// to after OnDestroy); the dialog owns it and hands out references by id.
//
// Every setter here is a programmatic change and sends no notification. Changes by the user's
// hand come through the host (an automation command or a key), which updates the control and
// then tells the dialog with OnCommand.
//
// Rows, columns and tab items are counted from 0. Functions that take a row return -1 (the
// framework's error value) or do nothing when the row does not exist; nothing here can run out
// of bounds.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image/rgb_image.h"
#include "ui/core/constants.h"
#include "ui/core/template.h"

namespace ui {

class Dialog;

// The rows of a drop-down list, a list box, a list view (its first column) or a tab row, as a
// host sees them: one interface instead of a cast per kind. Changes through it are the user's:
// each returns the notification the owning dialog is to get.
class RowList {
 public:
  virtual ~RowList() = default;
  virtual int RowCount() const = 0;
  // The row's text; "" when the row does not exist.
  virtual std::string RowText(int row) const = 0;
  virtual bool IsRowSelected(int row) const = 0;
  // Selected rows, ascending.
  virtual std::vector<int> SelectedRows() const = 0;
  // Whether the user may select several rows at once.
  virtual bool AllowsSeveralRows() const { return false; }
  // The user chose `row` (which exists) alone.
  virtual Notify ChooseRow(int row) = 0;
  // The user added `row` (which exists) to a selection of several rows.
  virtual Notify AddRow(int row) { return ChooseRow(row); }
  // The first row whose text is exactly `text`, or -1.
  int RowWithText(std::string_view text) const;
};

class Control {
 public:
  Control(Dialog& owner, const ControlTemplate& tmpl, std::string caption);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  int id() const { return id_; }
  ControlKind kind() const { return kind_; }
  uint32_t styles() const { return styles_; }
  bool HasStyle(uint32_t style) const { return (styles_ & style) != 0; }
  // Position and size in dialog units, as in the template.
  const Rect& rect() const { return rect_; }
  Dialog& owner() const { return *owner_; }

  // The window text: caption of buttons, labels, group boxes; content of edits; for a plain
  // drop-down list the text of the selected row; for an IP address control "a.b.c.d".
  virtual std::string GetText() const { return text_; }
  virtual void SetText(std::string_view text) { text_ = std::string(text); }

  bool IsEnabled() const { return enabled_; }
  void Enable(bool enabled) { enabled_ = enabled; }
  // The control's own visibility flag; a control on a hidden tab page keeps its flag but is not
  // visible to the user (Dialog::IsControlShown tells both).
  bool IsVisible() const { return visible_; }
  void Show(bool visible) { visible_ = visible; }

  // What a host asks of a control instead of switching on its kind.
  // Whether the focus can rest on it (labels, frames, bars and pictures: no).
  virtual bool CanHoldFocus() const { return true; }
  // Whether typed letters belong to it rather than to the dialog's mnemonics.
  virtual bool TakesTyping() const { return false; }
  // Whether its text is a caption (which may carry an & mnemonic) rather than content.
  virtual bool HasCaption() const { return false; }
  // Its rows, for controls that show rows; nullptr for the others.
  virtual RowList* AsRowList() { return nullptr; }
  const RowList* AsRowList() const { return const_cast<Control*>(this)->AsRowList(); }

 protected:
  std::string text_;

 private:
  Dialog* owner_;
  int id_;
  ControlKind kind_;
  uint32_t styles_;
  Rect rect_;
  bool enabled_;
  bool visible_;
};

class Static : public Control {
 public:
  using Control::Control;
  bool CanHoldFocus() const override { return false; }
  bool HasCaption() const override { return true; }
};

class GroupBox : public Control {
 public:
  using Control::Control;
  bool CanHoldFocus() const override { return false; }
  bool HasCaption() const override { return true; }
};

class Button : public Control {
 public:
  using Control::Control;
  bool HasCaption() const override { return true; }
};

// A checked state, shared by the check box and the radio button.
class CheckableControl : public Control {
 public:
  using Control::Control;
  bool HasCaption() const override { return true; }
  bool GetCheck() const { return checked_; }
  void SetCheck(bool checked) { checked_ = checked; }

 private:
  bool checked_ = false;
};

class CheckBox : public CheckableControl {
 public:
  using CheckableControl::CheckableControl;
};

// One radio button. Dialog::GetRadioIndex / SetRadioIndex / CheckRadioButton treat a group.
class RadioButton : public CheckableControl {
 public:
  using CheckableControl::CheckableControl;
};

class Edit : public Control {
 public:
  Edit(Dialog& owner, const ControlTemplate& tmpl, std::string caption);
  // Maximum number of characters (UTF-8 code points) the user may type; 0 = no limit. The
  // program's own SetText is not cut, as with the framework's edits.
  void SetLimitText(int limit) { limit_ = limit < 0 ? 0 : limit; }
  int GetLimitText() const { return limit_; }
  bool IsNumberOnly() const { return HasStyle(kNumber); }
  bool IsReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool TakesTyping() const override { return true; }

 private:
  int limit_;
  bool read_only_;
};

// Rows of text with an optional 32-bit value each; shared by drop-down lists and list boxes.
class ItemList {
 public:
  int GetCount() const { return static_cast<int>(items_.size()); }
  // Appends (or, with the kSorted style, inserts in order); returns the new row.
  int AddString(std::string_view text);
  // Inserts at row (row -1 or GetCount() appends); returns the new row or -1.
  int InsertString(int row, std::string_view text);
  // Removes a row; returns the remaining count or -1.
  int DeleteString(int row);
  void ResetContent();
  // The row's text, or "" when the row does not exist.
  std::string GetItemText(int row) const;
  // The first row at or after `start` + 1 (wrapping; start -1 = from the top) whose text equals
  // `text` exactly, or -1. The framework's exact match ignores case; so does this one (ASCII).
  int FindStringExact(int start, std::string_view text) const;
  const std::vector<std::string>& Items() const { return items_; }

 protected:
  explicit ItemList(bool sorted) : sorted_(sorted) {}
  // Called after a row was inserted or removed, so selections can follow their rows.
  virtual void RowInserted(int row) = 0;
  virtual void RowRemoved(int row) = 0;
  virtual void RowsCleared() = 0;

 private:
  bool sorted_;
  std::vector<std::string> items_;
};

// Drop-down list (CBS_DROPDOWNLIST), or with kEditable an editable drop-down (CBS_DROPDOWN)
// whose text may differ from every row.
class ComboBox : public Control, public ItemList, public RowList {
 public:
  ComboBox(Dialog& owner, const ControlTemplate& tmpl, std::string caption);
  int GetCurSel() const { return cur_sel_; }
  // Selects a row (-1 clears the selection); returns the row or -1 when it does not exist. An
  // editable drop-down's text becomes the row's text.
  int SetCurSel(int row);
  // Selects the first row whose text equals `text` (ignoring ASCII case); returns it or -1.
  int SelectString(std::string_view text);
  // The selected row's text ("" without a selection); an editable drop-down's edit text.
  std::string GetText() const override;
  // Editable: sets the edit text (and selects the row of that exact text, if any).
  // Plain list: selects the row of that text, like the framework's SetWindowText.
  void SetText(std::string_view text) override;
  bool IsEditable() const { return HasStyle(kEditable); }

  bool TakesTyping() const override { return true; }
  RowList* AsRowList() override { return this; }
  int RowCount() const override { return GetCount(); }
  std::string RowText(int row) const override { return GetItemText(row); }
  bool IsRowSelected(int row) const override { return row >= 0 && row == cur_sel_; }
  std::vector<int> SelectedRows() const override;
  Notify ChooseRow(int row) override;

 private:
  void RowInserted(int row) override;
  void RowRemoved(int row) override;
  void RowsCleared() override;
  int cur_sel_ = -1;
};

class ListBox : public Control, public ItemList, public RowList {
 public:
  ListBox(Dialog& owner, const ControlTemplate& tmpl, std::string caption);
  bool IsMultiSelect() const { return HasStyle(kMultiSelect); }
  // Single selection: the selected row or -1. Multi-selection: the caret row (the last row the
  // user or SetCurSel/SetSel touched) when it is selected, else the first selected row, or -1.
  int GetCurSel() const;
  // Selects only this row (-1: none); returns the row or -1.
  int SetCurSel(int row);
  // Multi-selection: select or deselect one row (row -1: every row). Single: like SetCurSel.
  bool SetSel(int row, bool selected);
  bool GetSel(int row) const;
  int GetSelCount() const;
  // Selected rows, ascending.
  std::vector<int> GetSelItems() const;
  // The selected row's text ("" without one).
  std::string GetText() const override;

  bool TakesTyping() const override { return true; }
  RowList* AsRowList() override { return this; }
  int RowCount() const override { return GetCount(); }
  std::string RowText(int row) const override { return GetItemText(row); }
  bool IsRowSelected(int row) const override { return GetSel(row); }
  std::vector<int> SelectedRows() const override { return GetSelItems(); }
  bool AllowsSeveralRows() const override { return IsMultiSelect(); }
  Notify ChooseRow(int row) override;
  Notify AddRow(int row) override;

 private:
  void RowInserted(int row) override;
  void RowRemoved(int row) override;
  void RowsCleared() override;
  std::vector<bool> selected_;
  int caret_ = -1;
};

enum class ColumnAlign { kLeft, kCenter, kRight };

struct ListViewColumn {
  std::string text;
  int width = 0;  // pixels, as the dialogs give them
  ColumnAlign align = ColumnAlign::kLeft;
};

// Report-style list view: columns, rows of cells, and a row selection (several rows unless the
// kSingleSelect style is set).
class ListView : public Control, public RowList {
 public:
  using Control::Control;
  // Extended style bits are kept for the hosts that draw grid lines or full-row selection.
  static constexpr uint32_t kGridLines = 0x1;
  static constexpr uint32_t kFullRowSelect = 0x20;
  void SetExtendedStyle(uint32_t style) { ext_style_ = style; }
  uint32_t GetExtendedStyle() const { return ext_style_; }

  // Inserts a column at `index` (clamped to the end); returns its index.
  int InsertColumn(int index, std::string_view text, int width,
                   ColumnAlign align = ColumnAlign::kLeft);
  int GetColumnCount() const { return static_cast<int>(columns_.size()); }
  const std::vector<ListViewColumn>& Columns() const { return columns_; }

  int GetItemCount() const { return static_cast<int>(rows_.size()); }
  // Inserts a row whose first cell is `text` at `row` (clamped to the end); returns the row.
  int InsertItem(int row, std::string_view text);
  // Sets a cell; false when the row does not exist or the column is negative.
  bool SetItemText(int row, int column, std::string_view text);
  // The cell's text, or "" when it does not exist.
  std::string GetItemText(int row, int column) const;
  bool DeleteItem(int row);
  void DeleteAllItems();
  // The cells of every row (rows of differing lengths are possible).
  const std::vector<std::vector<std::string>>& Rows() const { return rows_; }

  bool IsMultiSelect() const { return !HasStyle(kSingleSelect); }
  bool IsSelected(int row) const;
  // Selects or deselects one row; in single-selection mode selecting clears the others.
  bool SetSelected(int row, bool selected);
  void ClearSelection();
  int GetSelectedCount() const;
  // Selected rows, ascending.
  std::vector<int> GetSelectedRows() const;
  // The row the last user change (select/extend) touched, or -1; read it in the kItemChanged
  // handler.
  int ChangedRow() const { return changed_row_; }
  void SetChangedRow(int row) { changed_row_ = row; }

  bool TakesTyping() const override { return true; }
  RowList* AsRowList() override { return this; }
  int RowCount() const override { return GetItemCount(); }
  std::string RowText(int row) const override { return GetItemText(row, 0); }
  bool IsRowSelected(int row) const override { return IsSelected(row); }
  std::vector<int> SelectedRows() const override { return GetSelectedRows(); }
  bool AllowsSeveralRows() const override { return IsMultiSelect(); }
  Notify ChooseRow(int row) override;
  Notify AddRow(int row) override;

 private:
  uint32_t ext_style_ = 0;
  std::vector<ListViewColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
  std::vector<bool> selected_;
  int changed_row_ = -1;
};

// A position within a range, shared by the slider and the progress bar.
class RangeControl : public Control {
 public:
  using Control::Control;
  // Sets the range (min > max is swapped) and pulls the position into it.
  void SetRange(int min, int max);
  int GetRangeMin() const { return min_; }
  int GetRangeMax() const { return max_; }
  // Clamped into the range.
  void SetPos(int pos);
  int GetPos() const { return pos_; }

 private:
  int min_ = 0;
  int max_ = 100;
  int pos_ = 0;
};

// Track bar. How the user moves its thumb is the slider's own business; a host only says which
// move the user made (or which cell of the drawn track was clicked) and sends the result on as
// the automation language's `slide`, so the dialog hears of it the same way under every host.
class Slider : public RangeControl {
 public:
  using RangeControl::RangeControl;
  // A line back or forward (arrow keys), a page back or forward (PgUp / PgDn), to either end
  // (Home / End).
  enum class Move { kLineBack, kLineForward, kPageBack, kPageForward, kFirst, kLast };
  // Positions a line and a page move; sizes below 1 mean the default. A line is 1; a page is a
  // fifth of the range (at least 1) as with the framework's track bar, until SetPageSize.
  void SetLineSize(int size) { line_size_ = size; }
  int GetLineSize() const { return line_size_ > 0 ? line_size_ : 1; }
  void SetPageSize(int size) { page_size_ = size; }
  int GetPageSize() const;
  // Where `move` takes the thumb from the current position, clamped into the range.
  int PosAfter(Move move) const;
  // On a track drawn `cells` cells wide: the position a click on cell `cell` chooses (in
  // proportion, the nearest one), and the cell the thumb is drawn in. One undoes the other, so
  // the thumb lands on the cell that was clicked whenever the range has a position for it.
  int PosAtCell(int cell, int cells) const;
  int ThumbCell(int cells) const;

 private:
  int line_size_ = 0;
  int page_size_ = 0;
};

// The position is clamped as the slider's is, so a full bar stays full however far a job counts.
class ProgressBar : public RangeControl {
 public:
  using RangeControl::RangeControl;
  bool CanHoldFocus() const override { return false; }
};

// Tab control: the tab texts and the chosen tab. The pages are child dialogs the owning dialog
// creates with Dialog::CreatePage and shows or hides itself on kSelChange.
class TabControl : public Control, public RowList {
 public:
  using Control::Control;
  // Inserts a tab at `index` (clamped to the end); returns its index.
  int InsertItem(int index, std::string_view text);
  bool DeleteAllItems();
  int GetItemCount() const { return static_cast<int>(tabs_.size()); }
  std::string GetItemText(int index) const;
  int GetCurSel() const { return cur_sel_; }
  // Returns the previous selection, or -1 when `index` does not exist (nothing changes).
  int SetCurSel(int index);
  const std::vector<std::string>& Items() const { return tabs_; }

  RowList* AsRowList() override { return this; }
  int RowCount() const override { return GetItemCount(); }
  std::string RowText(int row) const override { return GetItemText(row); }
  bool IsRowSelected(int row) const override { return row >= 0 && row == cur_sel_; }
  std::vector<int> SelectedRows() const override;
  Notify ChooseRow(int row) override;

 private:
  std::vector<std::string> tabs_;
  int cur_sel_ = -1;
};

// Four-octet address. Text is "a.b.c.d"; SetText takes the same form and reads what it can:
// missing or non-numeric fields read 0, numbers above 255 read 255.
class IpAddress : public Control {
 public:
  using Control::Control;
  std::string GetText() const override;
  void SetText(std::string_view text) override;
  void SetAddress(uint8_t a, uint8_t b, uint8_t c, uint8_t d) { octets_ = {a, b, c, d}; }
  std::array<uint8_t, 4> GetAddress() const { return octets_; }
  void ClearAddress() { octets_ = {0, 0, 0, 0}; }
  bool TakesTyping() const override { return true; }
  // The octets SetText takes from `text` ("192.168.0.1"; a missing or bad field is 0, a large
  // one 255).
  static std::array<uint8_t, 4> ParseAddress(std::string_view text);

 private:
  std::array<uint8_t, 4> octets_{0, 0, 0, 0};
};

using RgbImage = platform::RgbImage;

class PictureFrame : public Control {
 public:
  using Control::Control;
  bool CanHoldFocus() const override { return false; }
  // Largest image accepted on either side; larger ones are refused (false) and the frame keeps
  // its image.
  static constexpr int kMaxSide = 4096;
  // False (nothing changes) unless 0 <= width, height <= kMaxSide and rgb holds exactly
  // width * height * 3 bytes.
  bool SetImage(RgbImage image);
  void Clear() { image_ = RgbImage{}; }
  const RgbImage& GetImage() const { return image_; }
  // A short digest of the pixels (FNV-1a, 16 hex digits) for automation snapshots.
  std::string Digest() const;

 private:
  RgbImage image_;
};

}  // namespace ui
