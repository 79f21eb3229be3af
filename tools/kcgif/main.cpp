// kcgif: the GIF codec from the command line.
//   kcgif info FILE          width height frames loop-count (-1: no loop
//                            extension), then per frame: left top width height
//                            delay-ms disposal transparent-index|-1 interlaced
//   kcgif frame FILE I       frame I's own rectangle as raw RGBA
//   kcgif compose FILE I     the logical screen after frame I as raw RGBA
//   kcgif reencode IN OUT    every frame decoded and encoded again
#include "widgets/KcGIF.h"
#include "widgets/KcGIFCompose.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

using namespace kc;

namespace {

int usage() {
  std::fputs("usage: kcgif info FILE | frame FILE I | compose FILE I | reencode IN OUT\n", stderr);
  return 2;
}

bool writeOut(const std::vector<unsigned char> &bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

bool parseIndex(const char *s, int count, int &out) {
  char *end = nullptr;
  const long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < 0 || v >= count) return false;
  out = int(v);
  return true;
}

int info(TKcGIFImage &img) {
  std::printf("%d %d %d %d\n", img.ScreenWidth(), img.ScreenHeight(), img.Count(),
              img.Looping() ? int(img.RepeatCount()) : -1);
  for (int i = 0; i < img.Count(); ++i) {
    TKcGIFFrame &f = img.Frames(i);
    std::printf("%d %d %d %d %d %d %d %d\n", f.Origin.x(), f.Origin.y(), f.Width(), f.Height(), int(f.AnimateInterval),
                int(f.DisposalMethod), f.TransparentIndex(), f.Interlaced ? 1 : 0);
  }
  return 0;
}

int frame(TKcGIFImage &img, int i) {
  TKcGIFFrame &f = img.Frames(i);
  const QImage &bmp = f.Bitmap();
  const int t = f.TransparentIndex();
  std::vector<unsigned char> out;
  out.reserve(size_t(bmp.width()) * size_t(bmp.height()) * 4);
  for (int y = 0; y < bmp.height(); ++y) {
    const uchar *row = bmp.constScanLine(y);
    for (int x = 0; x < bmp.width(); ++x) {
      const QRgb c = bmp.color(row[x]);
      out.push_back(uchar(qRed(c)));
      out.push_back(uchar(qGreen(c)));
      out.push_back(uchar(qBlue(c)));
      out.push_back(row[x] == t ? 0 : 255);
    }
  }
  return writeOut(out) ? 0 : 1;
}

int compose(TKcGIFImage &img, int n) {
  TGIFComposer composer;
  const QImage *pic = nullptr;
  // Frame by frame, as an animation plays.
  for (int i = 0; i <= n; ++i) pic = &composer.Compose(img, i, 0, true);
  std::vector<unsigned char> out;
  out.reserve(size_t(pic->width()) * size_t(pic->height()) * 4);
  for (int y = 0; y < pic->height(); ++y) {
    const QRgb *row = reinterpret_cast<const QRgb *>(pic->constScanLine(y));
    for (int x = 0; x < pic->width(); ++x) {
      out.push_back(uchar(qRed(row[x])));
      out.push_back(uchar(qGreen(row[x])));
      out.push_back(uchar(qBlue(row[x])));
      out.push_back(uchar(qAlpha(row[x])));
    }
  }
  return writeOut(out) ? 0 : 1;
}

int reencode(TKcGIFImage &img, const std::string &out) {
  for (int i = 0; i < img.Count(); ++i) {
    TKcGIFFrame &f = img.Frames(i);
    f.Bitmap();
    f.Item->ImageData.reset();
  }
  img.SaveToFile(out);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 3) return usage();
  const std::string cmd = argv[1];
  try {
    TKcGIFImage img;
    img.LoadFromFile(argv[2]);
    if (cmd == "info" && argc == 3) return info(img);
    if ((cmd == "frame" || cmd == "compose") && argc == 4) {
      int i = 0;
      if (!parseIndex(argv[3], img.Count(), i)) {
        std::fprintf(stderr, "kcgif: no frame %s in %s\n", argv[3], argv[2]);
        return 1;
      }
      return cmd == "frame" ? frame(img, i) : compose(img, i);
    }
    if (cmd == "reencode" && argc == 4) return reencode(img, argv[3]);
    return usage();
  } catch (const std::exception &e) {
    std::fprintf(stderr, "kcgif: %s: %s\n", argv[2], e.what());
    return 1;
  }
}
