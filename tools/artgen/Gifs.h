#pragma once
// The animated emoticons of the catalogue.
#include <QImage>
#include <QString>
#include <string>
#include <vector>

namespace artgen {

struct TGifFrames {
  QString Name;
  std::vector<QImage> Frames; // ARGB, the emoticon's size
  std::vector<int> DelaysMs;
};

// Emoticon Number (0 .. 22) drawn frame by frame.
TGifFrames CatalogueFrames(int Number);

// GIF file bytes of the frames: looping, transparent background, one shared
// palette (reduced to 255 colours when needed).
std::string EncodeGif(const TGifFrames &G);

} // namespace artgen
