#include "ui/core/snapshot_json.h"

#include <string>

namespace ui {

Json ControlJson(const Dialog& owner, const Control& c) {
  Json o;
  o["template"] = owner.TemplateId();
  o["id"] = c.id();
  o["kind"] = std::string(KindName(c.kind()));
  o["text"] = c.GetText();
  o["enabled"] = c.IsEnabled();
  o["visible"] = owner.IsControlShown(c);
  switch (c.kind()) {
    case ControlKind::kCheckBox:
      o["checked"] = static_cast<const CheckBox&>(c).GetCheck();
      break;
    case ControlKind::kRadio:
      o["checked"] = static_cast<const RadioButton&>(c).GetCheck();
      break;
    case ControlKind::kComboBox:
    case ControlKind::kListBox:
    case ControlKind::kTab: {
      const RowList& rows = *c.AsRowList();
      Json items = Json::array();
      for (int row = 0; row < rows.RowCount(); ++row) items.push_back(rows.RowText(row));
      o["items"] = std::move(items);
      o["selection"] = rows.SelectedRows();
      break;
    }
    case ControlKind::kListView: {
      const auto& lv = static_cast<const ListView&>(c);
      Json columns = Json::array();
      for (const auto& col : lv.Columns()) columns.push_back(col.text);
      o["columns"] = std::move(columns);
      o["items"] = lv.Rows();
      o["selection"] = lv.GetSelectedRows();
      break;
    }
    case ControlKind::kSlider: {
      const auto& s = static_cast<const Slider&>(c);
      o["position"] = s.GetPos();
      o["range"] = {s.GetRangeMin(), s.GetRangeMax()};
      break;
    }
    case ControlKind::kProgress: {
      const auto& p = static_cast<const ProgressBar&>(c);
      o["position"] = p.GetPos();
      o["range"] = {p.GetRangeMin(), p.GetRangeMax()};
      break;
    }
    case ControlKind::kPicture: {
      const auto& p = static_cast<const PictureFrame&>(c);
      o["width"] = p.GetImage().width;
      o["height"] = p.GetImage().height;
      o["digest"] = p.Digest();
      break;
    }
    default:
      break;
  }
  return o;
}

void CollectControlJson(const Dialog& dialog, Json* out) {
  for (const auto& c : dialog.Controls()) out->push_back(ControlJson(dialog, *c));
  for (const Dialog* page : dialog.Pages()) CollectControlJson(*page, out);
}

}  // namespace ui
