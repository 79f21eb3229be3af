// Decoding and encoding speed of our GIF codec next to giflib's, on the same
// pictures in one run. Prints megapixels per second, compressed sizes and the
// ratio of our decoder's speed to giflib's index decoding.
//   bench_gif [FILE.gif ...]   (default: the GIF pictures of Tk and Qt's docs
//                               that exist, plus generated noise and gradient)
#include "widgets/KcGIF.h"

#include <gif_lib.h>

#include <QFile>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace kc;

namespace {

struct Picture {
  std::string name;
  int width = 0, height = 0;
  std::vector<uint8_t> indices; // first frame
  int colors = 256;
  std::string file; // a GIF of it written by giflib
};

double seconds(const std::function<void()> &f, int64_t pixels) {
  // Best of several runs of at least ~0.2 s each.
  double best = 1e30;
  for (int rep = 0; rep < 5; ++rep) {
    int n = 0;
    const auto t0 = std::chrono::steady_clock::now();
    double el = 0;
    do {
      f();
      ++n;
      el = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    } while (el < 0.2 && int64_t(n) * pixels < 2000000000);
    best = std::min(best, el / n);
  }
  return best;
}

struct MemIn {
  const std::string *data;
  size_t pos = 0;
};
int readMem(GifFileType *g, GifByteType *buf, int n) {
  auto *m = static_cast<MemIn *>(g->UserData);
  const size_t k = std::min(size_t(n), m->data->size() - m->pos);
  std::memcpy(buf, m->data->data() + m->pos, k);
  m->pos += k;
  return int(k);
}
int writeMem(GifFileType *g, const GifByteType *buf, int n) {
  static_cast<std::string *>(g->UserData)->append(reinterpret_cast<const char *>(buf), size_t(n));
  return n;
}

// giflib: open, read descriptors, decode the first image's indices line by line.
bool giflibDecode(const std::string &file, std::vector<uint8_t> &out) {
  MemIn in{&file};
  int err = 0;
  GifFileType *g = DGifOpen(&in, readMem, &err);
  if (!g) return false;
  bool ok = false;
  GifRecordType rec;
  while (DGifGetRecordType(g, &rec) == GIF_OK && rec != TERMINATE_RECORD_TYPE) {
    if (rec == EXTENSION_RECORD_TYPE) {
      int code;
      GifByteType *ext;
      if (DGifGetExtension(g, &code, &ext) != GIF_OK) break;
      while (ext && DGifGetExtensionNext(g, &ext) == GIF_OK && ext) {
      }
      continue;
    }
    if (rec != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(g) != GIF_OK) break;
    const int w = g->Image.Width, h = g->Image.Height;
    out.resize(size_t(w) * size_t(h));
    ok = true;
    for (int y = 0; y < h && ok; ++y) ok = DGifGetLine(g, out.data() + size_t(y) * size_t(w), w) == GIF_OK;
    break;
  }
  DGifCloseFile(g, &err);
  return ok;
}

std::string giflibEncode(const Picture &p) {
  std::string out;
  int err = 0;
  GifFileType *g = EGifOpen(&out, writeMem, &err);
  int bits = 1;
  while ((1 << bits) < p.colors) ++bits;
  ColorMapObject *map = GifMakeMapObject(1 << bits, nullptr);
  for (int i = 0; i < (1 << bits); ++i)
    map->Colors[i] = GifColorType{GifByteType(i * 37), GifByteType(i * 91), GifByteType(i * 13)};
  EGifPutScreenDesc(g, p.width, p.height, bits, 0, map);
  EGifPutImageDesc(g, 0, 0, p.width, p.height, false, nullptr);
  for (int y = 0; y < p.height; ++y)
    EGifPutLine(g, const_cast<GifPixelType *>(p.indices.data() + size_t(y) * size_t(p.width)), p.width);
  EGifCloseFile(g, &err);
  GifFreeMapObject(map);
  return out;
}

std::string readFile(const std::string &path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll().toStdString();
}

} // namespace

int main(int argc, char **argv) {
  std::vector<Picture> pics;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) files.push_back(argv[i]);
  if (files.empty())
    files = {"/usr/share/tcltk/tk8.6/images/logoLarge.gif", "/usr/share/tcltk/tk8.6/images/tai-ku.gif",
             "/usr/share/qt6/doc/global/template/images/spinner.gif"};
  for (const std::string &path : files) {
    const std::string bytes = readFile(path);
    if (bytes.empty()) continue;
    TKcGIFImage img;
    try {
      img.LoadFromBytes(bytes);
      const QImage &bmp = img.Frames(0).Bitmap();
      Picture p;
      p.name = path.substr(path.rfind('/') + 1);
      p.width = bmp.width();
      p.height = bmp.height();
      p.colors = int(bmp.colorCount());
      for (int y = 0; y < bmp.height(); ++y)
        p.indices.insert(p.indices.end(), bmp.constScanLine(y), bmp.constScanLine(y) + bmp.width());
      pics.push_back(std::move(p));
    } catch (const EKcGraphicError &e) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), e.what());
    }
  }
  {
    Picture noise;
    noise.name = "noise 1024x1024, 256 colours";
    noise.width = noise.height = 1024;
    std::mt19937 rng(1);
    noise.indices.resize(size_t(1024) * 1024);
    for (auto &v : noise.indices) v = uint8_t(rng());
    pics.push_back(std::move(noise));
    Picture grad;
    grad.name = "gradient 1024x1024, 64 colours";
    grad.width = grad.height = 1024;
    grad.colors = 64;
    grad.indices.resize(size_t(1024) * 1024);
    for (int y = 0; y < 1024; ++y)
      for (int x = 0; x < 1024; ++x) grad.indices[size_t(y) * 1024 + size_t(x)] = uint8_t(((x / 16) + (y / 64)) & 63);
    pics.push_back(std::move(grad));
  }

  std::printf("%-32s %9s %9s %7s | %9s %9s %9s %9s\n", "picture", "dec ours", "dec gif", "ratio", "enc ours", "enc gif",
              "size ours", "size gif");
  std::printf("%-32s %9s %9s %7s | %9s %9s %9s %9s\n", "", "MP/s", "MP/s", "", "MP/s", "MP/s", "bytes", "bytes");
  double logSum = 0;
  for (Picture &p : pics) {
    p.file = giflibEncode(p);
    const int64_t px = int64_t(p.width) * p.height;
    // Our decoder on the very file giflib wrote: parse, then decode.
    std::vector<uint8_t> buf(static_cast<size_t>(px));
    TKcGIFImage img;
    img.LoadFromBytes(p.file, false);
    const std::string data = *img.Frames(0).Item->ImageData;
    LZWDecode(data, p.width, p.height, 8, false, true, buf.data());
    if (buf != p.indices) {
      std::fprintf(stderr, "%s: our decoding differs\n", p.name.c_str());
      return 1;
    }
    std::vector<uint8_t> gbuf;
    if (!giflibDecode(p.file, gbuf) || gbuf != p.indices) {
      std::fprintf(stderr, "%s: giflib's decoding differs\n", p.name.c_str());
      return 1;
    }
    const double tOurs = seconds(
        [&] {
          TKcGIFImage g;
          g.LoadFromBytes(p.file, false);
          LZWDecode(*g.Frames(0).Item->ImageData, p.width, p.height, 8, false, true, buf.data());
        },
        px);
    const double tGif = seconds([&] { giflibDecode(p.file, gbuf); }, px);
    std::string enc;
    const double tEnc = seconds(
        [&] {
          enc.clear();
          LZWEncode(p.indices.data(), p.width, 8, p.width, p.height, false, enc);
        },
        px);
    std::string genc;
    const double tGenc = seconds([&] { genc = giflibEncode(p); }, px);
    // Whole files for the sizes: ours through the writer.
    QImage bmp(p.width, p.height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < std::max(p.colors, 2); ++i) table.append(qRgb(i, i, i));
    bmp.setColorTable(table);
    for (int y = 0; y < p.height; ++y)
      std::memcpy(bmp.scanLine(y), p.indices.data() + size_t(y) * size_t(p.width), size_t(p.width));
    TKcGIFImage out;
    out.Assign(bmp);
    const size_t oursSize = out.SaveToBytes().size();
    const double mp = double(px) / 1e6;
    const double ratio = tGif / tOurs;
    logSum += std::log(ratio);
    std::printf("%-32.32s %9.1f %9.1f %7.2f | %9.1f %9.1f %9zu %9zu\n", p.name.c_str(), mp / tOurs, mp / tGif, ratio,
                mp / tEnc, mp / tGenc, oursSize, p.file.size());
  }
  std::printf("decoder speed, ours / giflib (geometric mean): %.2f\n", std::exp(logSum / double(pics.size())));
  return 0;
}
