#pragma once
// Real transcripts and input boxes of the chat (the chat's style sheet,
// fonts pinned by the test environment, a fixed width), a 32 x 32 image list
// of 50 plain pictures, a catalogue of small two-frame GIFs made with our
// GIF writer, and a reader of a document as one line of text:
//   |"ab" B27 G3 F0 -   an item that starts a paragraph is marked "|";
//   "text", B<image> still emoticon, G<tag> GIF animator, F<tag> offered
//   file, I offered-file icon control, ?<style> any other item.
#include <QApplication>
#include <QImage>
#include <memory>
#include <string>

#include "platform/ImageList.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVStyle.h"
#include "ui/OfferedFileIconUn.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"
#include "ui/fmKavetChatRender.h"
#include "ui/fmSelectPictureGIFMoodUn.h"
#include "widgets/KcGIF.h"
#include "widgets/KcGIFCtrl.h"

namespace kctest {

// A GIF of two frames of Side x Side in two shades of Shade.
inline QByteArray TestGif(int Shade, int Side = 16) {
  kc::TKcGIFImage gif;
  for (int frame = 0; frame < 2; ++frame) {
    QImage image(Side, Side, QImage::Format_RGB32);
    image.fill(QColor(Shade, frame ? 40 : 200, 100));
    gif.AddFrame(image);
  }
  const std::string bytes = gif.SaveToBytes();
  return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

inline void FillImages(kc::TCustomImageList &List, int Count) {
  for (int i = 0; i < Count; ++i) {
    QImage image(List.Width(), List.Height(), QImage::Format_ARGB32);
    image.fill(QColor((i * 37) % 256, (i * 91) % 256, (i * 53) % 256));
    List.Add(image);
  }
}

inline std::string Describe(const kc::TCustomRichVista &Doc) {
  std::string out;
  for (int i = 0; i < Doc.ItemCountOf(); ++i) {
    if (!out.empty()) out += ' ';
    const kc::TCustomRVItemInfo *item = Doc.GetItem(i);
    if (item->IsParaStart()) out += '|';
    const int style = Doc.ItemStyleOf(i);
    if (style >= 0) {
      out += '"' + Doc.ItemTextOf(i) + '"';
    } else if (style == kc::rvsBullet) {
      std::string name;
      kc::TCustomImageList *list = nullptr;
      int index = 0;
      kc::TRVTag tag;
      Doc.GetBulletItemInfo(i, name, list, index, tag);
      out += "B" + std::to_string(index);
    } else if (style == kc::rvsComponent) {
      std::string name;
      kc::TControl *control = nullptr;
      kc::TRVVAlign valign = kc::rvvaBaseline;
      kc::TRVTag tag;
      Doc.GetControlItemInfo(i, name, control, valign, tag);
      if (qobject_cast<kc::TKcGIFAnimator *>(control)) out += "G" + std::to_string(tag.AsInt());
      else if (qobject_cast<kc::TOfferedFileIcon *>(control)) out += "I";
      else out += "?control";
    } else if (style == kc::rvsHotPicture) {
      out += "F" + std::to_string(item->Tag.AsInt());
    } else {
      out += "?" + std::to_string(style);
    }
  }
  return out;
}

// One main window's worth of what the markup and the renderer use.
struct ChatDesk {
  static constexpr int kWidth = 400;
  static constexpr int kHeight = 300;
  static constexpr const char *kLocalID = "{11111111-2222-3333-4444-555555555555}";
  static constexpr const char *kLocalIP = "198.18.0.1";

  ChatDesk() : profiles(32, 32), hotImages(32, 32) {
    kc::MakeChatStyleSheet(sheet);
    FillImages(profiles, 50);
    FillImages(hotImages, 12);
    catalogue = std::make_unique<kc::TfmSelectPictureGIFMood>([](int n) { return TestGif(10 * n); });
    renderer = std::make_unique<kc::TTranscriptRenderer>(sheet, profiles, &hotImages, catalogue.get(), &files);
    renderer->SetLocalUser(kLocalID, kLocalIP);
  }
  ~ChatDesk() {
    // Boxes before the sheet and the renderer they refer to.
    boxes.clear();
    renderer.reset();
  }

  // A transcript or input box of the chat, laid out at the pinned width.
  kc::TRichVistaEdit &NewBox(int Width = kWidth, int Height = kHeight) {
    auto box = std::make_unique<kc::TRichVistaEdit>();
    box->Style = &sheet;
    box->resize(Width, Height);
    boxes.push_back(std::move(box));
    return *boxes.back();
  }

  kc::TBodyReader Reader() {
    kc::TBodyReader r;
    r.Images = &profiles;
    r.HotImages = &hotImages;
    r.Catalogue = catalogue.get();
    r.OfferedFiles = &files;
    r.LocalID = kLocalID;
    return r;
  }

  kc::TRVStyle sheet;
  kc::TCustomImageList profiles, hotImages;
  kc::TOfferedFiles files;
  std::unique_ptr<kc::TfmSelectPictureGIFMood> catalogue;
  std::unique_ptr<kc::TTranscriptRenderer> renderer;
  std::vector<std::unique_ptr<kc::TRichVistaEdit>> boxes;
};

} // namespace kctest
