// HTML output in two flavours: plain HTML 4 whose formatting stands in
// FONT and emphasis tags, and HTML with a CSS style sheet whose styles are
// the classes RVTSn and RVPSn. Paragraphs that begin with a list marker
// become list items of UL and OL elements.
#include "platform/CodePage.h"
#include "platform/Files.h"
#include "richtext/document/CRVDataFormats.h"
#include "richtext/document/CRVFData.h"
#include "richtext/document/RVBack.h"
#include "richtext/document/RVMarker.h"
#include "richtext/document/RVUni.h"

namespace kc {

namespace {

// The title and other attribute values: markup characters and quotes
// escaped, so that a title cannot end the element it stands in.
std::string EscapeAttr(const std::string &s) {
  std::string r;
  for (char c : s) {
    switch (c) {
    case '&': r += "&amp;"; break;
    case '<': r += "&lt;"; break;
    case '>': r += "&gt;"; break;
    case '"': r += "&quot;"; break;
    case '\r':
    case '\n': r += ' '; break;
    default: r += c;
    }
  }
  return r;
}

// UTF-16 text: ASCII escaped as 8-bit text, every other character one
// numeric reference (a surrogate pair is one character).
std::string UnicodeToHtml(const std::string &Bytes) {
  std::string ascii, r;
  auto flush = [&] {
    r += ReplaceAll(ReplaceAll(ReplaceAll(ascii, "&", "&amp;"), ">", "&gt;"), "<", "&lt;");
    ascii.clear();
  };
  for (size_t k = 0; k + 1 < Bytes.size(); k += 2) {
    uint32_t u = uint8_t(Bytes[k]) | (uint8_t(Bytes[k + 1]) << 8);
    if (u < 0x80) {
      ascii += char(u);
      continue;
    }
    flush();
    if (u >= 0xD800 && u <= 0xDBFF && k + 3 < Bytes.size()) {
      const uint32_t lo = uint8_t(Bytes[k + 2]) | (uint8_t(Bytes[k + 3]) << 8);
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
        k += 2;
      }
    }
    r += "&#" + std::to_string(u) + ";";
  }
  flush();
  // Blanks stay visible as in 8-bit text.
  r = ReplaceAll(r, "  ", "&nbsp; ");
  if (!r.empty() && r.back() == ' ') r = r.substr(0, r.size() - 1) + "&nbsp;";
  if (!r.empty() && r.front() == ' ') r = "&nbsp;" + r.substr(1);
  return r;
}

THtmlFontDesc FontDesc(const TFontInfo &f) {
  THtmlFontDesc d;
  d.Name = f.FontName;
  d.Size = f.Size;
  d.Color = f.Color;
  d.Style = f.Style;
  d.VShift = f.VShift;
  return d;
}

} // namespace

namespace {

// Writes the paragraphs and items of a document, list elements around the
// paragraphs that begin with a marker.
class THtmlBodyWriter {
public:
  THtmlBodyWriter(TCustomRVData &Data, TRVStyle &Style, std::string &Output, TRVHTMLSaveContext &Context)
      : RVData(Data), St(Style), Out(Output), Ctx(Context), Css(Context.UseCSS), Options(Context.SaveOptions),
        BaseTags(!Css && !Options.Has(rvsoNoDefaultStyleTags)),
        BaseDesc(FontDesc(*St.TextStyles().GetTextStyleSafe(0))) {}

  void Write();

private:
  // The list elements open around the paragraphs that begin with a
  // marker: one element per list and level, a deeper level nested inside
  // the item of the level above it. Each entry has its list item open.
  struct TOpenList {
    int ListNo, Level;
    const TRVListLevel *Info;
    int32_t Next; // the number a list item gets without a value
  };

  void Anchor(const TRVCPInfo &Cp);
  void WriteItem(int ItemNo);
  void WriteText(int ItemNo, const TCustomRVItemInfo &Item);
  // A table is a block of its own, never inside a paragraph.
  void WriteTable(int ItemNo);
  void OpenListItem(const TCustomRVItemInfo &Item, TRVMarkerItemInfo &Marker, const TRVListLevel &Level,
                    const std::string &PageBreak);
  void OpenParagraph(const TCustomRVItemInfo &Item, const TRVListLevel *Level, const std::string &PageBreak);
  // An item inside a paragraph, in its hyperlink when it is one.
  void WriteLinked(int ItemNo);
  void CloseParagraph();
  void CloseList();
  void CloseLists();
  void LineEnd();

  TCustomRVData &RVData;
  TRVStyle &St;
  std::string &Out;
  TRVHTMLSaveContext &Ctx;
  const bool Css;
  const TRVSaveOptions Options;
  const bool BaseTags;
  const THtmlFontDesc BaseDesc;
  const THtmlFontDesc None{};
  int CpNo = 0;
  std::vector<TOpenList> Lists;
  // What closes the paragraph open now.
  std::string Close;
};

void THtmlBodyWriter::Write() {
  if (BaseTags) Out += HtmlOpenFontTags(BaseDesc, None) + "\r\n";
  const bool markersAsText = Options.Has(rvsoMarkersAsText);
  const int n = RVData.GetItemCount();
  for (int i = 0; i < n; ++i) {
    TCustomRVItemInfo *item = RVData.GetItem(i);
    if (item->StyleNo == rvsTable) {
      WriteTable(i);
      continue;
    }
    if (RVData.IsParaStart(i)) {
      CloseParagraph();
      auto *marker = item->StyleNo == rvsListMarker ? static_cast<TRVMarkerItemInfo *>(item) : nullptr;
      const TRVListLevel *level = marker ? marker->GetLevelInfo(&St) : nullptr;
      const std::string pageBreak = item->GetPageBreakBefore() ? "page-break-before: always;" : "";
      if (level && !markersAsText) {
        OpenListItem(*item, *marker, *level, pageBreak);
        continue;
      }
      CloseLists();
      OpenParagraph(*item, level, pageBreak);
    } else if (!item->GetContinuePara()) Out += "<BR>";
    WriteLinked(i);
  }
  if (RVData.NotAddedCP) Anchor(*RVData.NotAddedCP);
  CloseParagraph();
  CloseLists();
  if (BaseTags) Out += HtmlCloseFontTags(BaseDesc, None) + "\r\n";
}

void THtmlBodyWriter::Anchor(const TRVCPInfo &Cp) {
  if (Options.Has(rvsoCheckpointNames) && !Cp.Name.empty()) Out += "<A name=\"" + EscapeAttr(Cp.Name) + "\"></A>";
  else Out += "<A name=RichVistaCheckpoint" + std::to_string(CpNo++) + "></A>";
}

void THtmlBodyWriter::WriteItem(int ItemNo) {
  TCustomRVItemInfo *item = RVData.GetItem(ItemNo);
  std::string hooked;
  if (RVData.DoSaveItemToFile(Ctx.Path, ItemNo, rvsfHTML, false, hooked)) {
    Out += hooked;
    return;
  }
  if (!item->IsText()) {
    item->SaveToHTML(Out, &RVData, ItemNo, RVData.GetItemTextRaw(ItemNo), Ctx);
    return;
  }
  WriteText(ItemNo, *item);
}

void THtmlBodyWriter::WriteText(int ItemNo, const TCustomRVItemInfo &Item) {
  const int style = RVData.GetActualStyle(&Item);
  const TFontInfo &f = *St.TextStyles().GetTextStyleSafe(style);
  const std::string &t = RVData.GetItemTextRaw(ItemNo);
  std::string text;
  if (f.Options.Has(rvteoHTMLCode)) text = Item.IsUnicode() ? UnicodeToAnsi(RVData.GetStyleCodePage(style), t) : t;
  else if (Item.IsUnicode()) text = t.empty() ? "&nbsp;" : UnicodeToHtml(t);
  else text = MakeHtmlText(t, true);
  if (Css) {
    const bool span = style != 0 || Options.Has(rvsoClassForStyle0);
    if (span && Options.Has(rvsoInlineStyles)) {
      std::string css;
      f.SaveCSSToStream(css, nullptr, false);
      Out += "<SPAN style=\"" + EscapeAttr(css) + "\">" + text + "</SPAN>";
    } else if (span) Out += "<SPAN class=RVTS" + std::to_string(style) + ">" + text + "</SPAN>";
    else Out += text;
  } else {
    const THtmlFontDesc d = FontDesc(f);
    const THtmlFontDesc &rel = BaseTags ? BaseDesc : None;
    Out += HtmlOpenFontTags(d, rel) + text + HtmlCloseFontTags(d, rel);
  }
}

void THtmlBodyWriter::WriteTable(int ItemNo) {
  CloseParagraph();
  CloseLists();
  LineEnd();
  if (const TRVCPInfo *cp = RVData.GetItem(ItemNo)->Checkpoint.get()) Anchor(*cp);
  WriteItem(ItemNo);
}

void THtmlBodyWriter::OpenListItem(const TCustomRVItemInfo &Item, TRVMarkerItemInfo &Marker, const TRVListLevel &Level,
                                   const std::string &PageBreak) {
  while (!Lists.empty() && (Lists.back().ListNo != Marker.ListNo || Lists.back().Level > Marker.Level)) CloseList();
  if (!Lists.empty() && Lists.back().Level == Marker.Level) {
    Out += "</LI>\r\n";
  } else {
    LineEnd();
    Level.HTMLOpenTag(Out, Css);
    Out += "\r\n";
    Lists.push_back({Marker.ListNo, Marker.Level, &Level, 1});
  }
  TOpenList &l = Lists.back();
  std::string style = Css ? Marker.GetHTMLListItemStyle(&RVData, Ctx) : std::string();
  if (!PageBreak.empty()) {
    if (style.empty()) style = " style=\"" + PageBreak + "\"";
    else style.insert(style.size() - 1, " " + PageBreak);
  }
  if (Level.HasNumbering() && Marker.Counter != l.Next)
    Out += "<LI value=" + std::to_string(Marker.Counter) + style + ">";
  else Out += "<LI" + style + ">";
  l.Next = Marker.Counter + 1;
  if (Item.Checkpoint) Anchor(*Item.Checkpoint);
}

void THtmlBodyWriter::OpenParagraph(const TCustomRVItemInfo &Item, const TRVListLevel *Level,
                                    const std::string &PageBreak) {
  if (!Css) {
    static const char *const align[] = {"", " align=right", " align=center", " align=justify"};
    const TParaInfo &p = *St.ParaStyles().GetParaStyleSafe(Item.ParaNo);
    Out += std::string("<DIV") + align[int(p.Alignment) & 3] +
           (PageBreak.empty() ? "" : " style=\"" + PageBreak + "\"") + ">";
    Close = "</DIV>\r\n";
    return;
  }
  std::string attr;
  if (Item.ParaNo != 0 || Options.Has(rvsoClassForStyle0)) attr = "class=RVPS" + std::to_string(Item.ParaNo);
  if (Level) {
    // A marker written as text: the paragraph takes the level's indents,
    // since no list element gives them.
    const std::string indent = Level->GetIndentCSSForTextVersion() + (PageBreak.empty() ? "" : " " + PageBreak);
    Out += attr.empty() ? "<P style=\"" + indent + "\">" : "<P " + attr + " style=\"" + indent + "\">";
  } else {
    if (!PageBreak.empty()) attr += std::string(attr.empty() ? "" : " ") + "style=\"" + PageBreak + "\"";
    Out += attr.empty() ? "<P>" : "<P " + attr + ">";
  }
  Close = "</P>\r\n";
}

void THtmlBodyWriter::WriteLinked(int ItemNo) {
  const TCustomRVItemInfo *item = RVData.GetItem(ItemNo);
  if (item->Checkpoint) Anchor(*item->Checkpoint);
  std::string target, extras;
  if (item->GetStyleFlag(rvbsfJump, &St))
    RVData.DoWriteHyperlink(RVData.FirstJumpNo + item->JumpID, ItemNo, rvsfHTML, target, extras);
  const bool link = !target.empty() || !extras.empty();
  if (link) Out += "<A href=\"" + EscapeAttr(target) + "\"" + (extras.empty() ? "" : " " + extras) + ">";
  WriteItem(ItemNo);
  if (link) Out += "</A>";
}

void THtmlBodyWriter::CloseParagraph() {
  Out += Close;
  Close.clear();
}

void THtmlBodyWriter::CloseList() {
  Out += "</LI>";
  Lists.back().Info->HTMLCloseTag(Out);
  Out += "\r\n";
  Lists.pop_back();
}

void THtmlBodyWriter::CloseLists() {
  while (!Lists.empty()) CloseList();
}

void THtmlBodyWriter::LineEnd() {
  if (!Out.empty() && Out.back() != '\n') Out += "\r\n";
}

// What the head and the BODY tag of a page say.
struct THtmlHead {
  const std::string &Title;
  TRVSaveOptions Options;
  TColor BackgroundColor;
  bool Css;
  TRect Margins;
  const std::string &BackPicture; // the file of the background picture
  int BackStyle;
};

void WriteHtmlHead(TCustomRVData &RVData, std::string &out, const THtmlHead &H) {
  TRVStyle *st = RVData.GetRVStyle();
  const TFontInfo &base = *st->TextStyles().GetTextStyleSafe(0);
  if (H.Css) out += "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n";
  out += "<HTML><HEAD><TITLE>" + EscapeAttr(H.Title) + "</TITLE>\r\n";
  // The default character set is this system's ANSI code page, which is
  // what 8-bit text is written in.
  std::string charset = CharsetToHtmlName(base.Charset);
  if (charset.empty()) charset = "windows-" + std::to_string(ansiCodePage());
  out += "<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=" + charset + "\">\r\n";
  if (H.Css) {
    out += "<STYLE type=\"text/css\"><!--\r\nBODY {\r\n  margin: " + std::to_string(H.Margins.Top) + "px " +
           std::to_string(H.Margins.Right) + "px " + std::to_string(H.Margins.Bottom) + "px " +
           std::to_string(H.Margins.Left) + "px;\r\n";
    if (H.BackgroundColor != clNone) out += "  background-color: " + ColorToHtml(H.BackgroundColor) + ";\r\n";
    if (!H.BackPicture.empty()) {
      const bool moving = H.BackStyle == bsTiledAndScrolled;
      const bool repeat = H.BackStyle == bsTiled || moving;
      out += "  background-image: url(\"" + EscapeAttr(H.BackPicture) +
             "\");\r\n  background-repeat: " + (repeat ? "repeat" : "no-repeat") +
             ";\r\n  background-attachment: " + (moving ? "scroll" : "fixed") + ";\r\n";
      if (H.BackStyle == bsStretched || H.BackStyle == bsCentered) out += "  background-position: center center;\r\n";
    }
    out += "}\r\n";
    if (!H.Options.Has(rvsoInlineStyles)) st->WriteCssStyleSheet(out, H.Options.Has(rvsoClassForStyle0) ? 4 : 0);
    out += "--></STYLE>\r\n";
  }
  std::string extra;
  RVData.DoSaveHTMLExtra(0, H.Css, extra);
  out += extra + "</HEAD>\r\n<BODY";
  if (!H.Css && H.BackgroundColor != clNone) out += " bgcolor=" + ColorToHtml(H.BackgroundColor);
  if (!H.Css && !H.BackPicture.empty())
    out += " background=\"" + EscapeAttr(H.BackPicture) + "\"" +
           (H.BackStyle == bsTiledAndScrolled ? "" : " bgproperties=fixed");
  extra.clear();
  RVData.DoSaveHTMLExtra(1, H.Css, extra);
  if (!extra.empty()) out += " " + extra;
  out += H.Css ? ">\r\n"
               : " leftmargin=" + std::to_string(H.Margins.Left) + " topmargin=" + std::to_string(H.Margins.Top) +
                     " rightmargin=" + std::to_string(H.Margins.Right) +
                     " bottommargin=" + std::to_string(H.Margins.Bottom) + ">\r\n";
}

} // namespace

static void WriteHtmlBody(TCustomRVData &RVData, std::string &out, TRVHTMLSaveContext &ctx) {
  if (TRVStyle *st = RVData.GetRVStyle()) THtmlBodyWriter(RVData, *st, out, ctx).Write();
}

bool ExportHtmlEx(TCustomRVData &RVData, std::string &Stream, const std::string &Path, const std::string &Title,
                  const std::string &ImagesPrefix, TRVSaveOptions Options, TColor BackgroundColor, bool Css,
                  const TRVFBackground *Background) {
  if (!RVData.GetRVStyle()) return false;
  // Written in place: a copy of a page of many megabytes would double the
  // memory that has to be brought in.
  std::string &out = Stream;
  const bool head = !Options.Has(rvsoBodyOnly) && !Options.Has(rvsoEndOnly);
  const bool body = !Options.Has(rvsoHeadOnly) && !Options.Has(rvsoEndOnly);
  const bool end = !Options.Has(rvsoHeadOnly) && !Options.Has(rvsoBodyOnly);
  // The viewer's margins; a document that is not shown has the default ones.
  TRect m{5, 5, 5, 5};
  if (const auto *shown = dynamic_cast<const TCustomRVFormattedData *>(&RVData))
    m = TRect{shown->GetLeftMargin(), shown->GetTopMargin(), shown->GetRightMargin(), shown->GetBottomMargin()};
  // The background picture goes into a file beside the page first: both
  // flavours name it in the head.
  int imageNo = 0;
  std::string backPicture;
  const int backStyle = Background ? Background->Style : bsNoBitmap;
  if (head && backStyle != bsNoBitmap && Background->Picture && !Background->Picture->empty())
    RVData.SaveImageFileEx(Path, Background->Picture.get(), rvsfHTML, ImagesPrefix, imageNo,
                           Options.Has(rvsoOverwriteImages), BackgroundColor, backPicture);
  if (head) WriteHtmlHead(RVData, out, THtmlHead{Title, Options, BackgroundColor, Css, m, backPicture, backStyle});
  if (body) {
    TRVHTMLSaveContext ctx;
    ctx.Path = Path;
    ctx.ImagesPrefix = ImagesPrefix;
    ctx.SaveOptions = Options;
    ctx.UseCSS = Css;
    ctx.ImageCounter = imageNo;
    ctx.CurrentBackColor = BackgroundColor == clNone ? clWhite : BackgroundColor;
    WriteHtmlBody(RVData, out, ctx);
  }
  if (end) {
    std::string extra;
    RVData.DoSaveHTMLExtra(3, Css, extra);
    if (Css) out += "\r\n";
    out += extra + "</BODY></HTML>\r\n";
  }
  return true;
}

void ExportHtmlBody(TCustomRVData &RVData, std::string &Stream, TRVHTMLSaveContext &Context) {
  WriteHtmlBody(RVData, Stream, Context);
}

bool ExportHtmlToFile(TCustomRVData &RVData, const std::string &FileName, const std::string &Title, bool Css,
                      std::string *Error) {
  const size_t slash = FileName.find_last_of('/');
  const std::string path = slash == std::string::npos ? std::string() : FileName.substr(0, slash + 1);
  std::string data;
  if (!ExportHtmlEx(RVData, data, path, Title, "img", TRVSaveOptions{}, clNone, Css)) return false;
  return WriteFileAtomically(FileName, data, Error);
}

} // namespace kc
