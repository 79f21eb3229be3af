// The picture files an HTML export writes next to its page.
#include "richtext/document/CRVData.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/QtCanvas.h"

namespace kc {

bool TCustomRVData::SaveImageFileEx(const std::string &Path, const TGraphic *Graphic, TRVSaveFormat SaveFormat,
                                    const std::string &ImagePrefix, int &ImageSaveNo, bool OverwriteFiles,
                                    TColor BackColor, std::string &Location, bool Jpeg) {
  bool doDefault = true;
  DoSaveImage2(Graphic, SaveFormat, Path, ImagePrefix, ImageSaveNo, Location, doDefault);
  if (doDefault && Graphic)
    SaveImageFile(ImagePrefix, Path, ImageSaveNo, OverwriteFiles, BackColor, *Graphic, Location, Jpeg);
  return !Location.empty();
}

void TCustomRVData::GetNextImageFileName(const std::string &ImagesPrefix, const std::string &Path,
                                         std::string &FileName, bool OverwriteFiles, int &ImageSaveNo,
                                         const std::string &Ext) {
  const bool absolute =
      ImagesPrefix.find(':') != std::string::npos || (!ImagesPrefix.empty() && ImagesPrefix[0] == '/');
  const std::string base = absolute ? ImagesPrefix : Path + ImagesPrefix;
  for (;;) {
    ++ImageSaveNo;
    FileName = base + std::to_string(ImageSaveNo) + Ext;
    if (!FileExists(FileName)) return;
    if (OverwriteFiles && IsWritableFile(FileName)) return;
  }
}

void TCustomRVData::SaveImageFile(const std::string &ImagesPrefix, const std::string &Path, int &ImageSaveNo,
                                  bool OverwriteFiles, TColor BackColor, const TGraphic &Graphic, std::string &Location,
                                  bool Jpeg) {
  Location.clear();
  std::string fileName;
  GetNextImageFileName(ImagesPrefix, Path, fileName, OverwriteFiles, ImageSaveNo, Jpeg ? ".jpg" : ".bmp");
  std::string bytes;
  if (Jpeg && std::string_view(Graphic.className()) == "TJPEGImage") bytes = Graphic.saveToBytes();
  else {
    QImage img;
    if (auto *b = dynamic_cast<const TBitmap *>(&Graphic)) img = b->image().convertToFormat(QImage::Format_RGB32);
    else {
      img = QImage(std::max(Graphic.width(), 1), std::max(Graphic.height(), 1), QImage::Format_RGB32);
      const TColor back = ColorToRGB(BackColor == clNone ? clWhite : BackColor);
      img.fill(QColor(GetRValue(back), GetGValue(back), GetBValue(back)));
      QtCanvas canvas(&img);
      canvas.drawGraphic(Bounds(0, 0, Graphic.width(), Graphic.height()), Graphic);
    }
    if (Jpeg) {
      TJPEGImage jpg;
      if (!jpg.assignImage(img)) return;
      bytes = jpg.saveToBytes();
    } else bytes = TBitmap(img).saveToBytes();
  }
  if (!WriteFileAtomically(fileName, bytes)) return;
  const size_t slash = ImagesPrefix.find_last_of("/\\");
  std::string folder = slash == std::string::npos ? std::string() : ImagesPrefix.substr(0, slash + 1);
  const size_t nameAt = fileName.find_last_of("/\\");
  Location = folder + (nameAt == std::string::npos ? fileName : fileName.substr(nameAt + 1));
}

} // namespace kc
