// List markers in HTML and RTF output.
#include "richtext/document/RVMarker.h"

#include <QImage>

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/ImageList.h"
#include "platform/QtCanvas.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVMarkerParts.h"
#include "richtext/document/RVUni.h"

namespace kc {

using namespace rvmarker;

namespace {

THtmlFontDesc HtmlFontOf(const TRVMarkerFont &f) {
  THtmlFontDesc d;
  d.Name = f.Name;
  d.Size = f.Size;
  d.Color = f.Color;
  d.Style = f.Style;
  return d;
}

// The location of a picture written for the page; empty when none was written.
std::string SaveHtmlPicture(TCustomRVData *RVData, const TGraphic &Graphic, TRVHTMLSaveContext &Context) {
  std::string location;
  if (RVData)
    RVData->SaveImageFileEx(Context.Path, &Graphic, rvsfHTML, Context.ImagesPrefix, Context.ImageCounter,
                            Context.SaveOptions.Has(rvsoOverwriteImages), Context.CurrentBackColor, location);
  return SlashPath(location);
}

// An image of an image list on the page's background, written once per
// list, index and colour.
std::string SaveHtmlListImage(TCustomRVData *RVData, const TCustomImageList &List, int Index,
                              TRVHTMLSaveContext &Context) {
  for (const TRVHTMLBulletInfo &b : Context.Bullets)
    if (b.ImageList == &List && b.ImageIndex == Index && b.BackColor == Context.CurrentBackColor) return b.FileName;
  QImage img(List.Width(), List.Height(), QImage::Format_ARGB32);
  const TColor back = ColorToRGB(Context.CurrentBackColor == clNone ? clWhite : Context.CurrentBackColor);
  img.fill(QColor(GetRValue(back), GetGValue(back), GetBValue(back)));
  {
    QtCanvas canvas(&img);
    List.Draw(canvas, 0, 0, Index);
  }
  TBitmap bmp(img);
  std::string location = SaveHtmlPicture(RVData, bmp, Context);
  if (!location.empty()) Context.Bullets.push_back(TRVHTMLBulletInfo{&List, Index, Context.CurrentBackColor, location});
  return location;
}

int64_t ListImageIndex(const TRVListLevel &L, int32_t Counter) {
  int64_t index = L.ImageIndex;
  if (L.ListType == rvlstImageListCounter) index += int64_t(Counter) - 1;
  return index;
}

} // namespace

void TRVMarkerItemInfo::SaveToHTML(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Text,
                                   TRVHTMLSaveContext &Context) {
  (void)ItemNo, (void)Text;
  const TRVStyle *style = RVData ? RVData->GetRVStyle() : nullptr;
  const TRVListLevel *L = GetLevelInfo(style);
  if (!L) return;
  // The room of the marker, when the text does not start behind the marker's
  // own indent anyway.
  const bool widthNeeded = L->LeftIndent <= L->MarkerIndent;
  const int64_t width = int64_t(L->LeftIndent) + L->FirstIndent - L->MarkerIndent;
  switch (L->ListType) {
  case rvlstPicture: {
    if (!L->HasPicture()) return;
    const TGraphic &g = *L->PictureIfAny();
    std::string location = SaveHtmlPicture(RVData, g, Context);
    if (location.empty()) return;
    std::string attrs = " ";
    if (!NoHTMLImageSize) attrs += "width=" + std::to_string(g.width()) + " height=" + std::to_string(g.height()) + " ";
    Stream += "<IMG" + attrs + "src=\"" + location + "\">";
    return;
  }
  case rvlstImageList:
  case rvlstImageListCounter: {
    const int64_t index = ListImageIndex(*L, Counter);
    if (!L->ImageList || index < 0 || index >= L->ImageList->Count()) return;
    std::string location = SaveHtmlListImage(RVData, *L->ImageList, static_cast<int>(index), Context);
    if (location.empty()) return;
    std::string attrs = " ";
    if (!NoHTMLImageSize)
      attrs +=
          "width=" + std::to_string(L->ImageList->Width()) + " height=" + std::to_string(L->ImageList->Height()) + " ";
    std::string img = "<IMG" + attrs + "src=\"" + location + "\">";
    if (Context.UseCSS && widthNeeded)
      Stream += "<SPAN style=\"width:" + std::to_string(width) + "px\">" + img + "</SPAN>";
    else Stream += img;
    return;
  }
  default: break;
  }
  TRVMarkerFont def;
  const TRVMarkerFont &font = L->FontIfAny() ? *L->FontIfAny() : def;
  const std::string text = L->ListType == rvlstUnicodeBullet
                               ? UnicodeToHtml(WideStringToRaw(L->FormatStringW), false, false)
                               : MakeHtmlText(DisplayString);
  if (Context.UseCSS) {
    Stream += "<SPAN style=\"{" + FontToCss(HtmlFontOf(font));
    if (widthNeeded) Stream += " width: " + std::to_string(width) + "px;";
    Stream += "}\">" + text + "</SPAN>";
  } else {
    THtmlFontDesc base;
    if (style && style->TextStyles().Count() > 0) {
      const TFontInfo *t0 = style->TextStyles()[0];
      base.Name = t0->FontName;
      base.Size = t0->Size;
      base.Color = t0->Color;
      base.Style = t0->Style;
    }
    const THtmlFontDesc f = HtmlFontOf(font);
    Stream += HtmlOpenFontTags(f, base) + text + HtmlCloseFontTags(f, base);
  }
}

std::string TRVMarkerItemInfo::GetHTMLListItemStyle(TCustomRVData *RVData, TRVHTMLSaveContext &Context) {
  const TRVListLevel *L = GetLevelInfo(RVData ? RVData->GetRVStyle() : nullptr);
  if (!L) return std::string();
  std::string location;
  if (L->ListType == rvlstPicture && L->HasPicture()) {
    location = SaveHtmlPicture(RVData, *L->PictureIfAny(), Context);
  } else if (IsImageListType(L->ListType)) {
    const int64_t index = ListImageIndex(*L, Counter);
    if (L->ImageList && index >= 0 && index < L->ImageList->Count())
      location = SaveHtmlListImage(RVData, *L->ImageList, static_cast<int>(index), Context);
  }
  if (location.empty()) return std::string();
  // Only the picture: the shorthand would reset the list's numbering type.
  return " style=\"list-style-image: url('" + location + "')\"";
}

void TRVMarkerItemInfo::SaveRTFEx(std::string &Stream, const TRVStyle *RVStyle, const TRVRTFFontTable *FontTable,
                                  int ListOverrideNo, TRVRTFSaveContext &Context) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  if (!L) return;
  switch (L->ListType) {
  case rvlstPicture:
    if (L->HasPicture()) {
      const TGraphic &g = *L->PictureIfAny();
      RVSaveGraphicToRTF(Stream, g, g.width(), g.height(), Context);
    }
    return;
  case rvlstImageList:
  case rvlstImageListCounter: {
    const int64_t index = ListImageIndex(*L, Counter);
    if (!L->ImageList || index < 0 || index >= L->ImageList->Count()) return;
    QImage img(L->ImageList->Width(), L->ImageList->Height(), QImage::Format_RGB32);
    img.fill(Qt::white);
    {
      QtCanvas canvas(&img);
      L->ImageList->Draw(canvas, 0, 0, static_cast<int>(index));
    }
    TBitmap bmp(img);
    RVSaveGraphicToRTF(Stream, bmp, bmp.width(), bmp.height(), Context);
    return;
  }
  default: break;
  }
  TRVMarkerFont def;
  const TRVMarkerFont &font = L->FontIfAny() ? *L->FontIfAny() : def;
  Stream += "{\\listtext\\pard\\plain";
  // The level font's character codes.
  int fontNo = FontTable ? FontTable->Find(font.Name, font.Charset) : -1;
  Stream += "\\f" + std::to_string(fontNo < 0 ? 0 : fontNo);
  if (font.Style & fsBold) Stream += "\\b";
  if (font.Style & fsItalic) Stream += "\\i";
  if (font.Style & fsUnderline) Stream += "\\ul";
  if (font.Style & fsStrikeOut) Stream += "\\strike";
  Stream += "\\fs" + std::to_string(int64_t(font.Size) * 2);
  if (font.Color != clWindowText && Context.ColorList) {
    int c = Context.ColorList->IndexOf(font.Color);
    if (c >= 0) Stream += "\\cf" + std::to_string(c);
  }
  Stream += " ";
  if (L->ListType == rvlstUnicodeBullet) Stream += RtfUnicodeText(WideStringToRaw(L->FormatStringW), 0);
  else Stream += RtfEscapeText(DisplayString);
  Stream += "\\tab}\\ls" + std::to_string(ListOverrideNo) + "\\ilvl" + std::to_string(Level);
}

int TRVMarkerItemInfo::GetRTFListOverrideNo(const TRVStyle *RVStyle, const TRVMarkerList *List) const {
  if (!RestartsRTFList(RVStyle) || !List) return ListNo + 1;
  // The plain overrides of the list styles come first, then those of the
  // restarting markers, list style by list style, each in document order.
  int before = 0;
  bool passed = false;
  for (int i = 0; i < List->Count(); ++i) {
    const TRVMarkerItemInfo *m = List->Items(i);
    if (m == this) {
      passed = true;
      continue;
    }
    if (!m->RestartsRTFList(RVStyle)) continue;
    if (m->ListNo < ListNo || (m->ListNo == ListNo && !passed)) ++before;
  }
  return RVStyle->ListStyles().Count() + before + 1;
}

void RVMakeRTFFontTable(const TRVStyle &RVStyle, TRVRTFFontTable &Table) {
  Table.Clear();
  const TFontInfos &texts = RVStyle.TextStyles();
  for (int i = 0; i < texts.Count(); ++i) Table.AddUnique(texts[i]->FontName, texts[i]->Charset);
  const TRVListInfos &lists = RVStyle.ListStyles();
  for (int i = 0; i < lists.Count(); ++i)
    for (int j = 0; j < lists[i]->Levels.Count(); ++j)
      if (const TRVMarkerFont *f = lists[i]->Levels.Items(j)->FontIfAny()) Table.AddUnique(f->Name, f->Charset);
}

void TRVMarkerItemInfo::SaveRTF(std::string &Stream, TCustomRVData *RVData, int ItemNo, const std::string &Name,
                                TRVRTFSaveContext &Context) {
  (void)ItemNo, (void)Name;
  const TRVStyle *style = RVData ? RVData->GetRVStyle() : nullptr;
  if (!GetLevelInfo(style)) return;
  // The writer's font table is made the same way from the style sheet.
  TRVRTFFontTable fonts;
  RVMakeRTFFontTable(*style, fonts);
  TRVMarkerList *list = RVData->GetMarkers(false);
  GetIndexInList(list);
  SaveRTFEx(Stream, style, &fonts, GetRTFListOverrideNo(style, list), Context);
}

void TRVMarkerItemInfo::FillRTFTables(TRVColorList &ColorList, TRVRTFFontTable &FontTable, TCustomRVData *RVData) {
  const TRVListLevel *L = GetLevelInfo(RVData ? RVData->GetRVStyle() : nullptr);
  if (!L || !L->FontIfAny()) return;
  ColorList.AddUnique(L->FontIfAny()->Color);
  FontTable.AddUnique(L->FontIfAny()->Name, L->FontIfAny()->Charset);
}

bool TRVMarkerItemInfo::RestartsRTFList(const TRVStyle *RVStyle) const {
  const TRVListLevel *L = GetLevelInfo(RVStyle);
  return Reset && L && L->HasNumbering() && L->ListType != rvlstImageListCounter;
}

} // namespace kc
