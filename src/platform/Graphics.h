#pragma once
// Small picture classes shared by the rich-text engine: a common base with a
// size and a way to draw itself, and the few formats documents carry
// (device-independent bitmaps, JPEG, icons, metafiles). Pictures are created
// by class name so that stored documents can name the class they need.
//
// Loading never trusts sizes found inside the data: every size is checked
// against the bytes that are there and against a pixel budget, and a picture
// that fails to load reports false and stays empty.
#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QPainter;
class QRect;

namespace kc {

// Largest picture any loader will decode (pixels); a header that claims more
// is treated as damaged.
constexpr int64_t kMaxGraphicPixels = int64_t(1) << 25;
constexpr int kMaxGraphicSide = 32767;

class TGraphic {
public:
  virtual ~TGraphic();

  virtual const char *className() const = 0;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual bool empty() const { return width() <= 0 || height() <= 0; }

  // Draws the picture stretched into dest.
  virtual void draw(QPainter &painter, const QRect &dest) const = 0;
  // The picture drawn onto an image of its own size (transparent where the
  // picture draws nothing).
  QImage toImage() const;

  // Replaces the picture by the one stored in data (the format's stream form).
  // Returns false and leaves the picture empty when data is not a valid
  // picture of this class.
  virtual bool loadFromBytes(std::string_view data) = 0;
  // The stream form, as loadFromBytes reads it back.
  virtual std::string saveToBytes() const = 0;
  virtual std::unique_ptr<TGraphic> clone() const = 0;
};

// A raster picture.
class TBitmap : public TGraphic {
public:
  TBitmap() = default;
  explicit TBitmap(QImage image);

  const char *className() const override { return "TBitmap"; }
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  void draw(QPainter &painter, const QRect &dest) const override;
  // A bitmap file: "BM", 14-byte file header, DIB header, colours, pixels.
  bool loadFromBytes(std::string_view data) override;
  std::string saveToBytes() const override;
  std::unique_ptr<TGraphic> clone() const override;

  // A device-independent bitmap without its file header (header, colour
  // table, pixels), as clipboards and RTF carry it.
  bool loadFromDIB(std::string_view dib);
  // Raw device-dependent bits: rows top-down, each widthBytes long (0: the
  // word-aligned minimum). planes * bitsPerPixel must be 1, 4, 8, 16, 24 or 32.
  bool loadFromRawBits(int width, int height, int planes, int bitsPerPixel, int widthBytes, std::string_view bits);

  const QImage &image() const { return image_; }
  void setImage(QImage image) { image_ = std::move(image); }

  // Transparency as documents store it: mode 0 = the colour of the bottom-left
  // pixel is transparent, 1 = transparentColor is.
  bool transparent = false;
  int transparentMode = 0;
  uint32_t transparentColor = 0;

private:
  QImage image_;
};

// A picture shown from the image decoded from its bytes; the bytes are kept
// so that saving writes them back unchanged.
class TDecodedGraphic : public TGraphic {
public:
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  void draw(QPainter &painter, const QRect &dest) const override;
  std::string saveToBytes() const override { return data_; }

protected:
  QImage image_;
  std::string data_;
};

// A JPEG picture decoded with libjpeg.
class TJPEGImage : public TDecodedGraphic {
public:
  const char *className() const override { return "TJPEGImage"; }
  bool loadFromBytes(std::string_view data) override;
  std::unique_ptr<TGraphic> clone() const override;

  const QImage &image() const { return image_; }
  // Encodes an image as JPEG (quality 0..100) and takes it as this picture.
  bool assignImage(const QImage &image, int quality = 90);
};

// A Windows icon file; the first (largest) image is shown.
class TIcon : public TDecodedGraphic {
public:
  const char *className() const override { return "TIcon"; }
  bool loadFromBytes(std::string_view data) override;
  std::unique_ptr<TGraphic> clone() const override;
};

// A Windows or enhanced metafile. We do not play metafile records; the bytes
// are kept for saving and the picture shows the invalid-picture image in its
// frame.
class TMetafile : public TGraphic {
public:
  const char *className() const override { return "TMetafile"; }
  int width() const override { return width_; }
  int height() const override { return height_; }
  void draw(QPainter &painter, const QRect &dest) const override;
  // An enhanced metafile (EMR_HEADER first), a placeable Windows metafile
  // (0x9AC6CDD7 header) or a plain Windows metafile.
  bool loadFromBytes(std::string_view data) override;
  // A plain Windows metafile whose size came from outside is saved with a
  // placeable header holding that size, so that it reads back as it was.
  std::string saveToBytes() const override;
  std::unique_ptr<TGraphic> clone() const override;

  // A plain Windows metafile (records only, no placeable header) with its
  // size in pixels given from outside, as a METAFILEPICT carries it.
  bool loadWindowsMetafileBits(std::string_view data, int widthPx, int heightPx);

  bool enhanced() const { return enhanced_; }
  void setSize(int w, int h) {
    width_ = w;
    height_ = h;
  }
  const std::string &data() const { return data_; }

  // When the metafile shows exactly one stretched device-independent bitmap
  // and otherwise only records that set up the frame (extents, origins, map
  // mode, saved state, selections, comments, clipping, end), that bitmap;
  // else nullptr.
  std::unique_ptr<TBitmap> singleBitmap() const;

private:
  std::string data_;
  bool enhanced_ = false;
  int width_ = 0;
  int height_ = 0;
};

// The image shown in place of a picture that cannot be read.
std::unique_ptr<TBitmap> makeInvalidPicture();
const QImage &invalidPictureImage();

// Creation by class name: "TBitmap", "TJPEGImage", "TIcon", "TMetafile" and
// whatever was registered; nullptr for an unknown name.
using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;
void registerGraphicClass(const std::string &className, TGraphicFactory factory);
std::unique_ptr<TGraphic> createGraphic(std::string_view className);

} // namespace kc
