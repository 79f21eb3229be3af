#include "richtext/document/RVFuncs.h"

#include <cmath>
#include <cstdio>

#include "platform/Canvas.h"
#include "platform/CodePage.h"
#include "platform/Graphics.h"

namespace kc {

namespace {

long long absll(long long v) { return v < 0 ? -v : v; }

int64_t roundHalfEven(long double v) {
  if (v > 9.0e18L) return INT64_MAX;
  if (v < -9.0e18L) return INT64_MIN;
  return static_cast<int64_t>(std::nearbyint(v));
}

std::string hex2(unsigned v) {
  char b[4];
  std::snprintf(b, sizeof b, "%02x", v & 0xFF);
  return b;
}

bool sameName(const std::string &a, const std::string &b) { return ansiCompareText(a, b) == 0; }

} // namespace

int64_t IntegerWeight(int32_t A, int32_t B, int32_t W) {
  if (A != 0) {
    long double d = static_cast<long double>(absll(static_cast<long long>(A) - B)) / static_cast<long double>(absll(A));
    return roundHalfEven((1.0L - d) * W);
  }
  return (1 - absll(B)) * static_cast<int64_t>(W);
}

int64_t ColorWeight(TColor A, TColor B, int32_t W, int32_t C) {
  if (A == clNone && B == clNone) return 3 * static_cast<int64_t>(W) + C;
  if (A == clNone || B == clNone) return 0;
  TColor a = ColorToRGB(A), b = ColorToRGB(B);
  int64_t score = 0;
  const int ca[3] = {GetRValue(a), GetGValue(a), GetBValue(a)};
  const int cb[3] = {GetRValue(b), GetGValue(b), GetBValue(b)};
  bool brightA = false, brightB = false;
  for (int i = 0; i < 3; ++i) {
    score -= absll(ca[i] - cb[i]) * static_cast<int64_t>(W) / 255;
    brightA = brightA || ca[i] > 64;
    brightB = brightB || cb[i] > 64;
  }
  if (brightA == brightB) score += C;
  return score;
}

void GetResolutionRatio(TCanvas &Canvas, TRVScreenAndDevice &sad) {
  sad.ppixScreen = screenPixelsPerInch();
  sad.ppiyScreen = screenPixelsPerInch();
  sad.ppixDevice = Canvas.pixelsPerInchX();
  sad.ppiyDevice = Canvas.pixelsPerInchY();
}

TRVScreenAndDevice GetResolutionRatio(TCanvas &Canvas) {
  TRVScreenAndDevice sad;
  GetResolutionRatio(Canvas, sad);
  return sad;
}

int ScaleX(int v, const TRVScreenAndDevice &sad) { return MulDiv(v, sad.ppixScreen, sad.ppixDevice); }
int ScaleY(int v, const TRVScreenAndDevice &sad) { return MulDiv(v, sad.ppiyScreen, sad.ppiyDevice); }
int ScaleXToDevice(int v, const TRVScreenAndDevice &sad) { return MulDiv(v, sad.ppixDevice, sad.ppixScreen); }
int ScaleYToDevice(int v, const TRVScreenAndDevice &sad) { return MulDiv(v, sad.ppiyDevice, sad.ppiyScreen); }

void ScaleRect(TRect &R, const TRVScreenAndDevice &sad) {
  R.Left = ScaleXToDevice(R.Left, sad);
  R.Top = ScaleYToDevice(R.Top, sad);
  R.Right = ScaleXToDevice(R.Right, sad);
  R.Bottom = ScaleYToDevice(R.Bottom, sad);
}

bool PointInRect(int X, int Y, int Left, int Top, int Width, int Height) {
  return X >= Left && static_cast<long long>(X) < static_cast<long long>(Left) + Width && Y >= Top &&
         static_cast<long long>(Y) < static_cast<long long>(Top) + Height;
}

TColor SysColorToPrintColor(TColor Color) {
  if (Color == clScrollBar || Color == clBtnFace) return clSilver;
  if (Color == clWindow || Color == clBtnHighlight) return clWhite;
  if (Color == clWindowText) return clBlack;
  if (Color == clBtnShadow) return clGray;
  return Color;
}

TColor ColorToGray(TColor Color) {
  if (Color == clNone) return Color;
  TColor c = ColorToRGB(Color);
  int64_t g = roundHalfEven(0.3L * GetRValue(c) + 0.59L * GetGValue(c) + 0.11L * GetBValue(c));
  if (g > 255) g = 255;
  return RGB(static_cast<int>(g), static_cast<int>(g), static_cast<int>(g));
}

TColor ColorForColorMode(TColor Color, uint8_t ColorMode) {
  if (Color == clNone) return Color;
  switch (ColorMode) {
  case 0: return Color;
  case 1: return SysColorToPrintColor(Color);
  case 2: return ColorToGray(SysColorToPrintColor(Color));
  default: return ColorToRGB(SysColorToPrintColor(Color)) == clWhite ? clWhite : clBlack;
  }
}

TColor BackColorForColorMode(TColor Color, uint8_t ColorMode) {
  // In black and white every background is paper.
  if (ColorMode > 2 && Color != clNone) return clWhite;
  return ColorForColorMode(Color, ColorMode);
}

std::string ColorToHtml(TColor Color, bool Quoted) {
  if (Color == clNone) return {};
  TColor c = Color == clWindowText ? clBlack : ColorToRGB(Color);
  char b[16];
  std::snprintf(b, sizeof b, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return Quoted ? "\"" + std::string(b) + "\"" : std::string(b);
}

std::string ColorToCss(TColor Color) {
  return Color == clNone ? std::string("transparent") : ColorToHtml(Color, false);
}

std::string ExpandTabsA(const std::string &s, int Spaces) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    if (c == '\t') r.append(static_cast<size_t>(std::max(Spaces, 0)), ' ');
    else r.push_back(c);
  }
  return r;
}

std::string ExpandTabsW(const std::string &s, int Spaces) {
  std::string r;
  r.reserve(s.size());
  size_t n = s.size() & ~size_t(1);
  for (size_t i = 0; i < n; i += 2) {
    if (s[i] == '\t' && s[i + 1] == '\0') {
      for (int k = 0; k < Spaces; ++k) {
        r.push_back(' ');
        r.push_back('\0');
      }
    } else {
      r.push_back(s[i]);
      r.push_back(s[i + 1]);
    }
  }
  if (n < s.size()) r.push_back(s.back());
  return r;
}

int ScanByte(const char *Buffer, uint8_t Value, int Count) {
  if (!Buffer) return 0;
  for (int i = 0; i < Count; ++i)
    if (static_cast<uint8_t>(Buffer[i]) == Value) return i + 1;
  return 0;
}

std::string ReplaceAll(const std::string &s, const std::string &From, const std::string &To) {
  if (From.empty()) return s;
  std::string r;
  size_t pos = 0;
  for (;;) {
    size_t f = s.find(From, pos);
    if (f == std::string::npos) break;
    r.append(s, pos, f - pos);
    r += To;
    pos = f + From.size();
  }
  r.append(s, pos, std::string::npos);
  return r;
}

std::string SlashPath(const std::string &s) { return ReplaceAll(s, "\\", "/"); }

void AppendWord(std::string &s, const std::string &Word) {
  if (!s.empty()) s.push_back(' ');
  s += Word;
}

std::string MakeHtmlText(const std::string &s, bool NonEmpty) {
  std::string r = ReplaceAll(s, "&", "&amp;");
  r = ReplaceAll(r, ">", "&gt;");
  r = ReplaceAll(r, "<", "&lt;");
  r = ReplaceAll(r, "  ", "&nbsp; ");
  if (!r.empty() && r.back() == ' ') {
    r.pop_back();
    r += "&nbsp;";
  }
  if (!r.empty() && r.front() == ' ') r = "&nbsp;" + r.substr(1);
  if (r.empty() && NonEmpty) r = "&nbsp;";
  return r;
}

std::string MakeHtmlTitle(const std::string &Hint) {
  if (Hint.empty()) return {};
  return "title=\"" + ReplaceAll(Hint, "\"", "'") + "\"";
}

int FontSizeToHtmlSize(int Points) {
  if (Points < 9) return 1;
  if (Points <= 10) return 2;
  if (Points <= 12) return 3;
  if (Points <= 14) return 4;
  if (Points <= 18) return 5;
  if (Points <= 24) return 6;
  return 7;
}

namespace {

struct StyleTag {
  bool has;
  const char *open;
  const char *close;
};

std::vector<StyleTag> styleTags(const THtmlFontDesc &f, const THtmlFontDesc &b) {
  auto differs = [&](uint8_t bit) { return (f.Style & bit) && !(b.Style & bit); };
  bool sub = f.VShift < 0 && !(b.VShift < 0);
  bool sup = f.VShift > 0 && !(b.VShift > 0);
  return {
      {differs(fsBold), "<B>", "</B>"},      {differs(fsItalic), "<I>", "</I>"}, {differs(fsUnderline), "<U>", "</U>"},
      {differs(fsStrikeOut), "<S>", "</S>"}, {sub, "<SUB>", "</SUB>"},           {sup, "<SUP>", "</SUP>"}};
}

bool fontTagNeeded(const THtmlFontDesc &f, const THtmlFontDesc &b) {
  return f.Size != b.Size || ColorToRGB(f.Color) != ColorToRGB(b.Color) || !sameName(f.Name, b.Name);
}

} // namespace

std::string HtmlOpenFontTags(const THtmlFontDesc &Font, const THtmlFontDesc &Base) {
  std::string r;
  if (fontTagNeeded(Font, Base)) {
    r = "<FONT";
    if (Font.Size != Base.Size) r += " size=" + std::to_string(FontSizeToHtmlSize(Font.Size));
    if (ColorToRGB(Font.Color) != ColorToRGB(Base.Color)) r += " color=" + ColorToHtml(Font.Color, true);
    // A font name is the style sheet's, which documents from elsewhere set.
    if (!sameName(Font.Name, Base.Name)) r += " face=\"" + ReplaceAll(MakeHtmlText(Font.Name), "\"", "&quot;") + "\"";
    r += ">";
  }
  for (const StyleTag &t : styleTags(Font, Base))
    if (t.has) r += t.open;
  return r;
}

std::string HtmlCloseFontTags(const THtmlFontDesc &Font, const THtmlFontDesc &Base) {
  std::string r;
  auto tags = styleTags(Font, Base);
  for (auto it = tags.rbegin(); it != tags.rend(); ++it)
    if (it->has) r += it->close;
  if (fontTagNeeded(Font, Base)) r += "</FONT>";
  return r;
}

std::string FontToCss(const THtmlFontDesc &Font, bool Pixels) {
  std::string v;
  if (Font.Style & fsBold) AppendWord(v, "bold");
  if (Font.Style & fsItalic) AppendWord(v, "italic");
  AppendWord(v, std::to_string(Font.Size) + (Pixels ? "px" : "pt"));
  AppendWord(v, "'" + Font.Name + "'");
  std::string r = "font: " + v + ";";
  std::string deco;
  if (Font.Style & fsUnderline) AppendWord(deco, "underline");
  if (Font.Style & fsStrikeOut) AppendWord(deco, "line-through");
  if (!deco.empty()) r += " text-decoration: " + deco + ";";
  r += " color: " + ColorToCss(Font.Color) + ";";
  return r;
}

std::string CharsetToHtmlName(uint8_t Charset) {
  switch (Charset) {
  case 128: return "shift_jis";
  case 134: return "gb2312";
  case 136: return "big5";
  case 161: return "Windows-1253";
  case 162: return "Windows-1254";
  case 163: return "Windows-1258";
  case 177: return "Windows-1255";
  case 178: return "Windows-1256";
  case 186: return "Windows-1257";
  case 204: return "Windows-1251";
  case 222: return "Windows-874";
  case 238: return "Windows-1250";
  case 255: return "ascii";
  default: return {};
  }
}

namespace {

std::string escapeBytes(const std::string &s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    auto b = static_cast<unsigned char>(c);
    if (b < 26 || b >= 0x80) r += "\\'" + hex2(b);
    else r.push_back(c);
  }
  return r;
}

} // namespace

std::string RtfEscapeText(const std::string &s, bool RTFCode) {
  if (RTFCode) return escapeBytes(s);
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    if (c == '\\' || c == '{' || c == '}') r.push_back('\\');
    r.push_back(c);
  }
  return escapeBytes(r);
}

std::string RtfEscapeHint(const std::string &s) {
  std::string r = s;
  for (char &c : r)
    if (c == '\\' || c == '{' || c == '}') c = '_';
  return escapeBytes(r);
}

std::string RtfEscapeName(const std::string &s, int CodePage) {
  std::string r = s;
  for (char &c : r) {
    auto b = static_cast<unsigned char>(c);
    bool ok;
    if (b < 0x80) {
      ok = (b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
    } else {
      std::u16string u = toUtf16(std::string_view(&c, 1), CodePage);
      ok = u.size() == 1 && u[0] != u'?' && isCharAlphaNumericW(u[0]);
    }
    if (!ok) c = '_';
  }
  return escapeBytes(r);
}

std::string RtfUnicodeText(const std::string &s, int CodePage) {
  std::string r = "\\uc1 ";
  size_t uc = 1;
  for (size_t i = 0; i + 1 < s.size(); i += 2) {
    char16_t u = static_cast<char16_t>(static_cast<unsigned char>(s[i]) | (static_cast<unsigned char>(s[i + 1]) << 8));
    std::string repl = fromUtf16(std::u16string_view(&u, 1), CodePage);
    if (repl.size() != uc) {
      uc = repl.size();
      r += "\\uc" + std::to_string(uc) + " ";
    }
    int v = u > 0x7FFF ? static_cast<int>(u) - 65536 : static_cast<int>(u);
    r += "\\u" + std::to_string(v) + " ";
    r += RtfEscapeText(repl);
  }
  return r;
}

const TRVClipboardFormat CFRV_RVF = {"RichVista Format", "application/x-richvista"};
const TRVClipboardFormat CFRV_RTF = {"Rich Text Format", "text/rtf"};
const TRVClipboardFormat CFRV_URL = {"UniformResourceLocator", "text/uri-list"};
const TRVClipboardFormat CFRV_HTML = {"HTML Format", "text/html"};

std::string ClipboardFormatMime(std::string_view Name) {
  for (const TRVClipboardFormat *f : {&CFRV_RVF, &CFRV_RTF, &CFRV_URL, &CFRV_HTML})
    if (Name == f->Name) return f->Mime;
  return {};
}

namespace {

std::unique_ptr<TGraphic> defaultCreateGraphics(std::string_view ClassName) { return createGraphic(ClassName); }

void defaultAfterImportGraph(TGraphic &) {}

} // namespace

TRVCreateGraphicHook RV_CreateGraphics = defaultCreateGraphics;
TRVAfterImportGraphicHook RV_AfterImportGraph = defaultAfterImportGraph;

void StretchDrawGraphic(TCanvas &Canvas, const TRect &R, const TGraphic &Graphic, int Width, int Height) {
  if (Width < 0) Width = Graphic.width();
  if (Height < 0) Height = Graphic.height();
  if (Width <= 0 || Height <= 0) return;
  Canvas.drawGraphic(Bounds(R.Left, R.Top, Width, Height), Graphic);
}

} // namespace kc
