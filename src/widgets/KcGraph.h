#pragma once
// Graphics helpers of the widget family: colour reduction of true-colour
// bitmaps to 8-bit palette bitmaps (the GIF writer's input), the device-
// independent bitmap file image those travel in, and transparent stretching.
#include <QImage>
#include <QRect>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace kc {

// Invalid graphic operation: every failure of the widget family's pictures.
class EKcGraphicError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum class TPixelFormat { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

// Colour-reduction methods, numbered as stored.
enum TColorReduction : int {
  crHistogram = 0,
  crMedianCut = 1,
  crTruncation784 = 2,
  crTruncation666 = 3,
  crChannelRamps = 4,
  crGrayscale = 5,
};

// The method the GIF writer uses for bitmaps deeper than 8 bits.
extern int DefaultColorReduction;

// Bits per pixel of a bitmap as a device-independent bitmap would hold it:
// 1, 4 or 8 for palette bitmaps (by the size of their colour table), 32 for
// everything else.
int BitmapBitsPerPixel(const QImage &bmp);

// A bitmap file image ("BM" file header, 40-byte info header, colour table,
// rows bottom-up padded to 4 bytes). A null bitmap fails with "Bitmap image is
// not valid"; a format other than 1, 4 or 8 bits fails with "Function not yet
// implemented".
std::string BitmapToMemoryStream(const QImage &bmp, TPixelFormat fmt, int method);

// A palette bitmap saved as a bitmap file image in its own depth (1, 4 or 8).
std::string SavePaletteBitmap(const QImage &bmp);

// A parsed bitmap file image of 1, 4 or 8 bits per pixel.
struct TDIBImage {
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 0;
  int RowSize = 0;          // bytes per row, a multiple of 4
  std::vector<QRgb> Colors; // the colour table, 2^BitsPerPixel entries
  int ColorsUsed = 0;       // the header's count (0: all)
  std::string_view Pixels;  // rows bottom-up, RowSize x Height bytes
};
// False when the bytes are not a complete uncompressed bitmap file image.
bool ParseBitmapFile(std::string_view file, TDIBImage &out);

// Nearest-level indices of a channel value for the level tables.
int NearestLevel4(int v);
int NearestLevel6(int v);
int NearestLevel7(int v);
int NearestLevel8(int v);

// Stretches the part src of bmp into dest, leaving out pixels of the given
// colour (none: a plain stretch). A source or destination size below 1 means
// the bitmap's own.
void StretchTransparent(QPainter &p, QRect dest, const QImage &bmp, QRect src, std::optional<QRgb> transparent);

} // namespace kc
