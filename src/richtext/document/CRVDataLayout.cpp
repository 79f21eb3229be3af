// Layout values kept with a saved document, and their stored form.
#include "richtext/document/CRVData.h"

namespace kc {

namespace {

void Put32(std::string &s, int32_t v) {
  const uint32_t u = uint32_t(v);
  for (int i = 0; i < 4; ++i) s += char((u >> (8 * i)) & 0xFF);
}

int32_t Get32(std::string_view s, size_t at) {
  return int32_t(uint32_t(uint8_t(s[at])) | (uint32_t(uint8_t(s[at + 1])) << 8) | (uint32_t(uint8_t(s[at + 2])) << 16) |
                 (uint32_t(uint8_t(s[at + 3])) << 24));
}

[[noreturn]] void InvalidRVF() { throw ERichVistaError("Invalid RVF format"); }

} // namespace

void TRVLayoutInfo::SaveToStream(std::string &Stream, bool IncludeSize) const {
  const int32_t len = (EndsMidParagraph != 0 || StartsMidParagraph != 0) ? 41 : 25;
  if (IncludeSize) Put32(Stream, len + 8);
  Put32(Stream, 0);
  Put32(Stream, len);
  Put32(Stream, LeftMargin);
  Put32(Stream, RightMargin);
  Put32(Stream, TopMargin);
  Put32(Stream, BottomMargin);
  Put32(Stream, MinTextWidth);
  Put32(Stream, MaxTextWidth);
  Stream += char(BiDiMode);
  if (len == 41) {
    Put32(Stream, StartsMidParagraph);
    Put32(Stream, EndsMidParagraph);
    Put32(Stream, StartMarkerListNo);
    Put32(Stream, StartMarkerLevel);
  }
}

void TRVLayoutInfo::LoadFromStream(std::string_view Stream, size_t &Pos, bool IncludeSize) {
  size_t p = Pos;
  auto need = [&](size_t n) {
    if (p > Stream.size() || Stream.size() - p < n) InvalidRVF();
  };
  if (IncludeSize) {
    need(4);
    p += 4;
  }
  need(8);
  p += 4;
  const int32_t len = Get32(Stream, p);
  p += 4;
  // The payload must be there in full before any of it is taken.
  if (len < 25) InvalidRVF();
  need(size_t(len));
  const size_t start = p;
  LeftMargin = Get32(Stream, p);
  RightMargin = Get32(Stream, p + 4);
  TopMargin = Get32(Stream, p + 8);
  BottomMargin = Get32(Stream, p + 12);
  MinTextWidth = Get32(Stream, p + 16);
  MaxTextWidth = Get32(Stream, p + 20);
  BiDiMode = uint8_t(Stream[p + 24]);
  p += 25;
  if (len - 25 >= 16) {
    StartsMidParagraph = Get32(Stream, p);
    EndsMidParagraph = Get32(Stream, p + 4);
    StartMarkerListNo = Get32(Stream, p + 8);
    StartMarkerLevel = Get32(Stream, p + 12);
  }
  Pos = start + size_t(len);
  Loaded = 1;
}

void TRVLayoutInfo::LoadText(const std::string &s) {
  std::string bytes;
  if (!RVHexToBytes(s, bytes)) InvalidRVF();
  LoadBinary(bytes);
}

void TRVLayoutInfo::LoadBinary(const std::string &s) {
  size_t pos = 0;
  LoadFromStream(s, pos, false);
}

void TRVLayoutInfo::SaveTextToStream(std::string &Stream) const {
  std::string bin;
  SaveToStream(bin, false);
  Stream += RVBytesToHex(bin);
  Stream += "\r\n";
}

} // namespace kc
