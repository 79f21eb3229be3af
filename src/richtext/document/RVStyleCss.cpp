// CSS of text and paragraph styles, the style sheet's CSS block and the HTML tags of list levels.
#include "richtext/document/RVStyle.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "richtext/document/RVStyleIni.h"
#include "richtext/document/RVStyleProps.h"
#include "richtext/document/RVStyleStored.h"

namespace kc {

using namespace styleio;

namespace {
// A text taken from data into a quoted CSS string: quotes, backslashes and
// anything that could end the style block are written as CSS escapes.
std::string CssQuotedText(const std::string &s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string r;
  for (unsigned char c : s) {
    if (c == '\'' || c == '"' || c == '\\' || c == '<' || c == '>' || c == '&' || c < 0x20 || c == 0x7F) {
      r += '\\';
      if (c >= 16)
        r += digits[c >> 4];
      r += digits[c & 15];
      r += ' ';
    } else {
      r += static_cast<char>(c);
    }
  }
  return r;
}

void Decl(std::string &Stream, const std::string &Text, bool Multiline) {
  Stream += ' ';
  Stream += Text;
  Stream += ';';
  if (Multiline)
    Stream += "\r\n";
}

// A style name inside a CSS comment: nothing in it may end the comment or the
// style block.
std::string CommentText(const std::string &s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '*' && i + 1 < s.size() && s[i + 1] == '/')
      r += "* ";
    else if (s[i] == '<' || s[i] == '>')
      r += '_';
    else
      r += s[i];
  }
  return r;
}

const char *VAlignText(int32_t VShift) { return VShift > 0 ? "super" : VShift < 0 ? "sub" : ""; }

std::string DecorationText(const TFontInfo &f) {
  std::string d;
  if (f.Style & fsUnderline)
    d = "underline";
  else if (f.Style & fsStrikeOut)
    d = "line-through";
  if (f.Jump && !d.empty() && d != "underline")
    d = "none " + d;
  if (f.StyleEx.Has(rvfsOverline)) {
    if (!d.empty())
      d += " overline";
    else
      d = f.Jump ? "none overline" : "overline";
  }
  if (d.empty())
    d = "none";
  return d;
}
} // namespace

void TFontInfo::SaveCSSToStream(std::string &Stream, const TFontInfo *B, bool Multiline) const {
  if (!B || B->Size != Size)
    Decl(Stream, "font-size: " + IntToStr(Size) + "pt", Multiline);
  if (!B || !asciiEqualNoCase(B->FontName, FontName))
    Decl(Stream, "font-family: '" + CssQuotedText(FontName) + "'", Multiline);
  if (!B || ((B->Style & fsItalic) != 0) != ((Style & fsItalic) != 0))
    Decl(Stream, std::string("font-style: ") + ((Style & fsItalic) ? "italic" : "normal"), Multiline);
  if (!B || ((B->Style & fsBold) != 0) != ((Style & fsBold) != 0))
    Decl(Stream, std::string("font-weight: ") + ((Style & fsBold) ? "bold" : "normal"), Multiline);
  if (!B || B->Color != Color)
    Decl(Stream, "color: " + ColorToHtml(Color, false), Multiline);
  if (B ? B->CharSpacing != CharSpacing : CharSpacing != 0)
    Decl(Stream, "letter-spacing: " + IntToStr(CharSpacing) + "px", Multiline);
  bool caps = StyleEx.Has(rvfsAllCaps), baseCaps = B && B->StyleEx.Has(rvfsAllCaps);
  if (caps && !baseCaps)
    Decl(Stream, "text-transform: uppercase", Multiline);
  else if (baseCaps && !caps)
    Decl(Stream, "text-transform: none", Multiline);
  if (B ? B->BackColor != BackColor : !(BackColor == clNone && Multiline))
    Decl(Stream, "background-color: " + ColorToCss(BackColor), Multiline);
  std::string va = VAlignText(VShift);
  if (B) {
    std::string bva = VAlignText(B->VShift);
    // A style without shift over a shifted base goes back to the baseline.
    if (va != bva)
      Decl(Stream, "vertical-align: " + (va.empty() ? std::string("baseline") : va), Multiline);
  } else if (!va.empty()) {
    Decl(Stream, "vertical-align: " + va, Multiline);
  }
  // The values are compared: a link over a plain base needs its own "none".
  std::string dec = DecorationText(*this);
  if (!B || dec != DecorationText(*B) || (Jump && dec == "none"))
    Decl(Stream, "text-decoration: " + dec, Multiline);
}

namespace {
bool BorderShown(const TRVBorder &b) { return b.Style != rvbNone && b.Color != clNone; }

std::string Px(int64_t v) { return IntToStr(v) + "px"; }

std::string LineHeightText(int32_t ls) {
  int64_t v = ls;
  std::string sign = v < 0 ? "-" : "";
  if (v < 0)
    v = -v;
  int64_t rem = v % 100;
  return sign + IntToStr(v / 100) + "." + (rem < 10 ? "0" : "") + IntToStr(rem);
}
} // namespace

void TParaInfo::SaveCSSToStream(std::string &Stream, const TParaInfo *B, bool Multiline, bool IgnoreLeftAlignment,
                                bool ForListItem) const {
  static const char *const AlignNames[] = {"left", "right", "center", "justify"};
  if (B ? B->Alignment != Alignment : !(IgnoreLeftAlignment && Alignment == rvaLeft))
    Decl(Stream, std::string("text-align: ") + AlignNames[Alignment & 3], Multiline);
  if (!ForListItem && (!B || B->FirstIndent != FirstIndent))
    Decl(Stream, "text-indent: " + Px(FirstIndent), Multiline);
  if (LineSpacingType == rvlsPercent) {
    bool write = B ? (B->LineSpacingType == rvlsPercent && B->LineSpacing != LineSpacing) : LineSpacing != 100;
    if (write)
      Decl(Stream, "line-height: " + LineHeightText(LineSpacing), Multiline);
  } else if (B && B->LineSpacingType == rvlsPercent && B->LineSpacing != 100) {
    Decl(Stream, "line-height: normal", Multiline);
  }
  if (Options.Has(rvpaoNoWrap))
    Decl(Stream, "white-space: nowrap", Multiline);
  else if (B && B->Options.Has(rvpaoNoWrap))
    Decl(Stream, "white-space: normal", Multiline);
  if (Options.Has(rvpaoKeepLinesTogether))
    Decl(Stream, "page-break-inside: avoid", Multiline);
  else if (B && B->Options.Has(rvpaoKeepLinesTogether))
    Decl(Stream, "page-break-inside: auto", Multiline);
  if (Options.Has(rvpaoKeepWithNext))
    Decl(Stream, "page-break-after: avoid", Multiline);
  else if (B && B->Options.Has(rvpaoKeepWithNext))
    Decl(Stream, "page-break-after: auto", Multiline);

  // Padding as top, right, bottom, left.
  int64_t pad[4] = {0, 0, 0, 0};
  if (!BorderShown(Border)) {
    if (B && BorderShown(B->Border))
      Decl(Stream, "border: none", Multiline);
  } else {
    Decl(Stream, "border-color: " + ColorToHtml(Border.Color, false), Multiline);
    Decl(Stream, std::string("border-style: ") + (Border.Style == rvbSingle ? "solid" : "double"), Multiline);
    int64_t w = Border.Width, iw = Border.InternalWidth, bw = w;
    switch (Border.Style) {
    case rvbDouble:
      bw = w + iw;
      break;
    case rvbTriple:
      bw = w + 2 * iw;
      break;
    case rvbThickInside:
    case rvbThickOutside:
      bw = 3 * w / 2 + iw;
      break;
    default:
      bw = w;
    }
    Decl(Stream, "border-width: " + Px(bw), Multiline);
    if (!Border.VisibleBorders.Top)
      Decl(Stream, "border-top: none", Multiline);
    if (!Border.VisibleBorders.Right)
      Decl(Stream, "border-right: none", Multiline);
    if (!Border.VisibleBorders.Bottom)
      Decl(Stream, "border-bottom: none", Multiline);
    if (!Border.VisibleBorders.Left)
      Decl(Stream, "border-left: none", Multiline);
    pad[0] = Border.BorderOffsets.Top;
    pad[1] = Border.BorderOffsets.Right;
    pad[2] = Border.BorderOffsets.Bottom;
    pad[3] = Border.BorderOffsets.Left;
  }
  if (B ? B->Background.Color != Background.Color : Background.Color != clNone)
    Decl(Stream, "background: " + ColorToCss(Background.Color), Multiline);
  if (Background.Color != clNone) {
    const TRVRect &o = Background.BorderOffsets;
    pad[0] = std::max<int64_t>(pad[0], o.Top);
    pad[1] = std::max<int64_t>(pad[1], o.Right);
    pad[2] = std::max<int64_t>(pad[2], o.Bottom);
    pad[3] = std::max<int64_t>(pad[3], o.Left);
  }
  int64_t bpad[4] = {0, 0, 0, 0};
  if (B && BorderShown(B->Border)) {
    bpad[0] = B->Border.BorderOffsets.Top;
    bpad[1] = B->Border.BorderOffsets.Right;
    bpad[2] = B->Border.BorderOffsets.Bottom;
    bpad[3] = B->Border.BorderOffsets.Left;
  }
  if (!B || !std::equal(pad, pad + 4, bpad))
    Decl(Stream, "padding: " + Px(pad[0]) + " " + Px(pad[1]) + " " + Px(pad[2]) + " " + Px(pad[3]), Multiline);
  // Margins as left, right, top, bottom.
  int64_t m[4] = {LeftIndent - pad[3], RightIndent - pad[1], SpaceBefore - pad[0], SpaceAfter - pad[2]};
  bool writeMargins = true;
  if (B) {
    int64_t bm[4] = {B->LeftIndent - bpad[3], B->RightIndent - bpad[1], B->SpaceBefore - bpad[0],
                     B->SpaceAfter - bpad[2]};
    writeMargins = !std::equal(m, m + 4, bm);
  }
  if (writeMargins) {
    if (ForListItem) {
      Decl(Stream, "margin-top: " + Px(m[2]), Multiline);
      Decl(Stream, "margin-right: " + Px(m[1]), Multiline);
      Decl(Stream, "margin-bottom: " + Px(m[3]), Multiline);
    } else {
      Decl(Stream, "margin: " + Px(m[2]) + " " + Px(m[1]) + " " + Px(m[3]) + " " + Px(m[0]), Multiline);
    }
  }
}

std::string TRVListLevel::GetIndentCSSForTextVersion() const {
  return "text-indent: " + Px(int64_t(MarkerIndent) - LeftIndent) + "; margin-left: " + Px(LeftIndent) + ";";
}

std::string TRVListLevel::GetHTMLOpenTagForCSS() const {
  if (LeftIndent > MarkerIndent)
    return "text-indent: " + Px(FirstIndent) + "; margin-left: " + Px(LeftIndent) + "; list-style:outside;";
  return "text-indent: " + Px(int64_t(MarkerIndent) - LeftIndent) + "; margin-left: " + Px(LeftIndent) +
         "; list-style:inside;";
}

void TRVListLevel::HTMLOpenTag(std::string &Stream, bool UseStyle) const {
  std::string style = UseStyle ? " style=\"" + GetHTMLOpenTagForCSS() + "\"" : std::string();
  if (HasNumbering()) {
    std::string type;
    switch (ListType) {
    case rvlstLowerAlpha:
      type = " type=a";
      break;
    case rvlstUpperAlpha:
      type = " type=A";
      break;
    case rvlstLowerRoman:
      type = " type=i";
      break;
    case rvlstUpperRoman:
      type = " type=I";
      break;
    default:
      break;
    }
    Stream += "<OL" + type + style + ">";
  } else {
    Stream += "<UL" + style + ">";
  }
}

void TRVListLevel::HTMLCloseTag(std::string &Stream) const { Stream += HasNumbering() ? "</OL>" : "</UL>"; }

void TRVStyle::WriteCssStyleSheet(std::string &Stream, int Options) const {
  const bool diffFromBase = (Options & 1) != 0, ignoreLeft = (Options & 2) != 0, noDefault = (Options & 4) != 0;
  auto line = [&](const std::string &s) {
    Stream += s;
    Stream += "\r\n";
  };
  auto comment = [](const TCustomRVInfo &e) {
    return e.Standard ? " /* " + CommentText(e.StyleName) + " */" : std::string();
  };
  const TFontInfos &ts = *FTextStyles;
  line("/*----------Text Styles----------*/");
  line("HR { color: " + ColorToHtml(ts.Count() > 0 ? ts.Items(0)->Color : clWindowText, false) + "}");
  const bool zeroIsDefault =
      ts.Count() > 0 && !ts.Items(0)->Jump && ts.Items(0)->BackColor == clNone && !noDefault;
  for (int i = 0; i < ts.Count(); ++i) {
    const TFontInfo &f = *ts.Items(i);
    const std::string n = IntToStr(i);
    if (i == 0 && zeroIsDefault)
      line("BODY, TABLE" + comment(f));
    else if (f.Jump)
      line("A.RVTS" + n + ", SPAN.RVTS" + n + comment(f));
    else
      line("SPAN.RVTS" + n + comment(f));
    const TFontInfo *base = nullptr;
    if (diffFromBase && f.BaseStyleNo >= 0 && f.BaseStyleNo < ts.Count())
      base = ts.Items(f.BaseStyleNo);
    else if (i > 0 && zeroIsDefault)
      base = ts.Items(0);
    line("{");
    f.SaveCSSToStream(Stream, base, true);
    line("}");
    if (f.Jump) {
      TColor hover = GetHoverColorByColor(f.HoverColor);
      if (hover != clNone || f.HoverBackColor != clNone) {
        Stream += "A.RVTS" + n + ":hover {";
        const bool baseJump = base && base->Jump;
        if ((!baseJump && hover != clNone) || (base && GetHoverColorByColor(base->HoverColor) != hover))
          Stream += " color: " + ColorToCss(hover) + ";";
        if ((!baseJump && f.HoverBackColor != clNone) || (base && base->HoverBackColor != f.HoverBackColor))
          Stream += " background-color: " + ColorToCss(f.HoverBackColor) + ";";
        line(" }");
      }
    }
  }
  const TParaInfos &ps = *FParaStyles;
  line("/*----------Para Styles----------*/");
  for (int i = 0; i < ps.Count(); ++i) {
    const TParaInfo &p = *ps.Items(i);
    if (i == 0 && !noDefault)
      line("P,UL,OL" + comment(p));
    else
      line(".RVPS" + IntToStr(i) + comment(p));
    const TParaInfo *base = nullptr;
    if (diffFromBase && p.BaseStyleNo >= 0 && p.BaseStyleNo < ps.Count())
      base = ps.Items(p.BaseStyleNo);
    else if (i > 0 && !noDefault)
      base = ps.Items(0);
    line("{");
    p.SaveCSSToStream(Stream, base, true, ignoreLeft, false);
    line("}");
  }
}


} // namespace kc
