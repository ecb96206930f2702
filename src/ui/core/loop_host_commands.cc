// The loop engine's second half: the automation commands applied to the active frame.

#include "ui/core/loop_host.h"
#include "ui/core/loop_host_internals.h"
#include "ui/core/utf8.h"

namespace ui {
namespace {

using loop_rules::Offers;
using loop_rules::TopLevel;

std::string AnswerName(int id) {
  switch (id) {
    case IDOK:
      return "OK";
    case IDCANCEL:
      return "Cancel";
    case IDYES:
      return "Yes";
    default:
      return "No";
  }
}

// Finds the shown control `id` on the pages of `dialog`; several matches count as none.
Control* FindOnShownPages(Dialog& dialog, int id, Dialog** owner, int* matches) {
  Control* found = nullptr;
  for (Dialog* page : dialog.Pages()) {
    Control* c = page->FindControl(id);
    if (c != nullptr && page->IsControlShown(*c)) {
      ++*matches;
      found = c;
      *owner = page;
    }
    Dialog* deeper_owner = nullptr;
    if (Control* d = FindOnShownPages(*page, id, &deeper_owner, matches)) {
      found = d;
      *owner = deeper_owner;
    }
  }
  return found;
}

Dialog* FindPage(Dialog& dialog, int template_id) {
  for (Dialog* page : dialog.Pages()) {
    if (page->TemplateId() == template_id) return page;
    if (Dialog* deeper = FindPage(*page, template_id)) return deeper;
  }
  return nullptr;
}

}  // namespace

// ---- Commands

void LoopHost::Apply(const Command& command) {
  const std::string& src = command.source;
  Frame* top = stack_.empty() ? nullptr : stack_.back();
  switch (command.kind) {
    case CommandKind::kWaitDialog:
    case CommandKind::kWaitMessageBox: {
      wait_ = std::make_unique<Wait>();
      wait_->messagebox = command.kind == CommandKind::kWaitMessageBox;
      wait_->or_messagebox = command.or_messagebox;
      wait_->template_id = command.number;
      wait_->deadline_ms = ElapsedMs() + static_cast<uint64_t>(command.seconds * 1000.0 + 0.5);
      wait_->source = src;
      return;
    }
    case CommandKind::kSnapshot:
      if (TopDialog() == nullptr) {
        Error(src + ": no dialog is open");
        return;
      }
      Record(Snapshot());
      return;
    case CommandKind::kAnswer:
      if (top == nullptr || top->kind != Frame::Kind::kMessageBox) {
        Error(src + ": no message box is up");
        return;
      }
      if (!Offers(top->flags, command.number)) {
        Error(src + ": the message box has no " + AnswerName(command.number) + " button");
        return;
      }
      top->result = command.number;
      top->done = true;
      return;
    case CommandKind::kFiles:
      if (top == nullptr || top->kind != Frame::Kind::kFileDialog) {
        Error(src + ": no file dialog is up");
        return;
      }
      if (!top->request.multiple && command.paths.size() > 1) {
        Error(src + ": the file dialog takes one file");
        return;
      }
      top->paths = command.paths;
      top->done = true;
      return;
    case CommandKind::kClose:
      if (top == nullptr) {
        Error(src + ": nothing to close");
      } else if (top->kind == Frame::Kind::kDialog) {
        top->dialog->OnClose();
      } else if (top->kind == Frame::Kind::kFileDialog) {
        top->paths.clear();
        top->done = true;
      } else if (CanCloseBox(top->flags)) {
        top->result = Offers(top->flags, IDCANCEL) ? IDCANCEL : IDOK;
        top->done = true;
      } else {
        Error(src + ": this message box cannot be closed; answer it");
      }
      return;
    default:
      break;
  }
  if (top == nullptr || top->kind != Frame::Kind::kDialog) {
    Error(src + (top == nullptr ? ": no dialog is open"
                                : (top->kind == Frame::Kind::kMessageBox
                                       ? ": a message box is up; answer it first"
                                       : ": the file dialog is up; answer it first")));
    return;
  }
  ApplyToDialog(*top->dialog, command);
}

void LoopHost::ApplyToDialog(Dialog& dialog, const Command& command) {
  const std::string& src = command.source;
  if (command.kind == CommandKind::kSysMenu) {
    for (const auto& entry : dialog.SystemMenu()) {
      if (entry.id == command.number) {
        dialog.OnSysCommand(entry.id);
        return;
      }
    }
    Error(src + ": dialog " + std::to_string(dialog.TemplateId()) + " has no system-menu entry " +
          std::to_string(command.number));
    return;
  }

  const ControlRef& ref = command.target;
  Dialog* owner = &dialog;
  Control* c = nullptr;
  if (ref.template_id == 0 || ref.template_id == dialog.TemplateId()) {
    c = dialog.FindControl(ref.id);
    if (c == nullptr && ref.template_id == 0) {
      int matches = 0;
      c = FindOnShownPages(dialog, ref.id, &owner, &matches);
      if (matches > 1) {
        Error(src + ": control " + std::to_string(ref.id) +
              " is on several pages; name it as TEMPLATE:ID");
        return;
      }
    }
  } else {
    owner = FindPage(dialog, ref.template_id);
    if (owner == nullptr) {
      Error(src + ": dialog " + std::to_string(dialog.TemplateId()) + " has no page " +
            std::to_string(ref.template_id));
      return;
    }
    c = owner->FindControl(ref.id);
  }
  if (c == nullptr) {
    Error(src + ": dialog " + std::to_string(owner->TemplateId()) + " has no control " +
          std::to_string(ref.id));
    return;
  }
  if (!owner->IsControlShown(*c)) {
    Error(src + ": control " + std::to_string(ref.id) + " is hidden");
    return;
  }
  if (!c->IsEnabled()) {
    Error(src + ": control " + std::to_string(ref.id) + " is disabled");
    return;
  }
  const int id = c->id();
  const std::string kind_error =
      src + ": control " + std::to_string(id) + " is of kind " + std::string(KindName(c->kind()));

  switch (command.kind) {
    case CommandKind::kClick:
      switch (c->kind()) {
        case ControlKind::kButton:
          break;
        case ControlKind::kCheckBox: {
          auto* cb = static_cast<CheckBox*>(c);
          cb->SetCheck(!cb->GetCheck());
          break;
        }
        case ControlKind::kRadio:
          owner->CheckRadioButton(id);
          break;
        default:
          Error(kind_error + "; click needs a button, check box or radio button");
          return;
      }
      owner->OnCommand(id, Notify::kClicked);
      return;

    case CommandKind::kSelect: {
      RowList* rows = c->AsRowList();
      if (rows == nullptr) {
        Error(kind_error + "; select needs a drop-down list, list box, list view or tab control");
        return;
      }
      int row = -1;
      if (command.by_text) {
        row = rows->RowWithText(command.text);
      } else if (command.rows[0] < rows->RowCount()) {
        row = command.rows[0];
      }
      if (row < 0) {
        Error(src + ": control " + std::to_string(id) + " has no such row");
        return;
      }
      owner->OnCommand(id, rows->ChooseRow(row));
      return;
    }

    case CommandKind::kExtend: {
      RowList* rows = c->AsRowList();
      if (rows == nullptr || !rows->AllowsSeveralRows()) {
        Error(kind_error + "; extend needs a list box or list view with multi-selection");
        return;
      }
      for (int row : command.rows) {
        if (row >= rows->RowCount()) {
          Error(src + ": control " + std::to_string(id) + " has no row " + std::to_string(row));
          return;
        }
        owner->OnCommand(id, rows->AddRow(row));
      }
      return;
    }

    case CommandKind::kType: {
      const bool edit = c->kind() == ControlKind::kEdit;
      const bool combo =
          c->kind() == ControlKind::kComboBox && static_cast<ComboBox*>(c)->IsEditable();
      const bool ip = c->kind() == ControlKind::kIpAddress;
      if (!edit && !combo && !ip) {
        Error(kind_error + "; type needs an edit, an editable drop-down list or an IP address");
        return;
      }
      if (edit && static_cast<Edit*>(c)->IsReadOnly()) {
        Error(src + ": edit " + std::to_string(id) + " is read-only");
        return;
      }
      // The typed text replaces what the control shows: the first keystroke overwrites it.
      std::string typed;
      bool first = true;
      auto still_usable = [&] {
        return !TopLevel(*owner).HasEnded() && owner->FindControl(id) == c && c->IsEnabled() &&
               owner->IsControlShown(*c);
      };
      const auto keys = Utf8Characters(command.text);
      if (keys.empty()) {
        if (!c->GetText().empty()) {
          c->SetText("");
          owner->OnCommand(id, Notify::kEditChange);
        }
        return;
      }
      for (const std::string& key : keys) {
        if (!still_usable()) return;
        const std::string base = first ? std::string() : (ip ? typed : c->GetText());
        if (edit) {
          auto* e = static_cast<Edit*>(c);
          if (e->IsNumberOnly() && !(key.size() == 1 && key[0] >= '0' && key[0] <= '9')) {
            continue;  // the control refuses the keystroke, as a number-only edit does
          }
          if (e->GetLimitText() > 0 &&
              Utf8Length(base) + 1 > static_cast<size_t>(e->GetLimitText())) {
            continue;  // full: the keystroke is refused
          }
        }
        if (ip && !(key == "." || (key.size() == 1 && key[0] >= '0' && key[0] <= '9'))) {
          continue;
        }
        typed = base + key;
        first = false;
        c->SetText(typed);
        owner->OnCommand(id, Notify::kEditChange);
      }
      return;
    }

    case CommandKind::kSlide: {
      if (c->kind() != ControlKind::kSlider) {
        Error(kind_error + "; slide needs a slider");
        return;
      }
      auto* s = static_cast<Slider*>(c);
      if (command.number < s->GetRangeMin() || command.number > s->GetRangeMax()) {
        Error(src + ": position outside the slider's range " + std::to_string(s->GetRangeMin()) +
              " to " + std::to_string(s->GetRangeMax()));
        return;
      }
      s->SetPos(command.number);
      owner->OnCommand(id, Notify::kScroll);
      return;
    }

    default:
      Error(src + ": cannot be applied here");
      return;
  }
}

}  // namespace ui
