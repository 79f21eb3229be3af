// A table in RTF and HTML: the row definitions and cell marks of RTF, the
// TABLE element of HTML; the cells' documents are written by the document
// writers, one cell at a time, as nested documents.
#include <algorithm>
#include <cmath>

#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/tables/RVTable.h"

namespace kc {

namespace {

// The width a table is laid out to when it was never shown: the text width
// of a letter page with one-inch margins.
constexpr int kUnshownWidth = 624;

// Pixels to twips, halves to even.
int twips(double Pixels, double Factor) { return int(std::nearbyint(Pixels * Factor)); }

int colorNo(const TRVColorList *List, TColor C) {
  if (!List || C == clNone) return 0;
  return std::max(0, List->IndexOf(C));
}

class RtfTableWriter {
public:
  RtfTableWriter(const TRVTableItemInfo &T, const TRVStyle *St, TRVRTFSaveContext &Ctx, int Level)
      : T(T), St(St), Ctx(Ctx), Level(Level) {}

  int Tw(double Pixels) const { return twips(Pixels, Ctx.TwipsFactor); }

  std::string Border(TRVTableBorderStyle Style, int WidthTw, TColor Color) const {
    switch (Style) {
    case rvtbRaised: return "\\brdroutset\\brdrw" + std::to_string(WidthTw);
    case rvtbLowered: return "\\brdrinset\\brdrw" + std::to_string(WidthTw);
    default:
      return "\\brdrs\\brdrw" + std::to_string(WidthTw) + "\\brdrcf" + std::to_string(colorNo(Ctx.ColorList, Color));
    }
  }

  std::string Borders(const char *Prefix, TRVTableBorderStyle Style, int Width, TColor Color, TColor Light,
                      const TRVBooleanRect *Visible) const {
    if (Width <= 0) return {};
    const int w = Tw(Width);
    TColor lt = Color, rb = Color;
    if (Style == rvtbRaisedColor) lt = Light;
    if (Style == rvtbLoweredColor) rb = Light;
    const bool show[4] = {!Visible || Visible->Left, !Visible || Visible->Top, !Visible || Visible->Right,
                          !Visible || Visible->Bottom};
    static const char *const side[4] = {"brdrl", "brdrt", "brdrr", "brdrb"};
    std::string s;
    for (int k = 0; k < 4; ++k)
      if (show[k]) s += std::string("\\") + Prefix + side[k] + Border(Style, w, k < 2 ? lt : rb);
    return s;
  }

  // The row definition: \trowd to the last \cellx.
  std::string RowDefinition(int r) const {
    const TRVTableRows &rows = T.Rows();
    const int cols = T.ColCount();
    const TRVTableItemFormattingInfo &fi = T.FormattingInfo();
    std::string s;
    std::string align;
    if (St) {
      const TRVAlignment a = St->ParaStyles().GetParaStyleSafe(T.ParaNo)->Alignment;
      if (a == rvaRight) align = "\\trqr";
      if (a == rvaCenter) align = "\\trqc";
    }
    const double f = Ctx.TwipsFactor;
    s += "\\trowd" + align + "\\trgaph" +
         std::to_string(int(std::nearbyint((2.0 * (T.CellPadding + T.CellBorderWidth) + T.CellHSpacing) * f / 2))) +
         "\\trleft0\\itap" + std::to_string(Level + 1);
    if (r < T.HeadingRowCount) s += "\\trhdr";
    if (const int h = rows[r]->GetBestHeight(); h > 0) s += "\\trrh" + std::to_string(Tw(h));
    const std::string pad = std::to_string(Tw(T.CellPadding));
    s += "\\trpaddl" + pad + "\\trpaddt" + pad + "\\trpaddr" + pad + "\\trpaddb" + pad +
         "\\trpaddfl3\\trpaddft3\\trpaddfr3\\trpaddfb3";
    const std::string hs = std::to_string(int(std::nearbyint(T.CellHSpacing * f / 2)));
    s += "\\trspdl" + hs + "\\trspdr" + hs + "\\trspdfl3\\trspdfr3";
    const int top = r == 0 ? T.BorderVSpacing : T.CellVSpacing;
    const int bottom = r == T.RowCount() - 1 ? T.BorderVSpacing : T.CellVSpacing;
    s += "\\trspdt" + std::to_string(int(std::nearbyint(top * f / 2))) + "\\trspdb" +
         std::to_string(int(std::nearbyint(bottom * f / 2))) + "\\trspdft3\\trspdfb3";
    if (T.BestWidth == 0) s += "\\trftsWidth1";
    else if (T.BestWidth < 0) s += "\\trwWidth" + std::to_string(int64_t(-T.BestWidth) * 50) + "\\trftsWidth2";
    else s += "\\trwWidth" + std::to_string(Tw(int64_t(T.BestWidth) + 2 * int64_t(T.BorderWidth))) + "\\trftsWidth3";
    if (T.Options.Has(rvtoRTFAllowAutofit)) s += "\\trautofit1";
    s += "\\richvistatbw" + std::to_string(T.BestWidth);
    s += Borders("tr", T.BorderStyle, T.BorderWidth, T.BorderColor, T.BorderLightColor, nullptr);
    for (int c = 0; c < cols; ++c) {
      int mr = r, mc = c;
      const TRVTableCellData *cell = rows.GetMainCell(r, c, mr, mc);
      if (!cell) continue;
      const bool own = mr == r && mc == c;
      if (own) {
        if (cell->RowSpan > 1) s += "\\clvmgf";
        if (cell->ColSpan > 1) s += "\\clmgf";
      } else {
        if (r > mr) {
          s += "\\clvmrg";
          if (c == mc && cell->ColSpan > 1) s += "\\clmgf";
        }
        if (c > mc) {
          s += "\\clmrg";
          if (r == mr && cell->RowSpan > 1) s += "\\clvmgf";
        }
      }
      if (own) {
        if (cell->BestWidth == 0) s += "\\clftsWidth1";
        else if (cell->BestWidth < 0)
          s += "\\clwWidth" + std::to_string(int64_t(-cell->BestWidth) * 50) + "\\clftsWidth2";
        else if (T.Options.Has(rvtoRTFSaveCellPixelBestWidth))
          s += "\\clwWidth" + std::to_string(Tw(cell->BestWidth)) + "\\clftsWidth3";
        else s += "\\clwWidth0";
        s += "\\richvistacbw" + std::to_string(cell->BestWidth) + "\\richvistacbh" + std::to_string(cell->BestHeight);
      }
      s += Borders("cl", T.CellBorderStyle, T.CellBorderWidth,
                   cell->BorderColor != clNone ? cell->BorderColor : T.CellBorderColor,
                   cell->BorderLightColor != clNone ? cell->BorderLightColor : T.CellBorderLightColor,
                   &cell->VisibleBorders);
      if (cell->Color != clNone) s += "\\clcbpat" + std::to_string(colorNo(Ctx.ColorList, cell->Color));
      const TRVCellVAlign va = cell->GetRealVAlign();
      if (va == rvcMiddle) s += "\\clvertalc";
      if (va == rvcBottom) s += "\\clvertalb";
      int64_t right = 0;
      if (c < fi.ColStarts.Count() && c < fi.ColWidths.Count())
        right = int64_t(fi.ColStarts[c]) + fi.ColWidths[c] + 2 * int64_t(T.CellPadding);
      s += "\\cellx" + std::to_string(int64_t(std::nearbyint(double(right) * f + T.CellHSpacing * f / 2)));
    }
    return s;
  }

  void Write(std::string &Out) {
    const int cols = T.ColCount();
    const std::string itap = "\\pard\\intbl\\itap" + std::to_string(Level + 1);
    const char *cellMark = Level > 0 ? "\\nestcell" : "\\cell";
    TRVRTFSaveContext inner = Ctx;
    inner.Level = Level + 1;
    for (int r = 0; r < T.RowCount(); ++r) {
      Out += "\r\n";
      // Top-level rows are defined before their cells; a nested row's
      // definition comes with its end, as word processors expect it.
      if (Level == 0) Out += RowDefinition(r) + "\r\n";
      for (int c = 0; c < cols; ++c) {
        TRVTableCellData *cell = T.Cells(r, c);
        const int n = cell ? cell->GetItemCount() : 0;
        if (n > 0) ExportRtfBody(*cell, Out, inner);
        // A cell mark after a nested table ends a paragraph of this cell.
        if (n == 0 || cell->GetItem(n - 1)->StyleNo == rvsTable) Out += itap + " ";
        Out += cellMark;
      }
      if (Level == 0) Out += "\\row";
      else Out += "{\\*\\nesttableprops" + RowDefinition(r) + "\\nestrow}{\\nonesttables\\par}";
    }
    Out += "\r\n";
  }

private:
  const TRVTableItemInfo &T;
  const TRVStyle *St;
  TRVRTFSaveContext &Ctx;
  int Level;
};

std::string attr(const char *Name, const std::string &Value, const char *Default = "") {
  if (Value.empty() || Value == Default) return {};
  return std::string(" ") + Name + "=\"" + Value + "\"";
}

std::string lengthValue(int32_t V) {
  if (V == 0) return {};
  return V < 0 ? std::to_string(-int64_t(V)) + "%" : std::to_string(V);
}

std::string colourValue(TColor C) { return C == clNone ? std::string() : ColorToHtml(C); }

const char *valignValue(TRVCellVAlign V) {
  switch (V) {
  case rvcTop: return "top";
  case rvcMiddle: return "middle";
  case rvcBottom: return "bottom";
  default: return "";
  }
}

} // namespace

void TRVTableItemInfo::SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                               TRVRTFSaveContext &Context) {
  (void)ItemNo, (void)Name;
  const TRVEditedCellView edited(*this);
  if (Rows().IsEmpty()) return;
  // Cell boundaries come from a layout; a document that was never shown
  // has none yet.
  const TRVTableItemFormattingInfo &fi = FormattingInfo();
  if (fi.TableWidth == 0 || fi.ColStarts.Count() != ColCount()) EnsureLayout(kUnshownWidth);
  RtfTableWriter(*this, RVData ? RVData->GetRVStyle() : nullptr, Context, Context.Level).Write(Stream);
}

void TRVTableItemInfo::FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &FontTable, TCustomRVData *RVData) {
  (void)RVData;
  auto add = [&](TColor c) {
    if (c != clNone) ColorList.AddUnique(c);
  };
  add(Color);
  auto borderColours = [&](TRVTableBorderStyle Style, TColor C, TColor Light) {
    switch (Style) {
    case rvtbRaised:
    case rvtbLowered:
      add(clBtnHighlight);
      add(clBtnShadow);
      add(clBtnFace);
      break;
    case rvtbColor: add(C); break;
    default: add(C); add(Light);
    }
  };
  borderColours(BorderStyle, BorderColor, BorderLightColor);
  borderColours(CellBorderStyle, CellBorderColor, CellBorderLightColor);
  if (VRuleWidth > 0) add(VRuleColor);
  if (HRuleWidth > 0) add(HRuleColor);
  for (int r = 0; r < RowCount(); ++r)
    for (int c = 0; c < ColCount(); ++c) {
      TRVTableCellData *cell = Cells(r, c);
      if (!cell) continue;
      add(cell->Color);
      add(cell->BorderColor);
      add(cell->BorderLightColor);
      for (int i = 0; i < cell->GetItemCount(); ++i)
        if (!cell->GetItem(i)->IsText()) cell->GetItem(i)->FillRTFTables(ColorList, FontTable, cell);
    }
}

void TRVTableItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                                  TRVHTMLSaveContext &Context) {
  (void)ItemNo, (void)Text;
  const TRVEditedCellView edited(*this);
  std::string &out = Stream;
  const bool css = Context.UseCSS;
  std::string back;
  if (TGraphic *g = GetBackgroundImage(); g && !g->empty() && RVData)
    RVData->SaveImageFileEx(Context.Path, g, rvsfHTML, Context.ImagesPrefix, Context.ImageCounter,
                            Context.SaveOptions.Has(rvsoOverwriteImages), Color, back);
  // CSS declarations of the table, one style attribute.
  std::string style;
  std::string borderAttr = " border=\"" + std::to_string(std::max(0, BorderWidth)) + "\"";
  if (css && BorderWidth < 1 && CellBorderWidth != 0) {
    borderAttr = " border=\"1\"";
    style += "border-width: 0px;";
  }
  if (css) {
    if (BorderStyle == rvtbLowered) style += " border-style: inset;";
    if (BorderStyle == rvtbLoweredColor)
      style += " border-color: " + ColorToHtml(BorderColor) + " " + ColorToHtml(BorderLightColor) + " " +
               ColorToHtml(BorderLightColor) + " " + ColorToHtml(BorderColor) + "; border-style: solid;";
    if (!back.empty() && (GetBackgroundStyle() == rvbsStretched || GetBackgroundStyle() == rvbsCentered))
      style += " background-position: center center; background-repeat: no-repeat;";
  }
  while (!style.empty() && style.front() == ' ') style.erase(0, 1);
  // An empty summary: HTML 4 wants one on every table for readers that do
  // not see it, and the document has nothing to say there.
  out += "<TABLE summary=\"\"" + attr("width", lengthValue(BestWidth)) + attr("bgcolor", colourValue(Color)) +
         borderAttr + attr("cellpadding", std::to_string(std::max(0, CellPadding))) +
         attr("cellspacing", std::to_string(std::max(0, CellHSpacing))) + attr("background", back) +
         attr("style", style) + ">\r\n";
  for (int r = 0; r < RowCount(); ++r) {
    out += "<TR" + attr("valign", valignValue(Rows()[r]->VAlign)) + ">\r\n";
    for (int c = 0; c < ColCount(); ++c) {
      TRVTableCellData *cell = Cells(r, c);
      if (!cell) continue;
      std::string cellBack;
      if (TGraphic *g = cell->GetBackgroundImage(); g && !g->empty() && RVData)
        RVData->SaveImageFileEx(Context.Path, g, rvsfHTML, Context.ImagesPrefix, Context.ImageCounter,
                                Context.SaveOptions.Has(rvsoOverwriteImages), cell->GetEffectiveColor(), cellBack);
      std::string cs;
      if (css) {
        if (cell->BorderColor != clNone || cell->BorderLightColor != clNone) {
          const TColor bc = cell->BorderColor != clNone ? cell->BorderColor : CellBorderColor;
          const TColor bl = cell->BorderLightColor != clNone ? cell->BorderLightColor : CellBorderLightColor;
          // The width only where the table's own does not already give it.
          const bool sameWidth =
              (BorderWidth == CellBorderWidth && BorderWidth < 2) || (CellBorderWidth == 1 && BorderWidth > 1);
          if (!sameWidth) cs += "border-width: " + std::to_string(CellBorderWidth) + "px; ";
          if (CellBorderWidth > 0) {
            if (CellBorderStyle == rvtbRaised) cs += "border-style: outset; ";
            if (CellBorderStyle == rvtbColor && !(BorderStyle == rvtbColor && BorderColor == bc))
              cs += "border-color: " + ColorToHtml(bc) + "; border-style: solid; ";
            const bool tableSame = (BorderStyle == rvtbRaisedColor || BorderStyle == rvtbLoweredColor) &&
                                   BorderColor == bc && BorderLightColor == bl;
            if ((CellBorderStyle == rvtbRaisedColor || CellBorderStyle == rvtbLoweredColor) && !tableSame) {
              const bool raised = CellBorderStyle == rvtbRaisedColor;
              const TColor a = raised ? bl : bc, b = raised ? bc : bl;
              cs += "border-color: " + ColorToHtml(a) + " " + ColorToHtml(b) + " " + ColorToHtml(b) + " " +
                    ColorToHtml(a) + "; border-style: solid; ";
            }
          }
        }
        const TRVItemBackgroundStyle bs = cell->GetBackgroundStyle();
        if (!cellBack.empty() && (bs == rvbsStretched || bs == rvbsCentered))
          cs += "background-position: center center; background-repeat: no-repeat; ";
        if (CellBorderWidth > 0) {
          if (!cell->VisibleBorders.Top) cs += "border-top: none; ";
          if (!cell->VisibleBorders.Right) cs += "border-right: none; ";
          if (!cell->VisibleBorders.Bottom) cs += "border-bottom: none; ";
          if (!cell->VisibleBorders.Left) cs += "border-left: none; ";
        }
        while (!cs.empty() && cs.back() == ' ') cs.pop_back();
      }
      const bool sameBack = cell->Color == clNone || ColorToHtml(cell->Color) == colourValue(Color);
      out += "<TD" + attr("colspan", std::to_string(cell->ColSpan), "1") +
             attr("rowspan", std::to_string(cell->RowSpan), "1") + attr("width", lengthValue(cell->BestWidth)) +
             attr("height", lengthValue(std::max(0, cell->BestHeight))) +
             attr("bgcolor", sameBack ? std::string() : ColorToHtml(cell->Color)) +
             attr("valign", valignValue(cell->VAlign)) + attr("background", cellBack) + attr("style", cs) + ">";
      if (!cell->HasData(true)) out += "&nbsp;";
      else {
        TRVHTMLSaveContext inner = Context;
        if (cell->GetEffectiveColor() != clNone) inner.CurrentBackColor = cell->GetEffectiveColor();
        ExportHtmlBody(*cell, out, inner);
        Context.ImageCounter = inner.ImageCounter;
      }
      out += "</TD>\r\n";
    }
    out += "</TR>\r\n";
  }
  out += "</TABLE>\r\n";
}

} // namespace kc
