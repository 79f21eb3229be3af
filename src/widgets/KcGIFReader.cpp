// Reading GIF files: the form-data and file entry points and the block parser.
#include "platform/AsciiCase.h"
#include "platform/Files.h"
#include "platform/ScopeGuard.h"
#include "widgets/KcGIF.h"
#include "widgets/KcGIFPrivate.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace kc {

namespace {

// Reads a QIODevice from its position to its end without trusting any size.
std::string readAll(QIODevice &dev) {
  std::string s;
  char buf[65536];
  for (;;) {
    const qint64 n = dev.read(buf, sizeof buf);
    if (n <= 0) break;
    s.append(buf, size_t(n));
  }
  return s;
}

// A cursor over the bytes of a GIF file. Every read checks what is left: the
// strict reads fail with "Stream read error", the tolerant ones take what
// there is.
class TGIFCursor {
public:
  explicit TGIFCursor(std::string_view data) : FData(data) {}

  bool AtEnd() const { return FPos >= FData.size(); }
  size_t Remain() const { return FData.size() - FPos; }
  void Need(size_t n) const {
    if (Remain() < n) throw EKcGraphicError(kGIFStreamReadError);
  }
  uint8_t Byte() {
    Need(1);
    return uint8_t(FData[FPos++]);
  }
  uint16_t Word() {
    Need(2);
    const uint16_t v = uint16_t(uint8_t(FData[FPos]) | uint8_t(FData[FPos + 1]) << 8);
    FPos += 2;
    return v;
  }
  std::string_view Bytes(size_t n) {
    Need(n);
    const std::string_view v = FData.substr(FPos, n);
    FPos += n;
    return v;
  }
  // Up to n bytes: fewer when the data ends first.
  std::string_view UpTo(size_t n) { return Bytes(std::min(n, Remain())); }
  // The next byte, not taken; the data must not be at its end.
  uint8_t Peek() const {
    Need(1);
    return uint8_t(FData[FPos]);
  }
  void SkipToEnd() { FPos = FData.size(); }

  // The next byte that is not zero (zeros between blocks are padding); 0 at
  // the end of the data.
  uint8_t NextIntroducer() {
    while (!AtEnd() && FData[FPos] == 0) ++FPos;
    return AtEnd() ? 0 : Byte();
  }

  // Sub-blocks up to their terminator or the end of the data; each block's
  // bytes are added to into when given. A block cut by the end of the data
  // gives what there is.
  void SubBlocks(std::vector<std::string> *into) {
    while (!AtEnd()) {
      const size_t n = Byte();
      if (n == 0) break;
      const std::string_view block = UpTo(n);
      if (into) into->emplace_back(block);
    }
  }

private:
  std::string_view FData;
  size_t FPos = 0;
};

} // namespace

// Reads one GIF file into an image, block by block.
class TGIFParser {
public:
  TGIFParser(TKcGIFImage &image, std::string_view data) : FImage(image), FIn(data) {}
  void Run();

private:
  void readHeader();
  void readScreen();
  void readExtension();
  void readFrame();
  void readImageData(TKcGIFFrame &frame);
  void applyGraphicControls(TKcGIFFrame &frame, const std::vector<TExtension> &exts);
  bool takeTrailingComments();
  void readColorTable(TGIFColorTable &table, int count);
  void spend(int64_t pixels);

  TKcGIFImage &FImage;
  TGIFCursor FIn;
  std::vector<TExtension> FGathered; // extensions waiting for their image
  int64_t FBudget = kGIFPixelBudget;
};

void TGIFParser::Run() {
  readHeader();
  readScreen();
  uint8_t intro = FIn.NextIntroducer();
  while (intro != 0 && intro != ';' && !FIn.AtEnd()) {
    while (intro == '!') {
      readExtension();
      intro = FIn.NextIntroducer();
      if (intro == 0) intro = ';';
    }
    if (intro == ',') {
      readFrame();
      intro = FIn.AtEnd() ? ';' : FIn.NextIntroducer();
      if (intro != '!' && intro != ',' && intro != ';') intro = 0;
    } else if (!takeTrailingComments()) {
      // A stray byte between blocks.
      if (intro != 0 && intro != ';') throw EKcGraphicError(kGIFStreamReadError);
      FGathered.clear();
    }
  }
}

void TGIFParser::readHeader() {
  if (!asciiEqualNoCase(FIn.Bytes(3), "GIF")) throw EKcGraphicError("Unknown GIF version");
  const std::string_view ver = FIn.Bytes(3);
  if (asciiEqualNoCase(ver, "87a")) FImage.FVersion = 1;
  else if (asciiEqualNoCase(ver, "89a")) FImage.FVersion = 2;
  else throw EKcGraphicError("Unknown GIF version");
}

void TGIFParser::readScreen() {
  FIn.Need(7);
  FImage.FScreenWidth = FIn.Word();
  FImage.FScreenHeight = FIn.Word();
  const uint8_t packed = FIn.Byte();
  const uint8_t bgIndex = FIn.Byte();
  TGIFData &shared = *FImage.FSharedData;
  shared.AspectRatio = FIn.Byte();
  shared.BitsPerPixel = uint8_t((packed & 7) + 1);
  shared.ColorResBits = uint8_t(((packed & 0x70) >> 4) + 1);
  if (packed & 0x80) {
    readColorTable(shared.ColorMap, 1 << shared.BitsPerPixel);
    if (bgIndex < shared.ColorMap.Count) FImage.FBackgroundColor = shared.ColorMap.color(bgIndex);
  }
  spend(int64_t(FImage.FScreenWidth) * FImage.FScreenHeight * kGIFCanvasBytesPerPixel);
}

void TGIFParser::readColorTable(TGIFColorTable &table, int count) {
  const std::string_view bytes = FIn.Bytes(size_t(count) * 3);
  table.Count = count;
  std::memcpy(table.Colors.data(), bytes.data(), bytes.size());
}

void TGIFParser::spend(int64_t pixels) {
  FBudget -= pixels;
  if (FBudget < 0) throw EKcGraphicError(kGIFTooLarge);
}

// One extension, after its introducer.
void TGIFParser::readExtension() {
  const uint8_t label = FIn.Byte();
  TExtension ext;
  switch (label) {
  case 0xF9: {
    // The block announces its own size; only its first four bytes mean
    // anything, the rest and any further sub-blocks are passed over.
    ext.ExtType = geGraphicControl;
    const std::string_view block = FIn.UpTo(FIn.Byte());
    ext.ExtRec[0] = 4;
    for (size_t i = 0; i < std::min<size_t>(block.size(), 4); ++i) ext.ExtRec[1 + i] = uint8_t(block[i]);
    FIn.SubBlocks(nullptr);
    break;
  }
  case 0xFE:
    ext.ExtType = geComment;
    ext.Data.emplace();
    FIn.SubBlocks(&*ext.Data);
    break;
  case 0x01: {
    ext.ExtType = gePlainText;
    const std::string_view fixed = FIn.Bytes(13);
    std::memcpy(ext.ExtRec.data(), fixed.data(), fixed.size());
    ext.Data.emplace();
    FIn.SubBlocks(&*ext.Data);
    break;
  }
  case 0xFF: {
    ext.ExtType = geApplication;
    const std::string_view fixed = FIn.Bytes(12);
    std::memcpy(ext.ExtRec.data(), fixed.data(), fixed.size());
    ext.Data.emplace();
    FIn.SubBlocks(&*ext.Data);
    break;
  }
  default:
    // Extensions of other kinds are passed over, as the format asks of
    // readers that do not know them; they are not kept.
    FIn.SubBlocks(nullptr);
    return;
  }
  if (ext.ExtType == gePlainText) {
    // Text drawn over the picture is not shown; what it belonged to goes too.
    FGathered.clear();
  } else if (ext.ExtType == geApplication) {
    const std::string_view id(reinterpret_cast<const char *>(ext.ExtRec.data()) + 1, 11);
    if (!ext.Data->empty() && (id == "NETSCAPE2.0" || id == "ANIMEXTS1.0")) {
      const std::string &b = ext.Data->front();
      if (b.size() >= 3 && b[0] == 1) {
        FImage.FRepeatCount = uint16_t(std::min(uint8_t(b[1]) + 256 * uint8_t(b[2]), 30000));
        FImage.FLooping = true;
      }
    }
  } else {
    FGathered.push_back(std::move(ext));
  }
}

// One image, after its introducer: descriptor, colour table, image data.
void TGIFParser::readFrame() {
  TGIFData &shared = *FImage.FSharedData;
  auto frame = std::make_unique<TKcGIFFrame>(&FImage);
  TGIFItem &item = *frame->Item;
  if (shared.ColorMap.Count > 0) item.BitsPerPixel = uint8_t(ColorCountToBits(shared.ColorMap.Count));
  std::vector<TExtension> exts = std::move(FGathered);
  FGathered.clear();
  FIn.Need(9);
  const int left = FIn.Word(), top = FIn.Word();
  int width = FIn.Word(), height = FIn.Word();
  const uint8_t packed = FIn.Byte();
  frame->Interlaced = (packed & 0x40) != 0;
  if (packed & 0x80) {
    item.BitsPerPixel = uint8_t((packed & 7) + 1);
    frame->LocalColors = true;
    readColorTable(item.ColorMap, 1 << item.BitsPerPixel);
  } else {
    frame->LocalColors = false;
    item.ColorMap = TGIFColorTable();
  }
  readImageData(*frame);
  if (frame->Corrupted && !TolerateCorruptGIF) throw EKcGraphicError(kGIFStreamReadError);
  if (width == 0) width = FImage.FScreenWidth;
  if (height == 0) height = FImage.FScreenHeight;
  spend(std::max<int64_t>(int64_t(width) * height, 1));
  frame->Origin = QPoint(left, top);
  item.Size = QSize(width, height);
  item.PackedFields = packed;
  if (!frame->LocalColors) item.ColorMap = shared.ColorMap;
  applyGraphicControls(*frame, exts);
  if (!exts.empty()) frame->Extensions = std::move(exts);
  FImage.FFrames.push_back(std::move(frame));
}

// The minimum code size and the data sub-blocks, kept as they are stored. A
// block cut by the end of the data marks the frame corrupted and is dropped.
void TGIFParser::readImageData(TKcGIFFrame &frame) {
  std::string &data = frame.Item->ImageData.emplace();
  data.push_back(char(FIn.Byte()));
  while (!FIn.AtEnd()) {
    const size_t n = FIn.Peek();
    if (n >= FIn.Remain()) {
      frame.Corrupted = true;
      FIn.SkipToEnd();
      break;
    }
    data.append(FIn.Bytes(n + 1));
    if (n == 0) break;
  }
}

// The last graphic control decides transparency and disposal, the longest
// delay wins.
void TGIFParser::applyGraphicControls(TKcGIFFrame &frame, const std::vector<TExtension> &exts) {
  frame.AnimateInterval = 0;
  for (const TExtension &e : exts) {
    if (e.ExtType != geGraphicControl) continue;
    const uint8_t packed = e.ExtRec[1];
    if (packed & 0x01) {
      if (e.ExtRec[4] < frame.Item->ColorMap.Count) frame.SetTransparentIndex(e.ExtRec[4]);
    } else {
      frame.SetTransparentIndex(-1);
    }
    const uint32_t delay = uint32_t(e.ExtRec[2] | e.ExtRec[3] << 8) * 10u;
    frame.AnimateInterval = std::max(frame.AnimateInterval, delay);
    frame.DisposalMethod = uint8_t((packed & 0x1C) >> 2);
  }
}

// Extensions that no image follows: their comments become the image's
// comment, unless it has one already. False when there was nothing to take.
bool TGIFParser::takeTrailingComments() {
  std::vector<std::string> &comment = FImage.FSharedData->Comment;
  if (!comment.empty() || FGathered.empty()) return false;
  for (const TExtension &e : FGathered) {
    if (e.ExtType != geComment || !e.Data) continue;
    if (!comment.empty()) comment.emplace_back("\r\n\r\n");
    comment.insert(comment.end(), e.Data->begin(), e.Data->end());
  }
  FGathered.clear();
  return true;
}

void TKcGIFImage::LoadFromStream(QIODevice &stream) { LoadFromBytes(readAll(stream), true); }

void TKcGIFImage::ReadData(QIODevice &stream) {
  unsigned char len[4];
  if (stream.read(reinterpret_cast<char *>(len), 4) != 4) {
    reset();
    throw EKcGraphicError(kGIFStreamReadError);
  }
  const int32_t count =
      int32_t(uint32_t(len[0]) | uint32_t(len[1]) << 8 | uint32_t(len[2]) << 16 | uint32_t(len[3]) << 24);
  std::string bytes;
  if (count > 0) {
    // Read in pieces so that a wrong count cannot allocate more than the
    // stream holds.
    char buf[65536];
    while (int64_t(bytes.size()) < count) {
      const qint64 want = std::min<int64_t>(int64_t(sizeof buf), count - int64_t(bytes.size()));
      const qint64 n = stream.read(buf, want);
      if (n <= 0) break;
      bytes.append(buf, size_t(n));
    }
    if (int64_t(bytes.size()) < count) {
      reset();
      throw EKcGraphicError(kGIFStreamReadError);
    }
  }
  LoadFromBytes(bytes, true);
}

void TKcGIFImage::LoadFromFile(const std::string &path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    reset();
    throw EKcGraphicError("Cannot open file \"" + path + "\"");
  }
  LoadFromBytes(bytes, true);
}

void TKcGIFImage::LoadFromBytes(std::string_view bytes, bool decodeCurrent) {
  reset();
  // Whatever was read, or nothing, is what the picture shows now.
  const ScopeGuard notify([this] { changed(); });
  parse(bytes, decodeCurrent);
}

void TKcGIFImage::parse(std::string_view data, bool decodeCurrent) {
  if (data.empty()) return;
  TGIFParser(*this, data).Run();
  if (!FFrames.empty()) {
    FFrameIndex = 0;
    // Damage shows when the frame is drawn or measured, not at load: a
    // damaged frame decodes as far as it goes, one without colours not at all.
    TKcGIFFrame &first = *FFrames[0];
    if (decodeCurrent && TolerateCorruptGIF && first.decodable()) first.Bitmap();
  }
}

} // namespace kc
