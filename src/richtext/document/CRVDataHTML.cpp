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

// The paragraphs and items of a document, list elements around the
// paragraphs that begin with a marker.
static void WriteHtmlBody(TCustomRVData &RVData, std::string &out, TRVHTMLSaveContext &ctx) {
  TRVStyle *st = RVData.GetRVStyle();
  if (!st) return;
  const bool Css = ctx.UseCSS;
  const TRVSaveOptions Options = ctx.SaveOptions;
  const std::string &Path = ctx.Path;
  const TFontInfo &base = *st->TextStyles().GetTextStyleSafe(0);
  const bool baseTags = !Css && !Options.Has(rvsoNoDefaultStyleTags);
  const THtmlFontDesc baseDesc = FontDesc(base);
  const THtmlFontDesc none{};
  if (baseTags) out += HtmlOpenFontTags(baseDesc, none) + "\r\n";
  int cpNo = 0;
  auto anchor = [&](const TRVCPInfo &cp) {
    if (Options.Has(rvsoCheckpointNames) && !cp.Name.empty()) out += "<A name=\"" + EscapeAttr(cp.Name) + "\"></A>";
    else out += "<A name=RichVistaCheckpoint" + std::to_string(cpNo++) + "></A>";
  };
  auto WriteItem = [&](int i) {
    TCustomRVItemInfo *item = RVData.GetItem(i);
    std::string hooked;
    if (RVData.DoSaveItemToFile(Path, i, rvsfHTML, false, hooked)) {
      out += hooked;
      return;
    }
    if (!item->IsText()) {
      item->SaveToHTML(out, &RVData, i, RVData.GetItemTextRaw(i), ctx);
      return;
    }
    const int style = RVData.GetActualStyle(item);
    const TFontInfo &f = *st->TextStyles().GetTextStyleSafe(style);
    const std::string &t = RVData.GetItemTextRaw(i);
    std::string text;
    if (f.Options.Has(rvteoHTMLCode)) text = item->IsUnicode() ? UnicodeToAnsi(RVData.GetStyleCodePage(style), t) : t;
    else if (item->IsUnicode()) text = t.empty() ? "&nbsp;" : UnicodeToHtml(t);
    else text = MakeHtmlText(t, true);
    if (Css) {
      const bool span = style != 0 || Options.Has(rvsoClassForStyle0);
      if (span && Options.Has(rvsoInlineStyles)) {
        std::string css;
        f.SaveCSSToStream(css, nullptr, false);
        out += "<SPAN style=\"" + EscapeAttr(css) + "\">" + text + "</SPAN>";
      } else if (span) out += "<SPAN class=RVTS" + std::to_string(style) + ">" + text + "</SPAN>";
      else out += text;
    } else {
      const THtmlFontDesc d = FontDesc(f);
      const THtmlFontDesc &rel = baseTags ? baseDesc : none;
      out += HtmlOpenFontTags(d, rel) + text + HtmlCloseFontTags(d, rel);
    }
  };
  // The list elements open around the paragraphs that begin with a
  // marker: one element per list and level, a deeper level nested inside
  // the item of the level above it. Each entry has its list item open.
  struct TOpenList {
    int ListNo, Level;
    const TRVListLevel *Info;
    int32_t Next; // the number a list item gets without a value
  };
  std::vector<TOpenList> lists;
  auto lineEnd = [&] {
    if (!out.empty() && out.back() != '\n') out += "\r\n";
  };
  auto closeList = [&] {
    out += "</LI>";
    lists.back().Info->HTMLCloseTag(out);
    out += "\r\n";
    lists.pop_back();
  };
  const bool markersAsText = Options.Has(rvsoMarkersAsText);
  const int n = RVData.GetItemCount();
  std::string close;
  for (int i = 0; i < n; ++i) {
    TCustomRVItemInfo *item = RVData.GetItem(i);
    auto *marker = item->StyleNo == rvsListMarker ? static_cast<TRVMarkerItemInfo *>(item) : nullptr;
    const TRVListLevel *level = marker ? marker->GetLevelInfo(st) : nullptr;
    if (item->StyleNo == rvsTable) {
      // A table is a block of its own, never inside a paragraph.
      out += close;
      close.clear();
      while (!lists.empty()) closeList();
      lineEnd();
      if (item->Checkpoint) anchor(*item->Checkpoint);
      WriteItem(i);
      continue;
    }
    if (RVData.IsParaStart(i)) {
      out += close;
      close.clear();
      const TParaInfo &p = *st->ParaStyles().GetParaStyleSafe(item->ParaNo);
      const std::string pageBreak = item->GetPageBreakBefore() ? "page-break-before: always;" : "";
      if (level && !markersAsText) {
        while (!lists.empty() && (lists.back().ListNo != marker->ListNo || lists.back().Level > marker->Level))
          closeList();
        if (!lists.empty() && lists.back().Level == marker->Level) {
          out += "</LI>\r\n";
        } else {
          lineEnd();
          level->HTMLOpenTag(out, Css);
          out += "\r\n";
          lists.push_back({marker->ListNo, marker->Level, level, 1});
        }
        TOpenList &l = lists.back();
        std::string style = Css ? marker->GetHTMLListItemStyle(&RVData, ctx) : std::string();
        if (!pageBreak.empty()) {
          if (style.empty()) style = " style=\"" + pageBreak + "\"";
          else style.insert(style.size() - 1, " " + pageBreak);
        }
        if (level->HasNumbering() && marker->Counter != l.Next)
          out += "<LI value=" + std::to_string(marker->Counter) + style + ">";
        else out += "<LI" + style + ">";
        l.Next = marker->Counter + 1;
        if (item->Checkpoint) anchor(*item->Checkpoint);
        continue;
      }
      while (!lists.empty()) closeList();
      if (Css) {
        std::string attr;
        if (item->ParaNo != 0 || Options.Has(rvsoClassForStyle0)) attr = "class=RVPS" + std::to_string(item->ParaNo);
        if (level) {
          // A marker written as text: the paragraph takes the level's
          // indents, since no list element gives them.
          const std::string indent = level->GetIndentCSSForTextVersion() + (pageBreak.empty() ? "" : " " + pageBreak);
          out += attr.empty() ? "<P style=\"" + indent + "\">" : "<P " + attr + " style=\"" + indent + "\">";
          close = "</P>\r\n";
        } else {
          if (!pageBreak.empty()) attr += std::string(attr.empty() ? "" : " ") + "style=\"" + pageBreak + "\"";
          out += attr.empty() ? "<P>" : "<P " + attr + ">";
          close = "</P>\r\n";
        }
      } else {
        static const char *const align[] = {"", " align=right", " align=center", " align=justify"};
        out += std::string("<DIV") + align[int(p.Alignment) & 3] +
               (pageBreak.empty() ? "" : " style=\"" + pageBreak + "\"") + ">";
        close = "</DIV>\r\n";
      }
    } else if (!item->GetContinuePara()) out += "<BR>";
    if (item->Checkpoint) anchor(*item->Checkpoint);
    std::string target, extras;
    if (item->GetStyleFlag(rvbsfJump, st))
      RVData.DoWriteHyperlink(RVData.FirstJumpNo + item->JumpID, i, rvsfHTML, target, extras);
    const bool link = !target.empty() || !extras.empty();
    if (link) out += "<A href=\"" + EscapeAttr(target) + "\"" + (extras.empty() ? "" : " " + extras) + ">";
    WriteItem(i);
    if (link) out += "</A>";
  }
  if (RVData.NotAddedCP) anchor(*RVData.NotAddedCP);
  out += close;
  while (!lists.empty()) closeList();
  if (baseTags) out += HtmlCloseFontTags(baseDesc, none) + "\r\n";
}

bool ExportHtmlEx(TCustomRVData &RVData, std::string &Stream, const std::string &Path, const std::string &Title,
                  const std::string &ImagesPrefix, TRVSaveOptions Options, TColor BackgroundColor, bool Css,
                  const TRVFBackground *Background) {
  TRVStyle *st = RVData.GetRVStyle();
  if (!st) return false;
  // Written in place: a copy of a page of many megabytes would double the
  // memory that has to be brought in.
  std::string &out = Stream;
  const bool head = !Options.Has(rvsoBodyOnly) && !Options.Has(rvsoEndOnly);
  const bool body = !Options.Has(rvsoHeadOnly) && !Options.Has(rvsoEndOnly);
  const bool end = !Options.Has(rvsoHeadOnly) && !Options.Has(rvsoBodyOnly);
  const TFontInfo &base = *st->TextStyles().GetTextStyleSafe(0);
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
  if (head) {
    if (Css) out += "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n";
    out += "<HTML><HEAD><TITLE>" + EscapeAttr(Title) + "</TITLE>\r\n";
    // The default character set is this system's ANSI code page, which is
    // what 8-bit text is written in.
    std::string charset = CharsetToHtmlName(base.Charset);
    if (charset.empty()) charset = "windows-" + std::to_string(ansiCodePage());
    out += "<META HTTP-EQUIV=\"Content-Type\"  CONTENT=\"text/html; CHARSET=" + charset + "\">\r\n";
    if (Css) {
      out += "<STYLE type=\"text/css\"><!--\r\nBODY {\r\n  margin: " + std::to_string(m.Top) + "px " +
             std::to_string(m.Right) + "px " + std::to_string(m.Bottom) + "px " + std::to_string(m.Left) + "px;\r\n";
      if (BackgroundColor != clNone) out += "  background-color: " + ColorToHtml(BackgroundColor) + ";\r\n";
      if (!backPicture.empty()) {
        const bool moving = backStyle == bsTiledAndScrolled;
        const bool repeat = backStyle == bsTiled || moving;
        out += "  background-image: url(\"" + EscapeAttr(backPicture) +
               "\");\r\n  background-repeat: " + (repeat ? "repeat" : "no-repeat") +
               ";\r\n  background-attachment: " + (moving ? "scroll" : "fixed") + ";\r\n";
        if (backStyle == bsStretched || backStyle == bsCentered) out += "  background-position: center center;\r\n";
      }
      out += "}\r\n";
      if (!Options.Has(rvsoInlineStyles)) st->WriteCssStyleSheet(out, Options.Has(rvsoClassForStyle0) ? 4 : 0);
      out += "--></STYLE>\r\n";
    }
    std::string extra;
    RVData.DoSaveHTMLExtra(0, Css, extra);
    out += extra + "</HEAD>\r\n<BODY";
    if (!Css && BackgroundColor != clNone) out += " bgcolor=" + ColorToHtml(BackgroundColor);
    if (!Css && !backPicture.empty())
      out += " background=\"" + EscapeAttr(backPicture) + "\"" +
             (backStyle == bsTiledAndScrolled ? "" : " bgproperties=fixed");
    extra.clear();
    RVData.DoSaveHTMLExtra(1, Css, extra);
    if (!extra.empty()) out += " " + extra;
    out += Css ? ">\r\n"
               : " leftmargin=" + std::to_string(m.Left) + " topmargin=" + std::to_string(m.Top) +
                     " rightmargin=" + std::to_string(m.Right) + " bottommargin=" + std::to_string(m.Bottom) + ">\r\n";
  }
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
