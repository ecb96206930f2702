#include "ui/core/snapshot_json.h"

#include "ui/core/json.h"

namespace ui {

std::string ControlJson(const Dialog& owner, const Control& c) {
  JsonObject o;
  o.Add("template", owner.TemplateId())
      .Add("id", c.id())
      .Add("kind", KindName(c.kind()))
      .Add("text", c.GetText())
      .Add("enabled", c.IsEnabled())
      .Add("visible", owner.IsControlShown(c));
  switch (c.kind()) {
    case ControlKind::kCheckBox:
      o.Add("checked", static_cast<const CheckBox&>(c).GetCheck());
      break;
    case ControlKind::kRadio:
      o.Add("checked", static_cast<const RadioButton&>(c).GetCheck());
      break;
    case ControlKind::kComboBox:
    case ControlKind::kListBox:
    case ControlKind::kTab: {
      const RowList& rows = *c.AsRowList();
      std::vector<std::string> items;
      for (int row = 0; row < rows.RowCount(); ++row) items.push_back(rows.RowText(row));
      o.Add("items", items).Add("selection", rows.SelectedRows());
      break;
    }
    case ControlKind::kListView: {
      const auto& lv = static_cast<const ListView&>(c);
      std::vector<std::string> columns;
      for (const auto& col : lv.Columns()) columns.push_back(col.text);
      std::vector<std::string> rows;
      for (const auto& row : lv.Rows()) {
        std::vector<std::string> cells;
        for (const auto& cell : row) cells.push_back(JsonQuote(cell));
        rows.push_back(JsonArray(cells));
      }
      o.Add("columns", columns)
          .AddRaw("items", JsonArray(rows))
          .Add("selection", lv.GetSelectedRows());
      break;
    }
    case ControlKind::kSlider: {
      const auto& s = static_cast<const Slider&>(c);
      o.Add("position", s.GetPos())
          .Add("range", std::vector<int>{s.GetRangeMin(), s.GetRangeMax()});
      break;
    }
    case ControlKind::kProgress: {
      const auto& p = static_cast<const ProgressBar&>(c);
      o.Add("position", p.GetPos())
          .Add("range", std::vector<int>{p.GetRangeMin(), p.GetRangeMax()});
      break;
    }
    case ControlKind::kPicture: {
      const auto& p = static_cast<const PictureFrame&>(c);
      o.Add("width", p.GetImage().width)
          .Add("height", p.GetImage().height)
          .Add("digest", p.Digest());
      break;
    }
    default:
      break;
  }
  return o.Str();
}

void CollectControlJson(const Dialog& dialog, std::vector<std::string>* out) {
  for (const auto& c : dialog.Controls()) out->push_back(ControlJson(dialog, *c));
  for (const Dialog* page : dialog.Pages()) CollectControlJson(*page, out);
}

}  // namespace ui
