#include "platform/CodePage.h"

#include <QChar>
#include <QString>

#include <iconv.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/AsciiCase.h"
#include "platform/ScopeGuard.h"

namespace kc {

namespace {

// One conversion table per code page, built once from iconv and then used
// without iconv, so that conversions are plain table look-ups and behave the
// same on every call and thread.
struct CpTable {
  bool dbcs = false;
  std::array<char16_t, 256> single{};
  std::array<bool, 256> singleDefined{};
  std::array<bool, 256> lead{};
  std::vector<char16_t> pairs;      // [lead << 8 | trail], 0 = undefined
  std::vector<std::uint16_t> fromU; // bytes for a UTF-16 unit, 0 = none (U+0000 aside)
};

const char *iconvName(int cp) {
  switch (cp) {
  case 437: return "CP437";
  case 737: return "CP737";
  case 775: return "CP775";
  case 850: return "CP850";
  case 852: return "CP852";
  case 855: return "CP855";
  case 857: return "CP857";
  case 862: return "CP862";
  case 866: return "CP866";
  case 874: return "CP874";
  case 932: return "CP932";
  case 936: return "CP936";
  case 949: return "CP949";
  case 950: return "CP950";
  case 1250: return "CP1250";
  case 1251: return "CP1251";
  case 1252: return "CP1252";
  case 1253: return "CP1253";
  case 1254: return "CP1254";
  case 1255: return "CP1255";
  case 1256: return "CP1256";
  case 1257: return "CP1257";
  case 1258: return "CP1258";
  case 1361: return "JOHAB";
  case 10000: return "MACINTOSH";
  case 10007: return "MAC-CYRILLIC";
  case 10029: return "MAC-CENTRALEUROPE";
  case 20127: return "ASCII";
  case 20866: return "KOI8-R";
  case 21866: return "KOI8-U";
  case 28591: return "ISO-8859-1";
  case 28592: return "ISO-8859-2";
  case 28593: return "ISO-8859-3";
  case 28594: return "ISO-8859-4";
  case 28595: return "ISO-8859-5";
  case 28596: return "ISO-8859-6";
  case 28597: return "ISO-8859-7";
  case 28598: return "ISO-8859-8";
  case 28599: return "ISO-8859-9";
  case 28605: return "ISO-8859-15";
  default: return nullptr;
  }
}

bool isDbcsPage(int cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361; }

bool hasControlGlyphs(int cp) {
  switch (cp) {
  case 437:
  case 737:
  case 775:
  case 850:
  case 852:
  case 855:
  case 857:
  case 862:
  case 866: return true;
  default: return false;
  }
}

// The pictures of the control bytes 0..31 in the DOS code pages (0x7F shows
// a house, U+2302).
constexpr char16_t kControlGlyphs[32] = {0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
                                         0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
                                         0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
                                         0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};

char16_t glyphOfControl(int cp, unsigned char byte) {
  if (!hasControlGlyphs(cp)) return 0;
  if (byte < 32) return kControlGlyphs[byte];
  return byte == 0x7F ? char16_t(0x2302) : char16_t(0);
}

// Converts a few bytes with a fresh conversion state; the result is the
// UTF-16 units produced, or empty when iconv rejects or wants more input.
std::u16string convertSmall(iconv_t cd, const unsigned char *bytes, size_t n, bool *incomplete) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[4];
  for (size_t i = 0; i < n; ++i) in[i] = static_cast<char>(bytes[i]);
  char out[32];
  char *ip = in;
  size_t il = n;
  char *op = out;
  size_t ol = sizeof out;
  *incomplete = false;
  size_t r = iconv(cd, &ip, &il, &op, &ol);
  if (r == static_cast<size_t>(-1)) {
    if (errno == EINVAL) *incomplete = true;
    return {};
  }
  // Code pages with combining characters hold a base character back.
  iconv(cd, nullptr, nullptr, &op, &ol);
  std::u16string s;
  for (char *p = out; p + 1 < op; p += 2)
    s.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8)));
  return s;
}

// The bytes iconv writes for one UTF-16 unit; empty when it has none.
std::string encodeSmall(iconv_t cd, char16_t u) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  char out[16];
  char *ip = in;
  size_t il = sizeof in;
  char *op = out;
  size_t ol = sizeof out;
  if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1)) return {};
  iconv(cd, nullptr, nullptr, &op, &ol);
  return std::string(out, static_cast<size_t>(op - out));
}

// Unicode's way back to the page: the first place given for a character
// stays.
void mapU(CpTable &t, char16_t u, std::uint16_t bytes) {
  if (u != 0 && t.fromU[u] == 0) t.fromU[u] = bytes;
}

// What iconv reads each byte as, and on a double-byte page each pair
// after a lead byte.
void readPage(iconv_t cd, CpTable &t) {
  for (int b = 0; b < 256; ++b) {
    unsigned char byte = static_cast<unsigned char>(b);
    bool incomplete = false;
    std::u16string s = convertSmall(cd, &byte, 1, &incomplete);
    if (s.size() == 1) {
      t.single[b] = s[0];
      t.singleDefined[b] = true;
    } else if (incomplete && t.dbcs) {
      t.lead[b] = true;
    }
  }
  if (!t.dbcs) return;
  t.pairs.assign(65536, 0);
  for (int l = 0; l < 256; ++l) {
    if (!t.lead[l]) continue;
    for (int tr = 0x21; tr < 0xFF; ++tr) {
      unsigned char two[2] = {static_cast<unsigned char>(l), static_cast<unsigned char>(tr)};
      bool incomplete = false;
      std::u16string s = convertSmall(cd, two, 2, &incomplete);
      if (s.size() == 1) t.pairs[(l << 8) | tr] = s[0];
    }
  }
}

// Bytes the code page leaves undefined that Windows gives a place in the
// private use area (or, for Shift-JIS 0x80, its own code point).
void addPrivateUse(int cp, CpTable &t) {
  static const struct {
    int cp;
    unsigned char first, last;
    char16_t unit;
  } kPrivate[] = {
      {874, 0xDB, 0xDE, 0xF8C1},  {874, 0xFC, 0xFF, 0xF8C5},  {932, 0x80, 0x80, 0x0080},  {932, 0xA0, 0xA0, 0xF8F0},
      {932, 0xFD, 0xFF, 0xF8F1},  {1253, 0xAA, 0xAA, 0xF8F9}, {1253, 0xD2, 0xD2, 0xF8FA}, {1253, 0xFF, 0xFF, 0xF8FB},
      {1255, 0xD9, 0xDF, 0xF88D}, {1255, 0xFB, 0xFC, 0xF894}, {1255, 0xFF, 0xFF, 0xF896}, {1257, 0xA1, 0xA1, 0xF8FC},
      {1257, 0xA5, 0xA5, 0xF8FD},
  };
  for (const auto &p : kPrivate) {
    if (p.cp != cp) continue;
    for (int b = p.first; b <= p.last; ++b) {
      if (t.singleDefined[b] || t.lead[b]) continue;
      t.single[b] = static_cast<char16_t>(p.unit + (b - p.first));
      t.singleDefined[b] = true;
    }
  }
}

// Windows maps the holes of its single-byte tables among 0x80..0x9F to the
// C1 code points of the same value; doing the same keeps such bytes intact
// through a round trip. A hole above 0x9F (0xCA of 1255, the gaps of the
// ISO 8859 pages) is undefined: giving it the Latin-1 letter of its value
// would read it as a character the page does not have.
void fillC1Holes(CpTable &t) {
  for (int b = 0x80; b < 0xA0; ++b) {
    if (t.singleDefined[b]) continue;
    bool taken = false;
    for (int o = 0; o < 256 && !taken; ++o) taken = t.singleDefined[o] && t.single[o] == static_cast<char16_t>(b);
    if (!taken) {
      t.single[b] = static_cast<char16_t>(b);
      t.singleDefined[b] = true;
    }
  }
}

// Where a double-byte page has a character twice, Windows writes a chosen
// one of the places, and it writes some characters the page lacks as a
// look-alike (Shift-JIS: IBM extensions in rows FA..FC rather than the
// NEC-selected copies in rows ED and EE, the yen sign as 0x5C, the em dash
// as 0x815C ...). iconv's writing direction makes the same choices.
void addWritingChoices(const char *name, CpTable &t) {
  iconv_t enc = iconv_open(name, "UTF-16LE");
  if (enc == reinterpret_cast<iconv_t>(-1)) return;
  const ScopeGuard close([enc] { iconv_close(enc); });
  for (int u = 1; u < 0x10000; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    std::string b = encodeSmall(enc, static_cast<char16_t>(u));
    auto b0 = b.empty() ? 0 : static_cast<unsigned char>(b[0]);
    if (b.size() == 1 && t.singleDefined[b0]) {
      mapU(t, static_cast<char16_t>(u), b0);
    } else if (b.size() == 2 && t.lead[b0]) {
      auto b1 = static_cast<unsigned char>(b[1]);
      const auto v = static_cast<std::uint16_t>((b0 << 8) | b1);
      if (t.pairs[v]) mapU(t, static_cast<char16_t>(u), v);
    }
  }
}

// Every character read from the page is written back to a place of it;
// text read with glyph characters writes its pictures back as the control
// bytes, unless the page has the character elsewhere too.
void addWriteBack(int cp, CpTable &t) {
  for (int b = 0; b < 256; ++b)
    if (t.singleDefined[b]) mapU(t, t.single[b], static_cast<std::uint16_t>(b));
  if (t.dbcs)
    for (int i = 0; i < 65536; ++i)
      if (t.pairs[i]) mapU(t, t.pairs[i], static_cast<std::uint16_t>(i));
  for (int b = 1; b < 0x80; ++b)
    if (char16_t g = glyphOfControl(cp, static_cast<unsigned char>(b))) mapU(t, g, static_cast<std::uint16_t>(b));
}

std::unique_ptr<CpTable> buildTable(int cp) {
  const char *name = iconvName(cp);
  if (!name) return nullptr;
  auto t = std::make_unique<CpTable>();
  t->dbcs = isDbcsPage(cp);
  t->fromU.assign(65536, 0);
  {
    iconv_t cd = iconv_open("UTF-16LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    const ScopeGuard close([cd] { iconv_close(cd); });
    readPage(cd, *t);
  }
  addPrivateUse(cp, *t);
  if (t->dbcs) addWritingChoices(name, *t);
  else fillC1Holes(*t);
  addWriteBack(cp, *t);
  return t;
}

std::mutex g_tableMutex;
std::map<int, std::unique_ptr<CpTable>> g_tables;

const CpTable *tableFor(int cp) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  auto it = g_tables.find(cp);
  if (it == g_tables.end()) it = g_tables.emplace(cp, buildTable(cp)).first;
  return it->second.get();
}

std::atomic<int> g_acp{0};
std::once_flag g_acpOnce;

int readEnvInt(const char *name) {
  const char *v = std::getenv(name);
  if (!v || !*v) return 0;
  char *end = nullptr;
  long n = std::strtol(v, &end, 10);
  if (*end || n <= 0 || n > 65535) return 0;
  return static_cast<int>(n);
}

void initAcp() {
  std::call_once(g_acpOnce, [] {
    int cp = readEnvInt("KAVET_CODEPAGE");
    if (cp && (cp == CP_UTF8 || tableFor(cp))) {
      g_acp = cp;
      return;
    }
    const char *loc = nullptr;
    for (const char *n : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char *v = std::getenv(n);
      if (v && *v) {
        loc = v;
        break;
      }
    }
    g_acp = codePageOfLocale(loc ? loc : "");
  });
}

void appendUtf8(std::string &out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool isHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

int ansiCodePage() {
  initAcp();
  return g_acp;
}

bool setAnsiCodePage(int codePage) {
  initAcp();
  if (codePage != CP_UTF8 && !tableFor(codePage)) return false;
  g_acp = codePage;
  return true;
}

int codePageOfLocale(std::string_view name) {
  std::string_view lang = name;
  std::string_view modifier;
  if (auto at = lang.find('@'); at != std::string_view::npos) {
    modifier = lang.substr(at + 1);
    lang = lang.substr(0, at);
  }
  if (auto dot = lang.find('.'); dot != std::string_view::npos) lang = lang.substr(0, dot);
  std::string_view territory;
  if (auto us = lang.find_first_of("_-"); us != std::string_view::npos) {
    territory = lang.substr(us + 1);
    lang = lang.substr(0, us);
  }
  // Locale names are ASCII; the folding must not follow the locale itself.
  const std::string l = asciiLowered(lang);
  auto in = [&](std::initializer_list<const char *> set) {
    for (const char *s : set)
      if (l == s) return true;
    return false;
  };
  if (l == "sr") return (modifier == "latin" || territory == "Latn") ? 1250 : 1251;
  if (l == "zh")
    return (territory == "TW" || territory == "HK" || territory == "MO" || territory == "Hant") ? 950 : 936;
  if (in({"ru", "uk", "bg", "be", "mk", "kk", "ky", "tt", "mn", "tg", "ba", "sah"})) return 1251;
  if (in({"cs", "pl", "hu", "sk", "sl", "hr", "ro", "sq", "bs", "hsb", "dsb"})) return 1250;
  if (l == "el") return 1253;
  if (in({"tr", "az", "uz"})) return 1254;
  if (in({"he", "iw", "yi"})) return 1255;
  if (in({"ar", "fa", "ur", "ps", "ug"})) return 1256;
  if (in({"et", "lv", "lt"})) return 1257;
  if (l == "vi") return 1258;
  if (l == "th") return 874;
  if (l == "ja") return 932;
  if (l == "ko") return 949;
  return 1252;
}

int oemCodePageOf(int acp) {
  switch (acp) {
  case 1250: return 852;
  case 1251: return 866;
  case 1253: return 737;
  case 1254: return 857;
  case 1255: return 862;
  case 1256: return 720;
  case 1257: return 775;
  case 1258: return 1258;
  case 874:
  case 932:
  case 936:
  case 949:
  case 950: return acp;
  default: return 437;
  }
}

int macCodePageOf(int acp) {
  switch (acp) {
  case 1250: return 10029;
  case 1251: return 10007;
  default: return 10000;
  }
}

int nationalCodePageOfCharset(std::uint8_t charset) {
  switch (charset) {
  case 128: return 932;
  case 129: return 949;
  case 130: return 1361;
  case 134: return 936;
  case 136: return 950;
  case 161: return 1253;
  case 162: return 1254;
  case 163: return 1258;
  case 177: return 1255;
  case 178: return 1256;
  case 186: return 1257;
  case 204: return 1251;
  case 222: return 874;
  case 238: return 1250;
  default: return 0;
  }
}

int codePageOfCharset(std::uint8_t charset) {
  if (int cp = nationalCodePageOfCharset(charset)) return cp;
  switch (charset) {
  case 2: return 1252; // symbol fonts: the bytes are drawn as they are
  case 77: return resolveCodePage(CP_MACCP);
  case 255: return resolveCodePage(CP_OEMCP);
  default: return ansiCodePage();
  }
}

int resolveCodePage(int cp) {
  switch (cp) {
  case CP_ACP:
  case CP_THREAD_ACP: return ansiCodePage();
  case CP_OEMCP: return oemCodePageOf(ansiCodePage());
  case CP_MACCP: return macCodePageOf(ansiCodePage());
  default: return cp;
  }
}

bool isCodePageSupported(int codePage) {
  int cp = resolveCodePage(codePage);
  return cp == CP_UTF8 || tableFor(cp) != nullptr;
}

bool isLeadByte(int codePage, std::uint8_t byte) {
  const CpTable *t = tableFor(resolveCodePage(codePage));
  return t && t->lead[byte];
}

bool tryToUtf16(int codePage, std::string_view bytes, std::u16string &out) {
  int cp = resolveCodePage(codePage);
  if (cp == CP_UTF8) {
    out = utf8ToUtf16(bytes);
    return true;
  }
  const CpTable *t = tableFor(cp);
  if (!t) return false;
  std::u16string r;
  r.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    auto b = static_cast<unsigned char>(bytes[i]);
    if (t->dbcs && t->lead[b]) {
      if (i + 1 < bytes.size()) {
        auto tr = static_cast<unsigned char>(bytes[i + 1]);
        char16_t u = t->pairs[(b << 8) | tr];
        if (u) {
          r.push_back(u);
          ++i;
          continue;
        }
      }
      // A lead byte without a valid trail byte: the trail byte is read again
      // on its own, so that markup after a damaged character survives.
      r.push_back(u'?');
    } else if (t->singleDefined[b]) {
      r.push_back(t->single[b]);
    } else {
      r.push_back(u'?');
    }
  }
  out = std::move(r);
  return true;
}

namespace {

bool hasChar(const CpTable &t, char16_t u) { return u == 0 || t.fromU[u] != 0; }

// Appends the bytes of one UTF-16 unit; false when the page lacks it.
bool appendChar(const CpTable &t, char16_t u, std::string &r) {
  if (!hasChar(t, u)) return false;
  const std::uint16_t v = t.fromU[u];
  if (v > 0xFF) r.push_back(static_cast<char>(v >> 8));
  r.push_back(static_cast<char>(v & 0xFF));
  return true;
}

// A mark is blocked from the base before it by a mark kept apart in between
// that has no combining class or one at least as high (as in Unicode
// composition): joining it to the base would change the text.
bool isBlocked(std::u16string_view apart, char16_t mark) {
  const int cls = QChar::combiningClass(char32_t(mark));
  for (char16_t a : apart) {
    const int c = QChar::combiningClass(char32_t(a));
    if (c == 0 || c >= cls) return true;
  }
  return false;
}

// The precomposed character for a character and one mark, or 0.
char16_t composePair(char16_t base, char16_t mark) {
  const char16_t pair[2] = {base, mark};
  const std::u16string one = composeW(std::u16string_view(pair, 2));
  return one.size() == 1 ? one[0] : char16_t(0);
}

std::u16string decompose(const std::u16string &text) {
  QString q(reinterpret_cast<const QChar *>(text.data()), static_cast<qsizetype>(text.size()));
  QString d = q.normalized(QString::NormalizationForm_D);
  return std::u16string(reinterpret_cast<const char16_t *>(d.utf16()), static_cast<size_t>(d.size()));
}

// Writes a character and the marks after it. A character the page lacks is
// first taken apart into what it is canonically made of (Vietnamese letters
// with two marks, Hebrew letters with points); then each mark is joined to
// the base where the page has the joined character (1258 has e-circumflex
// and the dot below but no letter with both), and the rest is written one by
// one. Strict: false, and nothing written, when the page lacks a part.
// Otherwise a missing base becomes "?" (and false is returned) and a missing
// mark is left out.
bool writeCluster(const CpTable &t, std::u16string c, bool strict, std::string &r) {
  if (!hasChar(t, c[0])) {
    // Only letters with marks, and marks: a character that stands for
    // another one alone (the Kelvin sign, compatibility ideographs) stays
    // unwritten, as in Windows' tables.
    std::u16string d = decompose(c);
    if (d.size() > c.size() || isNonSpacingMarkW(c[0])) c = std::move(d);
  }
  char16_t base = c[0];
  std::u16string apart; // marks not joined to the base, in their order
  for (size_t k = 1; k < c.size(); ++k) {
    const char16_t mark = c[k];
    if (!isBlocked(apart, mark)) {
      const char16_t one = composePair(base, mark);
      if (one && hasChar(t, one)) {
        base = one;
        continue;
      }
    }
    apart.push_back(mark);
  }
  std::string s;
  bool complete = true;
  if (!appendChar(t, base, s)) {
    if (strict) return false;
    if (!isNonSpacingMarkW(base)) {
      s.push_back('?');
      complete = false;
    }
  }
  for (char16_t mark : apart)
    if (!appendChar(t, mark, s) && strict) return false;
  r += s;
  return complete;
}

// What the two conversions from UTF-16 share: UTF-8 is written directly,
// any other page through its table. Convert writes the page's bytes and
// says whether any character became the default "?".
template <typename Convert>
bool fromUtf16Through(int codePage, std::u16string_view text, std::string &out, bool *usedDefault, Convert convert) {
  const int cp = resolveCodePage(codePage);
  if (usedDefault) *usedDefault = false;
  if (cp == CP_UTF8) {
    out = utf16ToUtf8(text);
    return true;
  }
  const CpTable *t = tableFor(cp);
  if (!t) return false;
  std::string r;
  r.reserve(text.size());
  const bool defaulted = convert(*t, r);
  if (usedDefault) *usedDefault = defaulted;
  out = std::move(r);
  return true;
}

} // namespace

bool tryFromUtf16(int codePage, std::u16string_view text, std::string &out, bool *usedDefault) {
  return fromUtf16Through(codePage, text, out, usedDefault, [text](const CpTable &t, std::string &r) {
    bool defaulted = false;
    for (size_t i = 0; i < text.size(); ++i) {
      char16_t u = text[i];
      if (appendChar(t, u, r)) continue;
      if (isHigh(u) || isLow(u)) {
        // One "?" per character: a surrogate pair is one character.
        if (isHigh(u) && i + 1 < text.size() && isLow(text[i + 1])) ++i;
      } else if (writeCluster(t, std::u16string(1, u), true, r)) {
        continue;
      }
      r.push_back('?');
      defaulted = true;
    }
    return defaulted;
  });
}

bool tryFromUtf16Composed(int codePage, std::u16string_view text, std::string &out, bool *usedDefault) {
  return fromUtf16Through(codePage, text, out, usedDefault, [text](const CpTable &t, std::string &r) {
    bool defaulted = false;
    for (size_t i = 0; i < text.size();) {
      const size_t start = i++;
      const bool pair = isHigh(text[start]) && i < text.size() && isLow(text[i]);
      if (pair) ++i;
      const size_t marks = i;
      while (i < text.size() && isNonSpacingMarkW(text[i])) ++i;
      bool complete;
      if (pair || isHigh(text[start]) || isLow(text[start])) {
        // No page has a character outside the BMP or half of one; its marks
        // still go in where the page has them.
        r.push_back('?');
        complete = false;
        for (size_t k = marks; k < i; ++k) appendChar(t, text[k], r);
      } else {
        complete = writeCluster(t, std::u16string(text.substr(start, i - start)), false, r);
      }
      if (!complete) defaulted = true;
    }
    return defaulted;
  });
}

char16_t controlGlyph(int codePage, std::uint8_t byte) { return glyphOfControl(resolveCodePage(codePage), byte); }

std::u16string toUtf16(std::string_view bytes, int codePage) {
  std::u16string r;
  if (!tryToUtf16(codePage, bytes, r) && !tryToUtf16(CP_ACP, bytes, r)) r.assign(bytes.size(), u'?');
  return r;
}

std::string fromUtf16(std::u16string_view text, int codePage) {
  std::string r;
  if (!tryFromUtf16(codePage, text, r) && !tryFromUtf16(CP_ACP, text, r)) r.assign(text.size(), '?');
  return r;
}

std::u16string utf8ToUtf16(std::string_view s) {
  std::u16string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    auto b = static_cast<unsigned char>(s[i]);
    char32_t c;
    int n;
    if (b < 0x80) {
      c = b;
      n = 0;
    } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
      c = b & 0x1F;
      n = 1;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      n = 2;
    } else if ((b & 0xF8) == 0xF0 && b <= 0xF4) {
      c = b & 0x07;
      n = 3;
    } else {
      r.push_back(0xFFFD);
      ++i;
      continue;
    }
    bool ok = i + static_cast<size_t>(n) < s.size();
    for (int k = 1; ok && k <= n; ++k) {
      auto cb = static_cast<unsigned char>(s[i + k]);
      if ((cb & 0xC0) != 0x80) ok = false;
      else c = (c << 6) | (cb & 0x3F);
    }
    if (ok && n == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ok = false;
    if (ok && n == 3 && (c < 0x10000 || c > 0x10FFFF)) ok = false;
    if (!ok) {
      r.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      r.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      r.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      r.push_back(static_cast<char16_t>(c));
    }
    i += n + 1;
  }
  return r;
}

std::string utf16ToUtf8(std::u16string_view s) {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t u = s[i];
    if (isHigh(u) && i + 1 < s.size() && isLow(s[i + 1])) {
      appendUtf8(r, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
      ++i;
    } else if (isHigh(u) || isLow(u)) {
      appendUtf8(r, 0xFFFD);
    } else {
      appendUtf8(r, u);
    }
  }
  return r;
}

std::string ansiToUtf8(std::string_view bytes, int codePage) { return utf16ToUtf8(toUtf16(bytes, codePage)); }

std::string utf8ToAnsi(std::string_view utf8, int codePage) { return fromUtf16(utf8ToUtf16(utf8), codePage); }

namespace {

std::string changeCase(std::string_view bytes, int codePage, bool upper) {
  int cp = resolveCodePage(codePage);
  std::string out;
  out.reserve(bytes.size());
  const CpTable *t = cp == CP_UTF8 ? nullptr : tableFor(cp);
  for (size_t i = 0; i < bytes.size();) {
    size_t n = 1;
    if (t && t->dbcs && t->lead[static_cast<unsigned char>(bytes[i])] && i + 1 < bytes.size()) n = 2;
    std::string_view ch = bytes.substr(i, n);
    std::u16string u;
    std::string back;
    if (t && n == 1 && tryToUtf16(cp, ch, u) && u.size() == 1) {
      char16_t c = u[0];
      auto m = static_cast<char16_t>(upper ? QChar::toUpper(char32_t(c)) : QChar::toLower(char32_t(c)));
      if (m != c && tryFromUtf16(cp, std::u16string_view(&m, 1), back) && back.size() == 1 && back != "?") {
        out += back;
        i += n;
        continue;
      }
    } else if (!t && n == 1) {
      char c = bytes[i];
      c = upper ? asciiUpper(c) : asciiLower(c);
      out.push_back(c);
      i += n;
      continue;
    }
    out += ch;
    i += n;
  }
  return out;
}

QString toQString(std::string_view s, int cp) {
  std::u16string u = toUtf16(s, cp);
  return QString(reinterpret_cast<const QChar *>(u.data()), static_cast<qsizetype>(u.size()));
}

} // namespace

std::string ansiUpperCase(std::string_view bytes, int codePage) { return changeCase(bytes, codePage, true); }

std::string ansiLowerCase(std::string_view bytes, int codePage) { return changeCase(bytes, codePage, false); }

std::u16string upperCaseW(std::u16string_view text) {
  std::u16string r(text);
  for (char16_t &c : r)
    if (!(c >= 0xD800 && c <= 0xDFFF)) c = static_cast<char16_t>(QChar::toUpper(char32_t(c)));
  return r;
}

std::u16string composeW(std::u16string_view text) {
  QString q(reinterpret_cast<const QChar *>(text.data()), static_cast<qsizetype>(text.size()));
  QString n = q.normalized(QString::NormalizationForm_C);
  return std::u16string(reinterpret_cast<const char16_t *>(n.utf16()), static_cast<size_t>(n.size()));
}

bool isNonSpacingMarkW(char16_t c) { return QChar(c).category() == QChar::Mark_NonSpacing; }

namespace {

bool isMarkAt(std::u16string_view t, size_t i) {
  if (i >= t.size()) return false;
  switch (QChar(t[i]).category()) {
  case QChar::Mark_NonSpacing:
  case QChar::Mark_SpacingCombining:
  case QChar::Mark_Enclosing: return true;
  default: return false;
  }
}

} // namespace

size_t charNextW(std::u16string_view t, size_t pos) {
  if (pos >= t.size()) return t.size();
  size_t i = pos + 1;
  if (isHigh(t[pos]) && i < t.size() && isLow(t[i])) ++i;
  while (i < t.size() && isMarkAt(t, i)) ++i;
  return i;
}

size_t charPrevW(std::u16string_view t, size_t pos) {
  if (pos > t.size()) pos = t.size();
  if (pos == 0) return 0;
  size_t i = pos - 1;
  while (i > 0 && isMarkAt(t, i)) --i;
  if (i > 0 && isLow(t[i]) && isHigh(t[i - 1])) --i;
  return i;
}

int charType2W(char16_t c) {
  switch (QChar(c).direction()) {
  case QChar::DirL:
  case QChar::DirLRE:
  case QChar::DirLRO: return C2_LEFTTORIGHT;
  case QChar::DirR:
  case QChar::DirAL:
  case QChar::DirRLE:
  case QChar::DirRLO: return C2_RIGHTTOLEFT;
  case QChar::DirEN: return C2_EUROPENUMBER;
  case QChar::DirES: return C2_EUROPESEPARATOR;
  case QChar::DirET: return C2_EUROPETERMINATOR;
  case QChar::DirAN: return C2_ARABICNUMBER;
  case QChar::DirCS: return C2_COMMONSEPARATOR;
  case QChar::DirB: return C2_BLOCKSEPARATOR;
  case QChar::DirS: return C2_SEGMENTSEPARATOR;
  case QChar::DirWS: return C2_WHITESPACE;
  case QChar::DirON: return C2_OTHERNEUTRAL;
  default: return C2_NOTAPPLICABLE;
  }
}

int charType2A(char byte, int codePage) {
  std::u16string u = toUtf16(std::string_view(&byte, 1), codePage);
  return u.size() == 1 ? charType2W(u[0]) : C2_NOTAPPLICABLE;
}

bool isCharAlphaNumericW(char16_t c) { return QChar(c).isLetterOrNumber(); }

int ansiCompareText(std::string_view a, std::string_view b, int codePage) {
  int r = QString::localeAwareCompare(toQString(a, codePage).toCaseFolded(), toQString(b, codePage).toCaseFolded());
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int ansiCompareStr(std::string_view a, std::string_view b, int codePage) {
  int r = QString::localeAwareCompare(toQString(a, codePage), toQString(b, codePage));
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

} // namespace kc
