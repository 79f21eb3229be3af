// Fields: the pictures that INCLUDEPICTURE and IMPORT name, and SYMBOL.
#include "richtext/controls/RVRTF.h"

#include <algorithm>

#include "platform/AsciiCase.h"
#include "richtext/controls/RVRTFUtil.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

namespace {

bool startsWithNoCase(std::string_view s, std::string_view word) {
  return asciiEqualNoCase(s.substr(0, word.size()), word);
}

// The character of a SYMBOL field: decimal, or hexadecimal after "0x";
// -1 when it is not a number from 1 to 0xFFFF.
int64_t symbolCode(std::string_view code) {
  if (code.empty()) return -1;
  int64_t v = 0;
  bool ok = true;
  if (code.size() > 2 && code[0] == '0' && (code[1] == 'x' || code[1] == 'X')) {
    for (size_t i = 2; i < code.size() && ok; ++i) {
      int h = hexValue(uint8_t(code[i]));
      ok = h >= 0 && v < 0x10000;
      v = v * 16 + h;
    }
  } else {
    for (size_t i = 0; i < code.size() && ok; ++i) {
      ok = code[i] >= '0' && code[i] <= '9' && v < 0x10000;
      v = v * 10 + (code[i] - '0');
    }
  }
  return ok && v > 0 && v <= 0xFFFF ? v : -1;
}

// The quoted font name after the \f switch; empty without one.
std::string symbolFontName(std::string_view args) {
  size_t f = args.find("\\f");
  if (f == std::string_view::npos) return {};
  size_t q1 = args.find('"', f);
  if (q1 == std::string_view::npos) return {};
  size_t q2 = args.find('"', q1 + 1);
  if (q2 == std::string_view::npos) return {};
  return std::string(args.substr(q1 + 1, std::min(q2 - q1 - 1, kRTFMaxNameLength)));
}

// The size in points after the \s switch; -1 without one.
int32_t symbolSize(std::string_view args) {
  size_t s = args.find("\\s");
  if (s == std::string_view::npos) return -1;
  std::string_view rest = trimView(args.substr(s + 2));
  int64_t v = 0;
  size_t i = 0;
  while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && v < 100000) v = v * 10 + (rest[i++] - '0');
  return i > 0 ? int32_t(v) : -1;
}

} // namespace

std::string TRVRTFReader::GetFieldArgument(std::string_view s) {
  size_t i = 0;
  // the keyword: up to the first space that follows a non-space
  bool seenNonSpace = false;
  while (i < s.size()) {
    if (s[i] == ' ') {
      if (seenNonSpace) break;
    } else {
      seenNonSpace = true;
    }
    ++i;
  }
  while (i < s.size() && (s[i] == ' ' || s[i] == '\\')) ++i;
  if (i >= s.size()) return {};
  if (s[i] == '"') {
    size_t end = s.find('"', i + 1);
    if (end == std::string_view::npos) return std::string(s.substr(i + 1));
    return std::string(s.substr(i + 1, end - i - 1));
  }
  size_t end = s.find(' ', i);
  return std::string(s.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
}

void TRVRTFReader::FieldInstructionDone(TRVRTFReaderState &saved) {
  std::string_view instr = trimView(cur_.FieldInstruction.str());
  if (!instr.empty() && instr.front() == '\\') instr.remove_prefix(1);
  if (OnNewPicture && (startsWithNoCase(instr, "INCLUDEPICTURE") || startsWithNoCase(instr, "IMPORT")))
    InsertFieldPicture(instr, saved);
  if (startsWithNoCase(instr, "SYMBOL")) InsertSymbol(instr);
}

void TRVRTFReader::InsertFieldPicture(std::string_view instr, TRVRTFReaderState &saved) {
  std::string arg = GetFieldArgument(instr);
  for (size_t p = arg.find("\\\\"); p != std::string::npos; p = arg.find("\\\\", p + 1)) arg.erase(p, 1);
  if (!BasePath.empty() && (BasePath.back() == '\\' || BasePath.back() == '/') && !arg.empty() &&
      (arg.front() == '\\' || arg.front() == '/'))
    arg.erase(0, 1);
  std::unique_ptr<TGraphic> graphic;
  // The location goes to the receiver only: the reader opens no file an
  // RTF document names.
  if (OnImportPicture) OnImportPicture(*this, BasePath + arg, graphic);
  if (!graphic) return;
  if (RVRTFAfterImportGraphic) RVRTFAfterImportGraphic(*graphic);
  bool inserted = false;
  OnNewPicture(*this, nullptr, graphic, position_, inserted);
  position_ = rtf_ts_ContinuePara;
  cur_.FieldResultReplaced = true;
  saved.FieldResultReplaced = true;
}

void TRVRTFReader::InsertSymbol(std::string_view instr) {
  const std::string_view args = instr.size() > 7 ? instr.substr(7) : std::string_view();
  const int64_t ch = symbolCode(trimView(args.substr(0, args.find(' '))));
  const std::string fontName = symbolFontName(args);
  const int32_t size = symbolSize(args);
  if (ch <= 0 || fontName.empty() || size <= 0) return;
  const int32_t oldSize = cur_.CharProps.Size;
  cur_.CharProps.FontName = fontName;
  cur_.CharProps.Size = size;
  if (ch <= 0xFF) {
    TextOutput(int(ch), true, true);
  } else if (OnNewUnicodeText) {
    AddUnicodeChar(char16_t(ch));
  } else {
    for (char b : UnicodeToAnsi(std::u16string(1, char16_t(ch)))) TextOutput(uint8_t(b), true, true);
  }
  Flush(false);
  cur_.CharProps.Size = oldSize;
  cur_.CharProps.FontName.clear();
}

} // namespace kc
