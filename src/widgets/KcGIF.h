#pragma once
// The GIF picture: a GIF87a/GIF89a file held as a list of frames, each decoded
// lazily into an 8-bit palette bitmap, plus the writer with its own LZW
// encoder. Damaged data is tolerated: a frame is marked corrupted and loads
// as far as it can.
#include "platform/Graphics.h"
#include "widgets/KcGIFLZW.h"
#include "widgets/KcGraph.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;
class QPainter;

namespace kc {

class TKcGIFImage;
class TGIFParser;

// Colour table: count (0 = none) and 256 entries of red, green, blue.
struct TGIFColorTable {
  int32_t Count = 0;
  std::array<uint8_t, 256 * 3> Colors{};
  QRgb color(int i) const { return qRgb(Colors[size_t(i) * 3], Colors[size_t(i) * 3 + 1], Colors[size_t(i) * 3 + 2]); }
  void setColor(int i, QRgb c) {
    Colors[size_t(i) * 3] = uint8_t(qRed(c));
    Colors[size_t(i) * 3 + 1] = uint8_t(qGreen(c));
    Colors[size_t(i) * 3 + 2] = uint8_t(qBlue(c));
  }
};

// Bits for a colour count from the table 2, 4, ... 256; any other count fails
// with "Wrong number of colors; must be a power of 2".
int ColorCountToBits(int count);

extern const char *const GIFVersions[3];    // "", "87a", "89a"
extern const uint8_t GIFExtensionLabels[4]; // 0xF9, 0x01, 0xFF, 0xFE

enum : uint8_t { geGraphicControl = 0, gePlainText = 1, geApplication = 2, geComment = 3 };

// Damaged data marks a frame corrupted instead of failing while this is on.
extern bool TolerateCorruptGIF;

// Progress of decoding or encoding one frame: psStarting with 0, psRunning
// with the percentage done whenever it moves, psEnding with 100, or with 0 and
// the message of the error that is passing.
enum class TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = std::function<void(TProgressStage stage, int percentDone, const std::string &msg)>;

// Upper bound of the memory that the sizes in one file may ask for, so that
// they cannot allocate without bound: one byte for each pixel of each frame,
// and four for each pixel of the logical screen, which an animator composes
// the frames on in full colour.
constexpr int64_t kGIFPixelBudget = int64_t(1) << 26;
constexpr int kGIFCanvasBytesPerPixel = 4;

// Image data shared by images assigned from each other.
struct TGIFData {
  std::vector<std::string> Comment;
  uint8_t AspectRatio = 0;
  uint8_t BitsPerPixel = 0;
  uint8_t ColorResBits = 0;
  TGIFColorTable ColorMap;
};

// Frame data shared by frames assigned from each other.
struct TGIFItem {
  // The LZW data as stored in the file: minimum code size, sub-blocks with
  // their length bytes, zero terminator.
  std::optional<std::string> ImageData;
  QSize Size;
  uint8_t PackedFields = 0;
  uint8_t BitsPerPixel = 0;
  TGIFColorTable ColorMap;
};

class TExtension {
public:
  uint8_t ExtType = 0;
  std::optional<std::vector<std::string>> Data; // one string per sub-block
  std::array<uint8_t, 13> ExtRec{};             // the fixed part after the label
  void Assign(const TExtension &src);
};

class TKcGIFFrame {
public:
  explicit TKcGIFFrame(TKcGIFImage *owner);

  TKcGIFImage *Owner() const { return FOwner; }

  // The decoded picture, made on first use and kept: damaged data decodes as
  // far as it goes (and marks the frame corrupted); a frame without colours
  // fails with "Wrong number of colors; must be a power of 2".
  const QImage &Bitmap();
  bool HasBitmap() const { return !FBitmap.isNull(); }
  void SetBitmap(const QImage &bmp) { FBitmap = bmp; }

  // 0 without a bitmap or image data, else the picture's size.
  int Width() const;
  int Height() const;

  // Transparency is by palette index; the colour is that entry's colour.
  std::optional<QRgb> TransparentColor() const { return FTransparentColor; }
  int TransparentIndex() const { return FTransparentIndex; }
  void SetTransparentColor(std::optional<QRgb> c);
  void SetTransparentIndex(int index); // -1 or outside the table: none

  void Assign(const TKcGIFFrame &src);
  void Assign(const TKcGIFImage &src);
  // A transparent palette picture (an entry with alpha 0) gives the frame
  // that entry as its transparent colour.
  void Assign(const QImage &picture);
  void Clear(); // assignment from nothing
  void AssignTo(TKcGIFImage &dest) const;
  void AssignTo(QImage &dest);

  std::shared_ptr<TGIFItem> Item;
  std::optional<std::vector<TExtension>> Extensions;
  QPoint Origin;
  bool Interlaced = false;
  bool Corrupted = false;
  bool Grayscale = false;
  // Milliseconds; a file holds hundredths of a second, up to 655,350 ms.
  uint32_t AnimateInterval = 0;
  uint8_t DisposalMethod = 0;
  bool LocalColors = false;

private:
  friend class TKcGIFImage;
  void decode();
  // Whether decoding can get as far as the LZW data (it has a colour depth).
  bool decodable() const;
  void encode();
  void progress(TProgressStage stage, int percent, const std::string &msg = {});
  void updateGraphicControl();
  TKcGIFImage *FOwner;
  QImage FBitmap;
  std::optional<QRgb> FTransparentColor;
  int FTransparentIndex = -1;
};

class TKcGIFImage {
public:
  TKcGIFImage();
  ~TKcGIFImage();
  TKcGIFImage(const TKcGIFImage &) = delete;
  TKcGIFImage &operator=(const TKcGIFImage &) = delete;

  // Reading. The bytes from the stream's position to its end.
  void LoadFromStream(QIODevice &stream);
  // A 32-bit little-endian byte count, then that many bytes.
  void ReadData(QIODevice &stream);
  void LoadFromFile(const std::string &path);
  void LoadFromBytes(std::string_view bytes, bool decodeCurrent = true);

  // Writing.
  void SaveToStream(QIODevice &stream);
  void WriteData(QIODevice &stream);
  void SaveToFile(const std::string &path);
  std::string SaveToBytes();
  void EncodeFrames(bool redecode);

  int AddFrame(const QImage &picture);
  void Assign(const TKcGIFImage &src);
  void Assign(const TKcGIFFrame &src);
  void Assign(const QImage &bitmap);
  void Clear(); // assignment from nothing
  void AssignTo(QImage &dest);

  // Clipboard format "GIF Image" next to a bitmap.
  void SaveToClipboard();
  void LoadFromClipboard();
  static unsigned ClipboardFormat();

  int Count() const { return int(FFrames.size()); }
  TKcGIFFrame &Frames(int i) { return *FFrames.at(size_t(i)); }
  const TKcGIFFrame &Frames(int i) const { return *FFrames.at(size_t(i)); }
  int FrameIndex() const { return FFrameIndex; }
  void SetFrameIndex(int i) { FFrameIndex = i; }
  uint16_t ScreenWidth() const { return FFrames.empty() ? 0 : FScreenWidth; }
  uint16_t ScreenHeight() const { return FFrames.empty() ? 0 : FScreenHeight; }
  int Width() const;
  int Height() const;
  [[noreturn]] void SetWidth(int);
  [[noreturn]] void SetHeight(int);
  bool Empty() const;
  bool Transparent() const;
  void SetTransparent(bool on) { FTransparent = on; }
  bool Palette() const; // whether the current picture has a palette
  std::optional<QRgb> BackgroundColor() const { return FBackgroundColor; }
  void SetBackgroundColor(std::optional<QRgb> c) { FBackgroundColor = c; }
  bool Looping() const { return FLooping; }
  void SetLooping(bool on) { FLooping = on; }
  uint16_t RepeatCount() const { return FRepeatCount; }
  void SetRepeatCount(uint16_t n) { FRepeatCount = n; }
  std::vector<std::string> &Comment() { return FSharedData->Comment; }
  int Version() const { return FVersion; }
  TGIFData &SharedData() { return *FSharedData; }
  const TGIFData &SharedData() const { return *FSharedData; }

  const QImage &GetBitmap();
  void Draw(QPainter &p, const QRect &r);

  // Change notification of the picture.
  std::function<void()> OnChange;
  // Progress of decoding and encoding frames.
  TProgressEvent OnProgress;

private:
  friend class TKcGIFFrame;
  friend class TGIFParser;
  void reset();
  void changed();
  void parse(std::string_view data, bool decodeCurrent);
  void recomputeScreen();

  std::shared_ptr<TGIFData> FSharedData;
  int FVersion = 0;
  std::vector<std::unique_ptr<TKcGIFFrame>> FFrames;
  int FFrameIndex = -1;
  uint16_t FScreenWidth = 0;
  uint16_t FScreenHeight = 0;
  std::optional<QRgb> FBackgroundColor;
  bool FLooping = false;
  uint16_t FRepeatCount = 1;
  bool FTransparent = false;
};

// The GIF picture among the picture classes that documents create by class
// name ("TKcGIFImage"); its stream form is the GIF file.
class TKcGIFGraphic final : public TGraphic {
public:
  TKcGIFGraphic() = default;
  const char *className() const override { return "TKcGIFImage"; }
  int width() const override { return FImage.Width(); }
  int height() const override { return FImage.Height(); }
  bool empty() const override { return FImage.Empty(); }
  void draw(QPainter &painter, const QRect &dest) const override;
  bool loadFromBytes(std::string_view data) override;
  std::string saveToBytes() const override;
  std::unique_ptr<TGraphic> clone() const override;
  TKcGIFImage &Image() { return FImage; }

private:
  // Drawing decodes frames on first use and writing encodes them.
  mutable TKcGIFImage FImage;
};

// Makes "TKcGIFImage" known to the picture classes (once per process).
void RegisterKcGIFGraphic();

} // namespace kc
