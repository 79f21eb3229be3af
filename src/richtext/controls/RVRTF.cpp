// The reader's core: input, the group stack and the control-word tokenizer.
// The words are in RVRTFWords.cpp; what a property word does is found by
// destination in RVRTFProps.cpp (document tables, markers, lists), with the
// general words in RVRTFFormat.cpp (character, paragraph, section) and
// RVRTFTable.cpp (rows, cells). Destinations are in RVRTFDest.cpp, text in
// RVRTFText.cpp, pictures and objects, and fields, in files of their own.
#include "richtext/controls/RVRTF.h"

#include <algorithm>
#include <cstring>
#include <istream>

#include "platform/CodePage.h"
#include "richtext/controls/RVRTFUtil.h"
#include "richtext/controls/RVRTFWords.h"

namespace kc {

using namespace rtf;

std::function<void(TGraphic &)> RVRTFAfterImportGraphic;

// ------------------------------------------------------------------ reader

TRVRTFReader::TRVRTFReader() = default;
TRVRTFReader::~TRVRTFReader() = default;

const TRVRTFListOverride97 *TRVRTFReader::GetListOverride(int Number) const {
  for (const auto &o : overrides_.Items())
    if (o.Number == Number) return &o;
  return nullptr;
}

std::u16string TRVRTFReader::AnsiToUnicode(std::string_view s) const {
  std::u16string out;
  if (s.empty()) return out;
  if (tryToUtf16(int(codePage_), s, out) || tryToUtf16(CP_ACP, s, out)) return out;
  return std::u16string(s.size(), u'?');
}

std::string TRVRTFReader::UnicodeToAnsi(std::u16string_view s) const {
  std::string out;
  if (s.empty()) return out;
  if (tryFromUtf16(int(codePage_), s, out) || tryFromUtf16(CP_ACP, s, out)) return out;
  return std::string(s.size(), '?');
}

int TRVRTFReader::CodePageOfFont(int FontIndex) const {
  const TRVRTFFont *f = fonts_.Get(FontIndex);
  if (!f || f->Charset == 1) return int(codePage_);
  return codePageOfCharset(f->Charset);
}

std::string TRVRTFReader::UnicodeToAnsiForFont(std::u16string_view s, int FontIndex) const {
  std::string out;
  if (s.empty()) return out;
  if (tryFromUtf16(CodePageOfFont(FontIndex), s, out) || tryFromUtf16(CP_ACP, s, out)) return out;
  return std::string(s.size(), '?');
}

void TRVRTFReader::Reset() {
  sortTableOnce();
  styles_.Clear();
  fonts_.Clear();
  colors_.Clear();
  lists_.Clear();
  overrides_.Clear();
  stack_.clear();
  cur_ = TRVRTFReaderState();
  ansiText_.clear();
  uniText_.clear();
  position_ = rtf_ts_NewPara;
  pushedBack_ = -1;
  picture_.reset();
  object_.reset();
  marker_.reset();
  codePage_ = DefCodePage;
  skipChars_ = 0;
  binLeft_ = 0;
  ignorable_ = false;
  depth_ = 0;
  tableNesting_ = 0;
  tableAlign_ = 0;
  forceFlush_ = shppictInserted_ = objectInserted_ = false;
  hexAcc_ = hexDigits_ = 0;
  colorFromSemicolon_ = false;
  sectionLevel_ = 1;
  sectionText_ = false;
  levelLead_ = -1;
}

// ------------------------------------------------------------------ input

void TRVRTFReader::Refill() {
  // once per block read; none when the input has been read to its end
  if (progress_ && OnProgress && size_ > 0 && consumed_ < size_)
    OnProgress(*this, rvprtfprRunning, uint8_t(std::clamp<int64_t>((consumed_ * 200 + size_) / (2 * size_), 0, 100)));
  bufPos_ = 0;
  bufLen_ = 0;
  if (stream_) {
    stream_->read(buffer_.data(), std::streamsize(buffer_.size()));
    bufLen_ = size_t(std::max<std::streamsize>(stream_->gcount(), 0));
  } else {
    bufLen_ = std::min(buffer_.size(), memory_.size() - memoryPos_);
    std::memcpy(buffer_.data(), memory_.data() + memoryPos_, bufLen_);
    memoryPos_ += bufLen_;
  }
  consumed_ += int64_t(bufLen_);
}

inline int TRVRTFReader::GetByte() {
  if (pushedBack_ >= 0) {
    int c = pushedBack_;
    pushedBack_ = -1;
    return c;
  }
  if (bufPos_ >= bufLen_) {
    Refill();
    if (bufLen_ == 0) return -1;
  }
  return uint8_t(buffer_[bufPos_++]);
}

int TRVRTFReader::ReadRTFData(std::string_view Data) {
  stream_ = nullptr;
  memory_ = Data;
  memoryPos_ = 0;
  size_ = int64_t(Data.size());
  consumed_ = 0;
  return ReadFromSource();
}

int TRVRTFReader::ReadRTFStream(std::istream &Stream) {
  stream_ = &Stream;
  memory_ = {};
  size_ = 0;
  consumed_ = 0;
  auto start = Stream.tellg();
  if (start != std::streampos(-1)) {
    Stream.seekg(0, std::ios::end);
    auto end = Stream.tellg();
    Stream.seekg(start);
    // progress is the stream's position against its whole size
    if (end != std::streampos(-1)) {
      size_ = int64_t(end);
      consumed_ = int64_t(start);
    }
  }
  Stream.clear();
  return ReadFromSource();
}

int TRVRTFReader::ReadFromSource() {
  Reset();
  buffer_.assign(4096, '\0');
  bufPos_ = bufLen_ = 0;
  progress_ = bool(OnProgress) && size_ > 20480;
  if (progress_) OnProgress(*this, rvprtfprStarting, 0);
  int code = ParseLoop();
  buffer_.clear();
  buffer_.shrink_to_fit();
  stream_ = nullptr;
  memory_ = {};
  if (progress_) OnProgress(*this, rvprtfprEnding, 0);
  return code;
}

// ------------------------------------------------------------------ parser loop

int TRVRTFReader::ParseLoop() {
  for (;;) {
    int c = GetByte();
    if (c < 0) break;
    if (depth_ < 0) return rtf_ec_StackUnderflow;
    if (cur_.InternalState == 1) {
      int code = CharHandler(c);
      if (code) return code;
      continue;
    }
    if (c == '{') {
      skipChars_ = 0;
      int code = PushGroup();
      if (code) return code;
      continue;
    }
    if (c == '}') {
      skipChars_ = 0;
      int code = PopGroup();
      if (code) return code;
      if (depth_ == 0) break;
      continue;
    }
    if (c == '\\') {
      int code = ReadControlWord();
      if (code) return code;
      continue;
    }
    if (c == 10 || c == 13) continue;
    if (cur_.InternalState == 2) {
      int v = hexValue(c);
      if (v < 0) return rtf_ec_InvalidHex;
      hexAcc_ = hexAcc_ * 16 + v;
      if (++hexDigits_ == 2) {
        int ch = hexAcc_;
        cur_.InternalState = 0;
        hexAcc_ = hexDigits_ = 0;
        if (skipChars_ > 0) {
          --skipChars_;
        } else {
          int code = CharHandler(ch);
          if (code) return code;
        }
      }
      continue;
    }
    if (cur_.InternalState != 0) return rtf_ec_Assertion;
    if (skipChars_ > 0) {
      --skipChars_;
      continue;
    }
    int code = CharHandler(c);
    if (code) return code;
  }
  FireMarkerUpdate();
  while (tableNesting_ > 0) {
    --tableNesting_;
    FireTable(rvf_tbl_TableEnd);
  }
  // Only the empty entry that the colour table's closing ";" made goes.
  if (colorFromSemicolon_ && colors_.Count() > 0) {
    colors_.Delete(colors_.Count() - 1);
    colorFromSemicolon_ = false;
  }
  if (depth_ < 0) return rtf_ec_StackUnderflow;
  if (depth_ > 0) {
    // A cut-off file still hands over the text it got to.
    FlushBuffers();
    return rtf_ec_UnmatchedBrace;
  }
  if (!ansiText_.empty() || !uniText_.empty()) return Flush(true);
  return rtf_ec_OK;
}

int TRVRTFReader::PushGroup() {
  if (depth_ >= kRTFMaxGroupDepth) return rtf_ec_StackOverflow;
  stack_.push_back(cur_);
  cur_.InternalState = 0;
  ++depth_;
  if (cur_.Destination == dsStyleSheet) {
    if (styles_.Count() < kRTFMaxTableEntries) styles_.Add().CharProps = cur_.CharProps;
    cur_.Destination = dsStyleEntry;
  }
  return rtf_ec_OK;
}

int TRVRTFReader::PopGroup() {
  if (stack_.empty()) return rtf_ec_StackUnderflow;
  if (depth_ == 1) FireMarkerUpdate();
  TRVRTFReaderState &saved = stack_.back();
  if (cur_.Destination == dsStyleEntry && saved.Destination == dsStyleSheet) {
    if (TRVRTFStyleSheetEntry *e = styles_.Last()) {
      e->CharProps = cur_.CharProps;
      e->ParaProps = cur_.ParaProps;
    }
  }
  if (cur_.Destination == dsNormal) Flush(false);
  const uint8_t left = cur_.Destination;
  if (left != saved.Destination) {
    int code = FinishDestination(left, saved);
    if (code) return code;
  }
  if (cur_.HFType != saved.HFType && cur_.HFType != rtf_hf_MainText && OnHeaderFooter) {
    bool supported = false;
    OnHeaderFooter(*this, cur_.HFType, false, supported);
  }
  // What a section-level marker group said outlives the group.
  if (left == dsSectionMarker || (sectionText_ && (left == dsMarkerTextAfter || left == dsMarkerTextBefore)))
    saved.SectProps.SectionMarkers = cur_.SectProps.SectionMarkers;
  cur_ = std::move(stack_.back());
  stack_.pop_back();
  --depth_;
  if (left == dsMarker && cur_.Destination != dsMarker && marker_) {
    cur_.ParaProps.Marker = *marker_;
    marker_.reset();
  }
  return rtf_ec_OK;
}

// ------------------------------------------------------------------ control words

int TRVRTFReader::ReadControlWord() {
  int c = GetByte();
  if (c < 0) return rtf_ec_EndOfFile;
  if (!isLetter(c)) {
    char sym = char(c);
    if (skipChars_ > 0 && sym != '\'') {
      // \' counts as one fallback character once its two digits are read
      --skipChars_;
      return rtf_ec_OK;
    }
    return LookupWord(std::string_view(&sym, 1), false, 0);
  }
  char word[kRTFMaxControlWordLength + 1];
  int len = 0;
  bool tooLong = false;
  while (c >= 0 && isLetter(c)) {
    if (len < kRTFMaxControlWordLength) word[len++] = char(c);
    else tooLong = true;
    c = GetByte();
  }
  bool neg = false, hasParam = false;
  int64_t value = 0;
  if (c == '-') {
    neg = true;
    c = GetByte();
  }
  if (c >= '0' && c <= '9') {
    hasParam = true;
    while (c >= '0' && c <= '9') {
      if (value <= int64_t(INT32_MAX) + 1) value = value * 10 + (c - '0');
      c = GetByte();
    }
    if (neg) value = -value;
    // over-long numbers saturate
    value = std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
  }
  if (c >= 0 && c != ' ') PushBack(c);
  if (skipChars_ > 0) {
    --skipChars_;
    return rtf_ec_OK;
  }
  if (tooLong) { // no control word is that long: an unknown word
    if (ignorable_) cur_.Destination = dsSkip;
    ignorable_ = false;
    return rtf_ec_OK;
  }
  return LookupWord(std::string_view(word, size_t(len)), hasParam, int32_t(value));
}

int TRVRTFReader::LookupWord(std::string_view word, bool hasParam, int32_t param) {
  const Rec *r = FindWord(word);
  if (!r) {
    if (ignorable_) cur_.Destination = dsSkip;
    ignorable_ = false;
    return rtf_ec_OK;
  }
  ignorable_ = false;
  switch (r->kind) {
  case kChar: return CharHandler(r->index);
  case kTypo:
    if (cur_.Destination == dsNormal && OnNewUnicodeText) {
      AddUnicodeChar(char16_t(r->def));
      return rtf_ec_OK;
    }
    return CharHandler(r->index);
  case kDest: return EnterDestination(r->index, 0);
  case kProp: {
    int32_t value = (r->useDef || !hasParam) ? r->def : param;
    int g = groupOf(*r);
    if (cur_.Destination == dsNormal && (g == 1 || g == 2)) Flush(false);
    return ApplyProperty(r->index, value, hasParam, param);
  }
  case kSpecial:
    if (cur_.Destination == dsSkip && r->index != spBin) return rtf_ec_OK;
    switch (r->index) {
    case spBin:
      // \bin without a count, \bin0 and negative counts take no byte.
      if (hasParam && param > 0) {
        cur_.InternalState = 1;
        binLeft_ = param;
      }
      return rtf_ec_OK;
    case spHex:
      cur_.InternalState = 2;
      hexAcc_ = hexDigits_ = 0;
      return rtf_ec_OK;
    case spIgnorable: ignorable_ = true; return rtf_ec_OK;
    default: return rtf_ec_BadTable;
    }
  default: return rtf_ec_BadTable;
  }
}

} // namespace kc
