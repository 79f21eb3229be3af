#include "ui/WorkFormatTextRichVistaEditUn.h"

#include <climits>
#include <memory>

#include "core/ProtocolClassUn.h"
#include "platform/CodePage.h"
#include "platform/Graphics.h"
#include "platform/ImageList.h"
#include "platform/Log.h"
#include "richtext/controls/RichVista.h"
#include "richtext/document/RVItem.h"
#include "ui/OfferedFileIconUn.h"
#include "ui/fmSelectPictureGIFMoodUn.h"
#include "widgets/KcGIFCtrl.h"

namespace kc {

using namespace markup;

// ---------------------------------------------------------------------------
// Offered files

TOfferedFiles::TOfferedFiles(int Capacity) : FCapacity(Capacity > 0 ? Capacity : 1) {}

int TOfferedFiles::Add(RLFile File) {
  if (NextIndex() == INT_MAX) return -1;
  const int index = NextIndex();
  FRecords.push_back(std::move(File));
  if (int(FRecords.size()) > FCapacity) {
    FRecords.pop_front();
    ++FFirst;
  }
  return index;
}

const RLFile *TOfferedFiles::Find(int Index) const {
  if (Index < FFirst || Index >= NextIndex()) return nullptr;
  return &FRecords[std::size_t(Index - FFirst)];
}

void TOfferedFiles::RememberOwnPath(const std::string &BodyPath, const std::string &LocalPath) {
  auto [it, added] = FOwnPaths.insert_or_assign(BodyPath, LocalPath);
  (void)it;
  if (!added) return;
  FOwnOrder.push_back(BodyPath);
  if (int(FOwnOrder.size()) > kOwnPathCapacity) {
    FOwnPaths.erase(FOwnOrder.front());
    FOwnOrder.pop_front();
  }
}

std::optional<std::string> TOfferedFiles::OwnLocalPath(const std::string &BodyPath) const {
  const auto it = FOwnPaths.find(BodyPath);
  if (it == FOwnPaths.end()) return std::nullopt;
  return it->second;
}

std::optional<std::int32_t> ParseMarkupNumber(std::string_view Text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) negative = Text[i++] == '-';
  if (i == Text.size()) return std::nullopt;
  long long value = 0;
  for (; i < Text.size(); ++i) {
    if (Text[i] < '0' || Text[i] > '9') return std::nullopt;
    value = value * 10 + (Text[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return std::int32_t(value);
}

int AddOfferedFile(TOfferedFiles &Files, const std::string &LocalID, const std::string &OwnerID,
                   const std::string &OwnerIP, const std::string &NumberText, const std::string &Path) {
  RLFile f;
  // IDs are public: a body naming our ID proves nothing. Ours are the paths
  // this copy put into an input box itself.
  f.Mine = !LocalID.empty() && OwnerID == LocalID && Files.OwnLocalPath(Path).has_value();
  f.Path = Path;
  f.Number = ParseMarkupNumber(NumberText).value_or(0);
  f.OwnerID = OwnerID;
  f.OwnerIP = OwnerIP;
  return Files.Add(std::move(f));
}

// ---------------------------------------------------------------------------
// Document to body

std::string TrimLineBreaks(std::string Text) {
  if (Text.find(kParagraph) == std::string::npos) return Text;
  if (Text.compare(0, kParagraph.size(), kParagraph) == 0) Text.erase(0, kParagraph.size());
  const std::size_t first = Text.find(kParagraph);
  if (first != std::string::npos && first + kParagraph.size() == Text.size()) Text.erase(first);
  return Text;
}

namespace {

std::string fileBlock(const std::string &OwnerID, const std::string &OwnerIP, const std::string &Number,
                      const std::string &Path) {
  std::string s(kFileOpen);
  s.append(kFileInfoSeparator).append(OwnerID);
  s.append(kFileInfoSeparator).append(OwnerIP);
  s.append(kFileInfoSeparator).append(Number);
  s.append(kFileInfoSeparator).append(Path);
  s.append(kFileClose);
  return s;
}

// The markup of one item; a failure leaves the item out.
std::string itemText(const TCustomRichVista &Box, int ItemNo, const std::string &LocalID, const std::string &LocalIP,
                     const TOfferedFiles *Files) {
  const int style = Box.ItemStyleOf(ItemNo);
  if (style >= 0) return Box.ItemTextOf(ItemNo);
  TCustomRVItemInfo *item = Box.GetItem(ItemNo);
  switch (style) {
  case rvsBullet: {
    std::string name;
    TCustomImageList *list = nullptr;
    int index = 0;
    TRVTag tag;
    Box.GetBulletItemInfo(ItemNo, name, list, index, tag);
    return std::string(kBulletOpen) + std::to_string(index) + std::string(kBulletClose);
  }
  case rvsComponent: {
    std::string name;
    TControl *control = nullptr;
    TRVVAlign valign = rvvaBaseline;
    TRVTag tag;
    Box.GetControlItemInfo(ItemNo, name, control, valign, tag);
    if (qobject_cast<TKcGIFAnimator *>(control))
      return std::string(kControlOpen) + std::to_string(tag.AsInt()) + std::string(kControlClose);
    if (auto *icon = qobject_cast<TOfferedFileIcon *>(control))
      return fileBlock(LocalID, LocalIP, "0", utf8ToAnsi(icon->Path()));
    break;
  }
  case rvsHotPicture: {
    // An offered file copied from a transcript is offered on in its owner's
    // name: only the owner can answer a request for it.
    const RLFile *f = Files ? Files->Find(item->Tag.AsInt()) : nullptr;
    if (f) return fileBlock(f->OwnerID, f->OwnerIP, std::to_string(f->Number), f->Path);
    return {};
  }
  default: break;
  }
  // Any other item says what it can in words (a list number, a line).
  return item->AsText(kBreakTextWidth, '-', Box.RVData(), Box.RVData()->Items.Strings(ItemNo), std::string(), true,
                      false);
}

} // namespace

std::string DocumentToText(const TCustomRichVista &InputBox, const std::string &LocalID, const std::string &LocalIP,
                           const TOfferedFiles *Files) {
  std::string out;
  const int count = InputBox.ItemCountOf();
  for (int i = 0; i < count; ++i) {
    try {
      out += itemText(InputBox, i, LocalID, LocalIP, Files);
    } catch (const std::exception &) {
      LogCaughtException("message text");
    }
    // A separator only where the writer started a line: a wrap point of the
    // sender's window is no paragraph of the message.
    if (i + 1 < count ? InputBox.GetItem(i + 1)->IsFromNewLine() : count == 1) out += kParagraph;
  }
  return TrimLineBreaks(std::move(out));
}

std::string DocumentToText(const TCustomRichVista &InputBox, const RUserID &LocalUser, const TOfferedFiles *Files) {
  return DocumentToText(InputBox, LocalUser.ID, LocalUser.IP, Files);
}

// ---------------------------------------------------------------------------
// Body to document

std::array<std::string, 4> SplitFileInfo(std::string_view Block) {
  std::array<std::string, 4> fields;
  std::string_view rest = Block;
  std::size_t n = 0;
  auto take = [&](std::string_view Field) {
    if (n < fields.size()) fields[n] = std::string(Field);
    ++n;
  };
  while (!rest.empty()) {
    if (rest == kFileInfoSeparator) break;
    const std::size_t sep = rest.find(kFileInfoSeparator);
    if (sep == std::string_view::npos) {
      take(rest);
      rest = {};
    } else if (sep == 0) {
      rest.remove_prefix(kFileInfoSeparator.size());
    } else {
      take(rest.substr(0, sep));
      rest.remove_prefix(sep);
    }
  }
  return fields;
}

namespace {

struct TBodyParser {
  TCustomRichVista &Doc;
  int StyleNo;
  const TBodyReader &Reader;
  std::vector<int> *FileIndexList;
  std::string_view Rest;
  std::string Pending;
  int Gifs = 0;

  void flush() {
    Doc.AddTextRun(Pending, StyleNo);
    Pending.clear();
  }

  // The content between an opening marker (already at the front) and its
  // closing marker; without a closing marker the content is empty and as
  // many bytes as the closing marker is long are dropped.
  std::string_view content(std::string_view Open, std::string_view Close) {
    Rest.remove_prefix(Open.size());
    const std::size_t end = Rest.find(Close);
    if (end == std::string_view::npos) {
      Rest.remove_prefix(std::min(Close.size(), Rest.size()));
      return {};
    }
    const std::string_view inner = Rest.substr(0, end);
    Rest.remove_prefix(end + Close.size());
    return inner;
  }

  void bullet() {
    const std::string_view number = content(kBulletOpen, kBulletClose);
    const std::optional<std::int32_t> index = ParseMarkupNumber(number);
    // A picture the list does not have would show nothing but take room.
    if (!index || !Reader.Images->ValidIndex(*index)) return;
    Doc.AddPictureItem(std::string(), *index, Reader.Images, -1);
  }

  void animation() {
    const std::string_view number = content(kControlOpen, kControlClose);
    const std::optional<std::int32_t> tag = ParseMarkupNumber(number);
    if (!tag || !Reader.Catalogue) return;
    TKcGIFAnimator *source = Reader.Catalogue->FindAnimatorByTag(*tag);
    // The sender's picker allows five; more would only be made to be
    // trimmed again.
    if (!source || Gifs >= kMaxGifsPerMessage) return;
    if (Reader.BeforeGif) Reader.BeforeGif(Doc);
    auto *gif = new TKcGIFAnimator(&Doc);
    gif->hide();
    gif->SetImage(source->Image());
    gif->setProperty("Tag", *tag);
    gif->SetKcxAnimate(!Reader.StopGifAnimation);
    Doc.AddControlItem(std::string(), gif, -1, rvvaMiddle, *tag);
    ++Gifs;
    if (Reader.GifAdded) Reader.GifAdded(Doc, *gif);
  }

  void offeredFile() {
    const std::string_view block = content(kFileOpen, kFileClose);
    if (!Reader.OfferedFiles) return;
    const std::array<std::string, 4> f = SplitFileInfo(block);
    const int index = AddOfferedFile(*Reader.OfferedFiles, Reader.LocalID, f[0], f[1], f[2], f[3]);
    const RLFile *file = Reader.OfferedFiles->Find(index);
    if (!file) return;
    const QImage picture = OfferedFilePicture(*file, *Reader.OfferedFiles, Reader.HotImages);
    Doc.AddHotPictureItem(f[3], std::make_unique<TBitmap>(picture), -1, rvvaBaseline, index);
    if (FileIndexList) FileIndexList->push_back(index);
  }

  // Runs one marker's insertion; its failure is its own.
  template <class F> void guarded(F &&Step) {
    try {
      Step();
    } catch (const std::exception &) {
      LogCaughtException("message markup");
    }
  }

  void run() {
    while (!Rest.empty()) {
      if (Rest.starts_with(kParagraph)) {
        flush();
        Doc.AddTextParagraph(std::string(), StyleNo, 0);
        Rest.remove_prefix(kParagraph.size());
      } else if (Rest.starts_with(kBulletOpen)) {
        flush();
        guarded([this] { bullet(); });
      } else if (Rest.starts_with(kControlOpen)) {
        flush();
        guarded([this] { animation(); });
      } else if (Rest.starts_with(kFileOpen)) {
        flush();
        guarded([this] { offeredFile(); });
      } else {
        // Plain text up to the next byte that may begin a marker or a
        // separator.
        std::size_t n = Rest.find_first_of("\x0A{", 1);
        if (n == std::string_view::npos) n = Rest.size();
        Pending.append(Rest.substr(0, n));
        Rest.remove_prefix(n);
      }
    }
    flush();
  }
};

} // namespace

void TextToDocument(TCustomRichVista *Editor, int TextStyleNo, const TBodyReader &Reader, std::string_view Text,
                    std::vector<int> *FileIndexList) {
  if (!Editor || !Reader.Images) return;
  TBodyParser parser{*Editor, TextStyleNo, Reader, FileIndexList, Text, {}, 0};
  try {
    parser.run();
  } catch (const std::exception &) {
    // What was appended stays.
    LogCaughtException("message markup");
  }
}

} // namespace kc
