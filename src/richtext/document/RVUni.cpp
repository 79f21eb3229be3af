#include "richtext/document/RVUni.h"

#include <algorithm>
#include <iterator>

#include "platform/Canvas.h"
#include "platform/CodePage.h"
#include "richtext/document/RVClasses.h"

namespace kc {

bool RVNT = true;

namespace {

// Character index and count cut to a text of Len characters: the first
// 0-based character and how many follow.
bool cutRange(long long Len, long long Index, long long Count, long long &first, long long &n) {
  if (Count <= 0 || Len <= 0) return false;
  long long lo = std::max<long long>(Index, 1);
  long long hi = std::min<long long>(Index + Count, Len + 1); // exclusive, 1-based
  if (hi <= lo) return false;
  first = lo - 1;
  n = hi - lo;
  return true;
}

std::u16string_view asWide(const std::u16string &w) { return w; }

} // namespace

// ---------------------------------------------------------------- by character

int GetTextLength(const std::string &s, uint8_t Options) {
  return static_cast<int>(IsUnicodeOptions(Options) ? s.size() / 2 : s.size());
}

std::string CopyChars(const std::string &s, int Index, int Count, uint8_t Options) {
  size_t unit = IsUnicodeOptions(Options) ? 2 : 1;
  long long first, n;
  if (!cutRange(static_cast<long long>(s.size() / unit), Index, Count, first, n)) return {};
  return s.substr(static_cast<size_t>(first) * unit, static_cast<size_t>(n) * unit);
}

void DeleteChars(std::string &s, int Index, int Count, uint8_t Options) {
  size_t unit = IsUnicodeOptions(Options) ? 2 : 1;
  long long first, n;
  if (!cutRange(static_cast<long long>(s.size() / unit), Index, Count, first, n)) return;
  s.erase(static_cast<size_t>(first) * unit, static_cast<size_t>(n) * unit);
}

void InsertChars(const std::string &Sub, std::string &s, int Index, uint8_t Options) {
  size_t unit = IsUnicodeOptions(Options) ? 2 : 1;
  long long len = static_cast<long long>(s.size() / unit);
  long long at = std::clamp<long long>(Index, 1, len + 1) - 1;
  s.insert(static_cast<size_t>(at) * unit, Sub);
}

bool IsSpaceAt(const std::string &s, int Index, uint8_t Options) {
  if (Index < 1) return false;
  if (IsUnicodeOptions(Options)) {
    if (static_cast<size_t>(Index) > s.size() / 2) return false;
    return UnitAt(s, static_cast<size_t>(Index - 1)) == u' ';
  }
  if (static_cast<size_t>(Index) > s.size()) return false;
  return s[static_cast<size_t>(Index - 1)] == ' ';
}

const char *StrScanW(const char *P, char16_t Char, int Count) {
  if (!P) return nullptr;
  for (int i = 0; i < Count; ++i) {
    std::string_view two(P + 2 * i, 2);
    if (UnitAt(two, 0) == Char) return P + 2 * i;
  }
  return nullptr;
}

std::string WideStringToRaw(std::u16string_view ws) {
  std::string r;
  r.resize(ws.size() * 2);
  for (size_t i = 0; i < ws.size(); ++i) {
    r[2 * i] = static_cast<char>(ws[i] & 0xFF);
    r[2 * i + 1] = static_cast<char>(ws[i] >> 8);
  }
  return r;
}

std::u16string RawToWideString(std::string_view raw) {
  std::u16string w;
  w.resize(raw.size() / 2);
  for (size_t i = 0; i < w.size(); ++i) w[i] = UnitAt(raw, i);
  return w;
}

// --------------------------------------------------------------- measuring

int GetTextWidth(const std::string &s, TCanvas &Canvas, uint8_t Options) {
  if (IsUnicodeOptions(Options)) return Canvas.textExtentW(asWide(RawToWideString(s))).cx;
  return Canvas.textExtent(s).cx;
}

void GetTextFit(TCanvas &Canvas, const char *P, int Count, int MaxWidth, uint8_t Options, std::vector<int> *Extents,
                int &Fit) {
  Fit = 0;
  if (Extents) Extents->clear();
  if (!P || Count <= 0) return;
  if (!IsUnicodeOptions(Options)) {
    Canvas.textExtentEx(std::string_view(P, static_cast<size_t>(Count)), MaxWidth, &Fit, Extents);
    return;
  }
  std::u16string w = RawToWideString(std::string_view(P, static_cast<size_t>(Count) * 2));
  if (RVNT) {
    Canvas.textExtentExW(w, MaxWidth, &Fit, Extents);
    return;
  }
  // Without the wide fit call: the extents of ever longer beginnings.
  Fit = Count;
  for (int i = 1; i <= Count; ++i) {
    int e = Canvas.textExtentW(std::u16string_view(w).substr(0, static_cast<size_t>(i))).cx;
    if (e > MaxWidth) {
      Fit = i - 1;
      break;
    }
    if (Extents) Extents->push_back(e);
  }
}

void GetTextFit(TCanvas &Canvas, const std::string &s, int MaxWidth, uint8_t Options, std::vector<int> *Extents,
                int &Fit) {
  GetTextFit(Canvas, s.data(), GetTextLength(s, Options), MaxWidth, Options, Extents, Fit);
}

namespace {

// The two-step placement shared by the positions and the reordered drawing:
// visual order, advances and classes, used only when the width matches the
// expected one within 2 pixels.
bool placeText(TCanvas &Canvas, const std::string &s, int X, uint8_t Options, CharacterPlacement &out) {
  const unsigned base = GCP_REORDER | GCP_USEKERNING | GCP_GLYPHSHAPE | GCP_DIACRITIC;
  bool unicode = IsUnicodeOptions(Options);
  int n = GetTextLength(s, Options);
  if (n <= 0) return false;
  auto place = [&](unsigned flags, CharacterPlacement &p) {
    return unicode ? Canvas.characterPlacement(RawToWideString(s), flags, p) : Canvas.characterPlacementA(s, flags, p);
  };
  int width = -1;
  if (Canvas.fontLanguageInfo() & GCP_LIGATE) {
    CharacterPlacement lig;
    if (place(base | GCP_LIGATE, lig)) width = lig.width;
  }
  if (!place(base, out)) return false;
  if (width < 0) width = out.width;
  if (out.height <= 0 || std::abs(width - X) >= 2) return false;
  // The answer must describe every character once.
  if (out.order.size() != static_cast<size_t>(n) || out.advances.size() != out.order.size() ||
      out.classes.size() != out.order.size())
    return false;
  std::vector<char> seen(static_cast<size_t>(n), 0);
  for (int v : out.order) {
    if (v < 0 || v >= n || seen[static_cast<size_t>(v)]) return false;
    seen[static_cast<size_t>(v)] = 1;
  }
  return true;
}

std::vector<int> visualToLogical(const CharacterPlacement &p) {
  std::vector<int> v(p.order.size());
  for (size_t l = 0; l < p.order.size(); ++l) v[static_cast<size_t>(p.order[l])] = static_cast<int>(l);
  return v;
}

} // namespace

bool GetCharPlacement(TCanvas &Canvas, const std::string &s, std::vector<int> &Positions, int X, uint8_t Options) {
  CharacterPlacement p;
  if (!placeText(Canvas, s, X, Options, p)) return false;
  size_t n = p.order.size();
  Positions.assign(n + 1, 0);
  std::vector<int> visual = visualToLogical(p);
  int x = 0;
  for (size_t v = 0; v < n; ++v) {
    int L = visual[v];
    int A = p.advances[static_cast<size_t>(L)];
    if (p.classes[static_cast<size_t>(L)] == GCPCLASS_RTL) {
      Positions[static_cast<size_t>(L) + 1] = x;
      if (L == 0) Positions[0] = x + A;
    } else {
      Positions[static_cast<size_t>(L) + 1] = x + A + 1;
      if (L == 0) Positions[0] = x;
    }
    x += A;
  }
  return true;
}

bool DrawReorderedRange(int X, int Y, int Width, int Height, const std::string &s, TCanvas &Canvas, int First, int Last,
                        uint8_t Options) {
  CharacterPlacement p;
  if (!placeText(Canvas, s, Width, Options, p)) return false;
  std::vector<int> visual = visualToLogical(p);
  bool unicode = IsUnicodeOptions(Options);
  std::u16string wide = unicode ? RawToWideString(s) : std::u16string();
  auto drawRun = [&](int left, int right) {
    TRect r = Rect(left, Y, right, Y + Height);
    if (unicode) Canvas.extTextOutW(X, Y, ETO_OPAQUE | ETO_CLIPPED, &r, wide);
    else Canvas.extTextOut(X, Y, ETO_OPAQUE | ETO_CLIPPED, &r, s);
  };
  int x = X;
  bool inRun = false;
  int runLeft = 0, prevL = -2;
  for (size_t v = 0; v < visual.size(); ++v) {
    int L = visual[v];
    int A = p.advances[static_cast<size_t>(L)];
    bool in = L + 1 >= First && L + 1 <= Last;
    if (in && inRun && std::abs(L - prevL) != 1) {
      drawRun(runLeft, x);
      inRun = false;
    }
    if (in && !inRun) {
      runLeft = x;
      inRun = true;
    } else if (!in && inRun) {
      drawRun(runLeft, x);
      inRun = false;
    }
    prevL = L;
    x += A;
  }
  if (inRun) drawRun(runLeft, x);
  return true;
}

std::string ApplyAllCaps(const std::string &s, bool AllCaps, bool Unicode) {
  if (!AllCaps) return s;
  if (Unicode) return RVNT ? WideStringToRaw(upperCaseW(RawToWideString(s))) : s;
  return ansiUpperCase(s);
}

// --------------------------------------------------------------- code pages

namespace {

// The DOS code pages show their control bytes as pictures; the conversion
// asks for those glyphs instead of the control characters.
void UseControlGlyphs(int CodePage, const std::string &s, std::u16string &w) {
  if (w.size() != s.size()) return;
  for (size_t i = 0; i < s.size(); ++i)
    if (char16_t g = controlGlyph(CodePage, static_cast<uint8_t>(s[i]))) w[i] = g;
}

} // namespace

std::string AnsiToUnicode(int CodePage, const std::string &s) {
  if (s.empty()) return {};
  std::u16string w;
  if (tryToUtf16(CodePage, s, w)) {
    UseControlGlyphs(CodePage, s, w);
    return WideStringToRaw(w);
  }
  if (CodePage != 0 && tryToUtf16(0, s, w)) return WideStringToRaw(w);
  return WideStringToRaw(std::u16string(s.size(), u'?'));
}

std::string UnicodeToAnsi(int CodePage, const std::string &s) {
  if (s.size() % 2 != 0) throw ERichVistaError("Can't perform Unicode operation");
  if (s.empty()) return {};
  const std::u16string w = RawToWideString(s);
  std::string r;
  if (tryFromUtf16Composed(CodePage, w, r) || (CodePage != 0 && tryFromUtf16Composed(0, w, r))) return r;
  return std::string(w.size(), '?');
}

int GetKeyboardCodePage() {
  // The keyboard layout's language is the one of the session locale here.
  return ansiCodePage();
}

std::string KeyboardAnsiToUnicode(const std::string &s) { return AnsiToUnicode(GetKeyboardCodePage(), s); }

int CharsetToCodePage(uint8_t Charset) {
  switch (Charset) {
  case 0: return 1252;
  case 77: return CP_MACCP;
  case 255: return CP_OEMCP;
  default: return nationalCodePageOfCharset(Charset);
  }
}

int CharsetToLanguage(uint8_t Charset) {
  switch (Charset) {
  case 0: return 1033;
  case 1: return 0;
  case 128: return 1041;
  case 129: return 1042;
  case 130: return 2066;
  case 134: return 2052;
  case 136: return 1028;
  case 161: return 1032;
  case 162: return 1055;
  case 163: return 1066;
  case 177: return 1037;
  case 178: return 0;
  case 186: return 0;
  case 204: return 1049;
  case 222: return 1054;
  default: return 1024;
  }
}

std::string UnicodeToHtml(const std::string &s, bool NonEmpty, bool RawText) {
  std::u16string w = RawToWideString(s);
  std::string r;
  bool mark = true;
  for (size_t i = 0; i < w.size(); ++i) {
    char16_t c = w[i];
    if (c >= 128) {
      unsigned long cp = c;
      // One reference for the whole character, not one per surrogate half.
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
        cp = 0x10000 + ((static_cast<unsigned long>(c) - 0xD800) << 10) + (w[i + 1] - 0xDC00);
        ++i;
      }
      r += "&#" + std::to_string(cp) + ";";
      mark = false;
      continue;
    }
    if (RawText) {
      r.push_back(static_cast<char>(c));
      continue;
    }
    switch (c) {
    case u'&':
      r += "&amp;";
      mark = false;
      break;
    case u'<':
      r += "&lt;";
      mark = false;
      break;
    case u'>':
      r += "&gt;";
      mark = false;
      break;
    case u' ':
      if (!mark && i + 1 < w.size()) {
        r.push_back(' ');
        mark = true;
      } else {
        r += "&nbsp;";
        mark = false;
      }
      break;
    default:
      r.push_back(static_cast<char>(c));
      mark = false;
      break;
    }
  }
  if (r.empty() && NonEmpty) r = "&nbsp;";
  return r;
}

// -------------------------------------------------------------- line breaks

namespace {

enum : uint8_t { OP, CL, QU, GL, NS, EX, SY, IS, PR, PO, NU, AL, ID, IN, HY, BA, BB, B2, ZW, CM };

struct ClassRun {
  char16_t first;
  uint8_t cls;
};

constexpr ClassRun kRuns[] = {
#include "richtext/document/RVUni.inc"
};

constexpr uint8_t kPairs[20][20] = {
    // OP CL QU GL NS EX SY IS PR PO NU AL ID IN HY BA BB B2 ZW CM
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1}, // OP
    {0, 2, 1, 1, 2, 2, 2, 2, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1}, // CL
    {2, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1}, // QU
    {1, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1}, // GL
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1}, // NS
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1}, // EX
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 2, 1}, // SY
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 2, 1}, // IS
    {1, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 1, 0, 1, 1, 0, 0, 2, 1}, // PR
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1}, // PO
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 1, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1}, // NU
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1}, // AL
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 2, 1}, // ID
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 2, 1}, // IN
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1}, // HY
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1}, // BA
    {1, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1}, // BB
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 2, 2, 1}, // B2
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1}, // ZW
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1}, // CM
};

template <class At> int findBreak(int len, int Index, At at) {
  if (Index < 0 || Index >= len) return -1;
  if (at(Index) == u' ') return Index;
  uint8_t after = CharClassOf(at(Index));
  int J = Index - 1;
  for (;;) {
    if (J < 0) return -1;
    if (at(J) != u' ') {
      uint8_t before = CharClassOf(at(J));
      uint8_t action = kPairs[before][after];
      if (action == 1 && at(J + 1) != u' ') action = 2;
      if (action < 2) break;
      after = before;
    }
    --J;
  }
  while (J + 1 < Index && at(J + 1) == u' ') ++J;
  return J;
}

} // namespace

uint8_t CharClassOf(char16_t c) {
  auto it = std::upper_bound(std::begin(kRuns), std::end(kRuns), c,
                             [](char16_t v, const ClassRun &r) { return v < r.first; });
  return std::prev(it)->cls;
}

uint8_t LineBreakPairAction(uint8_t Before, uint8_t After) {
  if (Before >= 20 || After >= 20) return 2;
  return kPairs[Before][After];
}

int FindLineBreak(std::u16string_view Text, int Index) {
  return findBreak(static_cast<int>(Text.size()), Index, [&](int i) { return Text[static_cast<size_t>(i)]; });
}

int FindLineBreakRaw(std::string_view Raw, int Index) {
  return findBreak(static_cast<int>(Raw.size() / 2), Index, [&](int i) { return UnitAt(Raw, static_cast<size_t>(i)); });
}

} // namespace kc
