// CSS of text and paragraph styles, the style sheet's CSS block and the HTML tags of list levels.
#include "richtext/document/RVStyle.h"

#include <algorithm>
#include <array>

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
      if (c >= 16) r += digits[c >> 4];
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
  if (Multiline) Stream += "\r\n";
}

// A style name inside a CSS comment: nothing in it may end the comment or the
// style block.
std::string CommentText(const std::string &s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '*' && i + 1 < s.size() && s[i + 1] == '/') r += "* ";
    else if (s[i] == '<' || s[i] == '>') r += '_';
    else r += s[i];
  }
  return r;
}

const char *VAlignText(int32_t VShift) { return VShift > 0 ? "super" : VShift < 0 ? "sub" : ""; }

std::string DecorationText(const TFontInfo &f) {
  std::string d;
  if (f.Style & fsUnderline) d = "underline";
  else if (f.Style & fsStrikeOut) d = "line-through";
  if (f.Jump && !d.empty() && d != "underline") d = "none " + d;
  if (f.StyleEx.Has(rvfsOverline)) {
    if (!d.empty()) d += " overline";
    else d = f.Jump ? "none overline" : "overline";
  }
  if (d.empty()) d = "none";
  return d;
}
} // namespace

void TFontInfo::SaveCSSToStream(std::string &Stream, const TFontInfo *B, bool Multiline) const {
  if (!B || B->Size != Size) Decl(Stream, "font-size: " + IntToStr(Size) + "pt", Multiline);
  if (!B || !asciiEqualNoCase(B->FontName, FontName))
    Decl(Stream, "font-family: '" + CssQuotedText(FontName) + "'", Multiline);
  if (!B || ((B->Style & fsItalic) != 0) != ((Style & fsItalic) != 0))
    Decl(Stream, std::string("font-style: ") + ((Style & fsItalic) ? "italic" : "normal"), Multiline);
  if (!B || ((B->Style & fsBold) != 0) != ((Style & fsBold) != 0))
    Decl(Stream, std::string("font-weight: ") + ((Style & fsBold) ? "bold" : "normal"), Multiline);
  if (!B || B->Color != Color) Decl(Stream, "color: " + ColorToHtml(Color, false), Multiline);
  if (B ? B->CharSpacing != CharSpacing : CharSpacing != 0)
    Decl(Stream, "letter-spacing: " + IntToStr(CharSpacing) + "px", Multiline);
  bool caps = StyleEx.Has(rvfsAllCaps), baseCaps = B && B->StyleEx.Has(rvfsAllCaps);
  if (caps && !baseCaps) Decl(Stream, "text-transform: uppercase", Multiline);
  else if (baseCaps && !caps) Decl(Stream, "text-transform: none", Multiline);
  if (B ? B->BackColor != BackColor : !(BackColor == clNone && Multiline))
    Decl(Stream, "background-color: " + ColorToCss(BackColor), Multiline);
  std::string va = VAlignText(VShift);
  if (B) {
    std::string bva = VAlignText(B->VShift);
    // A style without shift over a shifted base goes back to the baseline.
    if (va != bva) Decl(Stream, "vertical-align: " + (va.empty() ? std::string("baseline") : va), Multiline);
  } else if (!va.empty()) {
    Decl(Stream, "vertical-align: " + va, Multiline);
  }
  // The values are compared: a link over a plain base needs its own "none".
  std::string dec = DecorationText(*this);
  if (!B || dec != DecorationText(*B) || (Jump && dec == "none")) Decl(Stream, "text-decoration: " + dec, Multiline);
}

namespace {
bool BorderShown(const TRVBorder &b) { return b.Style != rvbNone && b.Color != clNone; }

std::string Px(int64_t v) { return IntToStr(v) + "px"; }

std::string LineHeightText(int32_t ls) {
  int64_t v = ls;
  std::string sign = v < 0 ? "-" : "";
  if (v < 0) v = -v;
  int64_t rem = v % 100;
  return sign + IntToStr(v / 100) + "." + (rem < 10 ? "0" : "") + IntToStr(rem);
}
} // namespace

namespace {

// Sides in the order CSS gives them: top, right, bottom, left.
using Sides = std::array<int64_t, 4>;

Sides SidesOf(const TRVRect &r) { return {r.Top, r.Right, r.Bottom, r.Left}; }

void ParaAlignmentAndSpacingCss(std::string &Stream, const TParaInfo &P, const TParaInfo *B, bool Multiline,
                                bool IgnoreLeftAlignment, bool ForListItem) {
  static const char *const AlignNames[] = {"left", "right", "center", "justify"};
  if (B ? B->Alignment != P.Alignment : !(IgnoreLeftAlignment && P.Alignment == rvaLeft))
    Decl(Stream, std::string("text-align: ") + AlignNames[P.Alignment & 3], Multiline);
  if (!ForListItem && (!B || B->FirstIndent != P.FirstIndent))
    Decl(Stream, "text-indent: " + Px(P.FirstIndent), Multiline);
  if (P.LineSpacingType == rvlsPercent) {
    bool write = B ? (B->LineSpacingType == rvlsPercent && B->LineSpacing != P.LineSpacing) : P.LineSpacing != 100;
    if (write) Decl(Stream, "line-height: " + LineHeightText(P.LineSpacing), Multiline);
  } else if (B && B->LineSpacingType == rvlsPercent && B->LineSpacing != 100) {
    Decl(Stream, "line-height: normal", Multiline);
  }
}

// An option's value, or its opposite when only the base has the option.
void ParaOptionsCss(std::string &Stream, const TParaInfo &P, const TParaInfo *B, bool Multiline) {
  struct {
    TRVParaOption Option;
    const char *On, *Off;
  } const options[] = {
      {rvpaoNoWrap, "white-space: nowrap", "white-space: normal"},
      {rvpaoKeepLinesTogether, "page-break-inside: avoid", "page-break-inside: auto"},
      {rvpaoKeepWithNext, "page-break-after: avoid", "page-break-after: auto"},
  };
  for (const auto &o : options) {
    if (P.Options.Has(o.Option)) Decl(Stream, o.On, Multiline);
    else if (B && B->Options.Has(o.Option)) Decl(Stream, o.Off, Multiline);
  }
}

// The border's declarations; answers the padding it asks for.
Sides ParaBorderCss(std::string &Stream, const TParaInfo &P, const TParaInfo *B, bool Multiline) {
  const TRVBorder &Border = P.Border;
  if (!BorderShown(Border)) {
    if (B && BorderShown(B->Border)) Decl(Stream, "border: none", Multiline);
    return {0, 0, 0, 0};
  }
  Decl(Stream, "border-color: " + ColorToHtml(Border.Color, false), Multiline);
  Decl(Stream, std::string("border-style: ") + (Border.Style == rvbSingle ? "solid" : "double"), Multiline);
  int64_t w = Border.Width, iw = Border.InternalWidth, bw = w;
  switch (Border.Style) {
  case rvbDouble: bw = w + iw; break;
  case rvbTriple: bw = w + 2 * iw; break;
  case rvbThickInside:
  case rvbThickOutside: bw = 3 * w / 2 + iw; break;
  default: bw = w;
  }
  Decl(Stream, "border-width: " + Px(bw), Multiline);
  if (!Border.VisibleBorders.Top) Decl(Stream, "border-top: none", Multiline);
  if (!Border.VisibleBorders.Right) Decl(Stream, "border-right: none", Multiline);
  if (!Border.VisibleBorders.Bottom) Decl(Stream, "border-bottom: none", Multiline);
  if (!Border.VisibleBorders.Left) Decl(Stream, "border-left: none", Multiline);
  return SidesOf(Border.BorderOffsets);
}

// The background's colour; a coloured background widens the padding to its
// offsets.
void ParaBackgroundCss(std::string &Stream, const TParaInfo &P, const TParaInfo *B, bool Multiline, Sides &Pad) {
  if (B ? B->Background.Color != P.Background.Color : P.Background.Color != clNone)
    Decl(Stream, "background: " + ColorToCss(P.Background.Color), Multiline);
  if (P.Background.Color != clNone) {
    const Sides o = SidesOf(P.Background.BorderOffsets);
    for (size_t k = 0; k < 4; ++k) Pad[k] = std::max(Pad[k], o[k]);
  }
}

// Margins are the indents and spaces less the padding.
void ParaMarginsCss(std::string &Stream, const TParaInfo &P, const TParaInfo *B, bool Multiline, bool ForListItem,
                    const Sides &Pad, const Sides &BasePad) {
  auto margins = [](const TParaInfo &q, const Sides &pad) {
    return Sides{q.SpaceBefore - pad[0], q.RightIndent - pad[1], q.SpaceAfter - pad[2], q.LeftIndent - pad[3]};
  };
  const Sides m = margins(P, Pad);
  if (B && m == margins(*B, BasePad)) return;
  if (ForListItem) {
    Decl(Stream, "margin-top: " + Px(m[0]), Multiline);
    Decl(Stream, "margin-right: " + Px(m[1]), Multiline);
    Decl(Stream, "margin-bottom: " + Px(m[2]), Multiline);
  } else {
    Decl(Stream, "margin: " + Px(m[0]) + " " + Px(m[1]) + " " + Px(m[2]) + " " + Px(m[3]), Multiline);
  }
}

} // namespace

void TParaInfo::SaveCSSToStream(std::string &Stream, const TParaInfo *B, bool Multiline, bool IgnoreLeftAlignment,
                                bool ForListItem) const {
  ParaAlignmentAndSpacingCss(Stream, *this, B, Multiline, IgnoreLeftAlignment, ForListItem);
  ParaOptionsCss(Stream, *this, B, Multiline);
  Sides pad = ParaBorderCss(Stream, *this, B, Multiline);
  ParaBackgroundCss(Stream, *this, B, Multiline, pad);
  // The base's padding is its border's offsets when its border shows.
  const Sides basePad = B && BorderShown(B->Border) ? SidesOf(B->Border.BorderOffsets) : Sides{0, 0, 0, 0};
  if (!B || pad != basePad)
    Decl(Stream, "padding: " + Px(pad[0]) + " " + Px(pad[1]) + " " + Px(pad[2]) + " " + Px(pad[3]), Multiline);
  ParaMarginsCss(Stream, *this, B, Multiline, ForListItem, pad, basePad);
}

std::string TRVListLevel::GetIndentCSSForTextVersion() const {
  return "text-indent: " + Px(int64_t(MarkerIndent) - LeftIndent) + "; margin-left: " + Px(LeftIndent) + ";";
}

std::string TRVListLevel::GetHTMLOpenTagForCSS() const {
  if (LeftIndent > MarkerIndent)
    return "text-indent: " + Px(FirstIndent) + "; margin-left: " + Px(LeftIndent) + "; list-style-position:outside;";
  return "text-indent: " + Px(int64_t(MarkerIndent) - LeftIndent) + "; margin-left: " + Px(LeftIndent) +
         "; list-style-position:inside;";
}

void TRVListLevel::HTMLOpenTag(std::string &Stream, bool UseStyle) const {
  std::string style = UseStyle ? " style=\"" + GetHTMLOpenTagForCSS() + "\"" : std::string();
  if (HasNumbering()) {
    std::string type;
    switch (ListType) {
    case rvlstLowerAlpha: type = " type=a"; break;
    case rvlstUpperAlpha: type = " type=A"; break;
    case rvlstLowerRoman: type = " type=i"; break;
    case rvlstUpperRoman: type = " type=I"; break;
    default: break;
    }
    Stream += "<OL" + type + style + ">";
  } else {
    Stream += "<UL" + style + ">";
  }
}

void TRVListLevel::HTMLCloseTag(std::string &Stream) const { Stream += HasNumbering() ? "</OL>" : "</UL>"; }

namespace {

void Line(std::string &Stream, const std::string &s) {
  Stream += s;
  Stream += "\r\n";
}

std::string Comment(const TCustomRVInfo &e) {
  return e.Standard ? " /* " + CommentText(e.StyleName) + " */" : std::string();
}

// The hyperlink's colours under the mouse, where they differ from its base's.
void HoverRule(std::string &Stream, const TRVStyle &Sheet, int Index, const TFontInfo &f, const TFontInfo *base) {
  TColor hover = Sheet.GetHoverColorByColor(f.HoverColor);
  if (hover == clNone && f.HoverBackColor == clNone) return;
  Stream += "A.RVTS" + IntToStr(Index) + ":hover {";
  const bool baseJump = base && base->Jump;
  if ((!baseJump && hover != clNone) || (base && Sheet.GetHoverColorByColor(base->HoverColor) != hover))
    Stream += " color: " + ColorToCss(hover) + ";";
  if ((!baseJump && f.HoverBackColor != clNone) || (base && base->HoverBackColor != f.HoverBackColor))
    Stream += " background-color: " + ColorToCss(f.HoverBackColor) + ";";
  Line(Stream, " }");
}

void TextStylesCss(std::string &Stream, const TRVStyle &Sheet, bool diffFromBase, bool noDefault) {
  const TFontInfos &ts = Sheet.TextStyles();
  Line(Stream, "/*----------Text Styles----------*/");
  Line(Stream, "HR { color: " + ColorToHtml(ts.Count() > 0 ? ts.Items(0)->Color : clWindowText, false) + "}");
  const bool zeroIsDefault = ts.Count() > 0 && !ts.Items(0)->Jump && ts.Items(0)->BackColor == clNone && !noDefault;
  for (int i = 0; i < ts.Count(); ++i) {
    const TFontInfo &f = *ts.Items(i);
    const std::string n = IntToStr(i);
    if (i == 0 && zeroIsDefault) Line(Stream, "BODY, TABLE" + Comment(f));
    else if (f.Jump) Line(Stream, "A.RVTS" + n + ", SPAN.RVTS" + n + Comment(f));
    else Line(Stream, "SPAN.RVTS" + n + Comment(f));
    const TFontInfo *base = nullptr;
    if (diffFromBase && f.BaseStyleNo >= 0 && f.BaseStyleNo < ts.Count()) base = ts.Items(f.BaseStyleNo);
    else if (i > 0 && zeroIsDefault) base = ts.Items(0);
    Line(Stream, "{");
    f.SaveCSSToStream(Stream, base, true);
    Line(Stream, "}");
    if (f.Jump) HoverRule(Stream, Sheet, i, f, base);
  }
}

void ParaStylesCss(std::string &Stream, const TRVStyle &Sheet, bool diffFromBase, bool ignoreLeft, bool noDefault) {
  const TParaInfos &ps = Sheet.ParaStyles();
  Line(Stream, "/*----------Para Styles----------*/");
  for (int i = 0; i < ps.Count(); ++i) {
    const TParaInfo &p = *ps.Items(i);
    if (i == 0 && !noDefault) Line(Stream, "P,UL,OL" + Comment(p));
    else Line(Stream, ".RVPS" + IntToStr(i) + Comment(p));
    const TParaInfo *base = nullptr;
    if (diffFromBase && p.BaseStyleNo >= 0 && p.BaseStyleNo < ps.Count()) base = ps.Items(p.BaseStyleNo);
    else if (i > 0 && !noDefault) base = ps.Items(0);
    Line(Stream, "{");
    p.SaveCSSToStream(Stream, base, true, ignoreLeft, false);
    Line(Stream, "}");
  }
}

} // namespace

void TRVStyle::WriteCssStyleSheet(std::string &Stream, int Options) const {
  const bool diffFromBase = (Options & 1) != 0, ignoreLeft = (Options & 2) != 0, noDefault = (Options & 4) != 0;
  TextStylesCss(Stream, *this, diffFromBase, noDefault);
  ParaStylesCss(Stream, *this, diffFromBase, ignoreLeft, noDefault);
}

} // namespace kc
