#include "ui/fmKavetChatRender.h"

#include <QObject>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/ChatServicesUn.h"
#include "platform/Canvas.h"
#include "platform/Clock.h"
#include "platform/ImageList.h"
#include "platform/Log.h"
#include "richtext/controls/RichVistaEdit.h"
#include "richtext/document/RVItem.h"
#include "richtext/document/RVStyle.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"
#include "ui/fmSelectPictureGIFMoodUn.h"
#include "widgets/KcGIFCtrl.h"

namespace kc {

// ---------------------------------------------------------------------------
// Style sheet and colours

void MakeChatStyleSheet(TRVStyle &Sheet) {
  TFontInfos &text = Sheet.TextStyles();
  text.Clear();
  // Unicode, so an input box keeps every character typed into it; what is
  // sent is still 8-bit text of the ANSI code page.
  text.AddTextStyle("Normal text", "Arial", 0, 10, clWindowText)->Unicode = true;
  text.AddTextStyle("Header message", "Arial", fsBold, 10, clWindowText)->Unicode = true;
  TParaInfos &para = Sheet.ParaStyles();
  para.Clear();
  para.Add()->StyleName = "Paragraph Style";
  TParaInfo *centred = para.Add();
  centred->StyleName = "Centered";
  centred->Alignment = rvaCenter;
}

namespace {

double linear(int Channel) {
  const double s = Channel / 255.0;
  return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
}

double luminance(TColor C) {
  const TColor c = ColorToRGB(C);
  return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
}

TColor mix(TColor A, TColor B, double T) {
  auto ch = [T](int a, int b) { return int(std::lround(a + (b - a) * T)); };
  return RGB(ch(GetRValue(A), GetRValue(B)), ch(GetGValue(A), GetGValue(B)), ch(GetBValue(A), GetBValue(B)));
}

// A colour a style can take: a plain RGB value. System colours, clNone and
// the like would make a user's text follow the theme or vanish.
bool isUserColour(TColor C) { return (std::uint32_t(C) & 0xFF000000u) == 0; }

} // namespace

double ContrastRatio(TColor A, TColor B) {
  const double la = luminance(A), lb = luminance(B);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TColor ContrastColor(TColor Text, TColor Background) {
  if (ContrastRatio(Text, Background) >= kMinTextContrast) return Text;
  const TColor text = ColorToRGB(Text), back = ColorToRGB(Background);
  const TColor away = ContrastRatio(clBlack, back) >= ContrastRatio(clWhite, back) ? clBlack : clWhite;
  // The least change that reads, so the user's hue stays recognisable.
  for (int step = 1; step < 10; ++step) {
    const TColor c = mix(text, away, step / 10.0);
    if (ContrastRatio(c, back) >= kMinTextContrast) return c;
  }
  return away;
}

// ---------------------------------------------------------------------------
// Animated emoticons of one transcript, oldest first: a child of the
// transcript, so it goes with it.

struct TTranscriptRenderer::TGifRoster : QObject {
  struct Entry {
    QPointer<TKcGIFAnimator> Gif;
    int ItemHint; // its item number when added; items before it only go
  };
  std::deque<Entry> Gifs;
  void prune() {
    Gifs.erase(std::remove_if(Gifs.begin(), Gifs.end(), [](const Entry &e) { return e.Gif.isNull(); }), Gifs.end());
  }
};

namespace {
const char *const kRosterName = "kcTranscriptGifs";
}

const TTranscriptRenderer::TGifRoster *TTranscriptRenderer::FindRoster(const TCustomRichVista &Transcript) const {
  for (QObject *child : Transcript.children())
    if (child->objectName() == QLatin1String(kRosterName))
      if (auto *r = dynamic_cast<TGifRoster *>(child)) return r;
  return nullptr;
}

TTranscriptRenderer::TGifRoster &TTranscriptRenderer::RosterOf(TCustomRichVista &Transcript) {
  if (const TGifRoster *r = FindRoster(Transcript)) return const_cast<TGifRoster &>(*r);
  auto *r = new TGifRoster;
  r->setObjectName(QLatin1String(kRosterName));
  r->setParent(&Transcript);
  return *r;
}

// ---------------------------------------------------------------------------

TTranscriptRenderer::TTranscriptRenderer(TRVStyle &Styles, TCustomImageList &Profiles,
                                         const TCustomImageList *HotImages, const TfmSelectPictureGIFMood *Catalogue,
                                         TOfferedFiles *OfferedFiles)
    : FStyles(Styles), FProfiles(Profiles), FHotImages(HotImages), FCatalogue(Catalogue), FOfferedFiles(OfferedFiles) {
  // Users' colours are drawn readable on the transcript's background; the
  // styles keep them as chosen.
  FStyles.OnApplyStyleColor = [](TRVStyle *Sheet, TCanvas &Canvas, int StyleNo, TRVTextDrawStates State,
                                 bool &DoDefault) {
    if (StyleNo < 2) return;
    const TFontInfo *f = Sheet->TextStyles().GetTextStyleSafe(StyleNo);
    f->ApplyColor(Canvas, *Sheet, State, false, 0);
    DoDefault = false;
    if (State.Has(rvtsSelected) || State.Has(rvtsHover)) return;
    const TColor back = f->BackColor != clNone ? f->BackColor : Sheet->Color;
    Canvas.setFontColor(ContrastColor(Canvas.fontColor(), back));
  };
}

TTranscriptRenderer::~TTranscriptRenderer() { FStyles.OnApplyStyleColor = nullptr; }

void TTranscriptRenderer::SetLocalUser(const std::string &ID, const std::string &IP) {
  FLocalID = ID;
  FLocalIP = IP;
}

// ---------------------------------------------------------------------------
// Per-user styles

int TTranscriptRenderer::AddStyle(const std::string &Name, TColor Colour) {
  TFontInfos &styles = FStyles.TextStyles();
  const TFontInfo *normal = styles.GetTextStyleSafe(0);
  TFontInfo *f = styles.AddTextStyle(Name, normal->FontName, normal->Style, normal->Size, normal->Color);
  f->Unicode = normal->Unicode;
  if (isUserColour(Colour)) f->Color = Colour;
  return styles.Count() - 1;
}

int TTranscriptRenderer::SharedStyle(TColor Colour) {
  const TFontInfos &styles = FStyles.TextStyles();
  if (!isUserColour(Colour)) Colour = ColorToRGB(styles.GetTextStyleSafe(0)->Color);
  const auto it = FSharedStyles.find(Colour);
  if (it != FSharedStyles.end()) return it->second;
  if (int(FSharedStyles.size()) < kMaxSharedStyles) {
    char name[32];
    std::snprintf(name, sizeof name, "shared %06X", unsigned(Colour));
    const int index = AddStyle(name, Colour);
    FSharedStyles.emplace(Colour, index);
    return index;
  }
  // All taken: the nearest colour there is.
  int best = FSharedStyles.begin()->second;
  long bestDistance = -1;
  for (const auto &[colour, index] : FSharedStyles) {
    const long dr = GetRValue(colour) - GetRValue(Colour), dg = GetGValue(colour) - GetGValue(Colour),
               db = GetBValue(colour) - GetBValue(Colour);
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = index;
  }
  return best;
}

int TTranscriptRenderer::FindUserTextStyle(const std::string &UserID) const {
  const auto it = FUserStyles.find(UserID);
  return it == FUserStyles.end() ? -1 : it->second;
}

int TTranscriptRenderer::EnsureUserTextStyle(const std::string &UserID, TColor Colour) {
  int found = 0;
  try {
    // Styles 0 and 1 are the sheet's own: no ID ("Normal text" included)
    // names them.
    const auto it = FUserStyles.find(UserID);
    if (it != FUserStyles.end()) {
      TFontInfo *f = FStyles.TextStyles().GetTextStyleSafe(it->second);
      if (it->second >= 2 && f->StyleName == UserID) {
        found = it->second;
        if (isUserColour(Colour) && f->Color != Colour) f->Color = Colour;
        return found;
      }
      FUserStyles.erase(it); // the sheet was changed under us
    }
    const bool known = !IsKnownUser || IsKnownUser(UserID);
    if (known && int(FUserStyles.size()) < kMaxUserStyles) {
      found = AddStyle(UserID, Colour);
      FUserStyles.emplace(UserID, found);
      return found;
    }
    // Unknown senders (any ID can be made up) share a bounded set.
    found = SharedStyle(Colour);
    return found;
  } catch (const std::exception &) {
    LogCaughtException("user text style");
    return found;
  }
}

// ---------------------------------------------------------------------------
// Animated emoticons

namespace {

// Calls Fn for every GIF animator the editor's control items hold, in item
// order.
template <class F> void forEachGif(const TCustomRichVista &Editor, F Fn) {
  for (int i = 0; i < Editor.ItemCountOf(); ++i) {
    if (Editor.ItemStyleOf(i) != rvsComponent) continue;
    std::string name;
    TControl *control = nullptr;
    TRVVAlign valign = rvvaBaseline;
    TRVTag tag;
    Editor.GetControlItemInfo(i, name, control, valign, tag);
    if (auto *gif = qobject_cast<TKcGIFAnimator *>(control)) Fn(*gif);
  }
}

} // namespace

int TTranscriptRenderer::CountGifs(const TCustomRichVista &Editor) {
  int n = 0;
  forEachGif(Editor, [&](TKcGIFAnimator &) { ++n; });
  return n;
}

void TTranscriptRenderer::SetGifState(TCustomRichVista &Editor, bool Value, bool AnimateMode) {
  forEachGif(Editor, [&](TKcGIFAnimator &Gif) {
    if (AnimateMode) Gif.SetKcxAnimate(Value);
    else SetControlKeptHidden(&Gif, !Value); // a later layout leaves it so
  });
}

std::vector<TKcGIFAnimator *> TTranscriptRenderer::TranscriptGifs(const TCustomRichVista &Transcript) const {
  std::vector<TKcGIFAnimator *> out;
  if (const TGifRoster *r = FindRoster(Transcript))
    for (const TGifRoster::Entry &e : r->Gifs)
      if (e.Gif) out.push_back(e.Gif.data());
  return out;
}

void TTranscriptRenderer::LimitTranscriptGifs(TCustomRichVista &Transcript) {
  TrimTranscriptGifs(Transcript, kKeptGifs);
}

void TTranscriptRenderer::TrimTranscriptGifs(TCustomRichVista &Transcript, int Keep) {
  const TGifRoster *found = FindRoster(Transcript);
  if (!found) return;
  TGifRoster &roster = const_cast<TGifRoster &>(*found);
  roster.prune();
  while (int(roster.Gifs.size()) > Keep) {
    const TGifRoster::Entry oldest = roster.Gifs.front();
    roster.Gifs.pop_front();
    // Items are only ever removed before it, so it sits at or before the
    // number it had: look back from there, the whole document only when
    // that fails.
    const int count = Transcript.ItemCountOf();
    int itemNo = -1;
    for (int i = std::min(oldest.ItemHint, count - 1); i >= 0; --i)
      if (Transcript.GetItem(i)->OwnsControl(oldest.Gif.data())) {
        itemNo = i;
        break;
      }
    if (itemNo < 0) itemNo = Transcript.RVData()->FindControlItemNo(oldest.Gif.data());
    if (itemNo >= 0) {
      Transcript.DeleteItems(itemNo, 1);
      if (OnItemDeleted) OnItemDeleted(Transcript, itemNo);
    } else {
      delete oldest.Gif.data();
    }
  }
}

void TTranscriptRenderer::LimitTranscriptGifs(const std::vector<TCustomRichVista *> &Transcripts) {
  for (TCustomRichVista *t : Transcripts)
    if (t) LimitTranscriptGifs(*t);
}

void TTranscriptRenderer::LimitTranscriptGifs(const std::vector<TCustomRichVistaEdit *> &Transcripts) {
  for (TCustomRichVistaEdit *t : Transcripts)
    if (t) LimitTranscriptGifs(*t);
}

// ---------------------------------------------------------------------------
// Rendering

namespace {
std::string twoDigits(int V) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02d", V % 100);
  return buf;
}

// A presence line shows as it is: one line, no markup read.
std::string plainLine(std::string Text) {
  for (char &c : Text)
    if (c == '\n' || c == '\r') c = ' ';
  return Text;
}
} // namespace

std::string TTranscriptRenderer::HeaderOf(const TTalkMessage &Message) const {
  std::string header = "[" + (Message.Alias.empty() ? Message.IP : Message.Alias) + "]";
  if (FShowUserIP) header += " IP:" + Message.IP;
  if (FShowTime) {
    const DateTime now = nowLocal();
    header += " " + twoDigits(now.hour) + "." + twoDigits(now.minute);
  }
  return header;
}

void TTranscriptRenderer::RenderTalkMessage(TCustomRichVista &Transcript, const TTalkMessage &Message) {
  std::vector<int> files;
  bool failed = false;
  try {
    int picture = Message.ImageIndex < 0 ? 0 : Message.ImageIndex;
    if (!FProfiles.ValidIndex(picture)) picture = 0;
    Transcript.AddPictureItem(std::string(), picture, &FProfiles, Transcript.ItemCountOf() == 1 ? -1 : 0);
    Transcript.AddTextRun(HeaderOf(Message), 1);
    const int style = EnsureUserTextStyle(Message.SenderID, TColor(Message.Color));
    Transcript.AddTextParagraph(std::string(), 1, 0);
    if (Message.Presence) {
      Transcript.AddTextRun(plainLine(Message.Body), style);
    } else {
      TBodyReader reader;
      reader.Images = &FProfiles;
      reader.HotImages = FHotImages;
      reader.Catalogue = FCatalogue;
      reader.OfferedFiles = FOfferedFiles;
      reader.LocalID = FLocalID;
      reader.StopGifAnimation = FStopGif;
      reader.GifAdded = [this](TCustomRichVista &Doc, TKcGIFAnimator &Gif) {
        RosterOf(Doc).Gifs.push_back({QPointer<TKcGIFAnimator>(&Gif), Doc.ItemCountOf() - 1});
      };
      TextToDocument(&Transcript, style, reader, Message.Body, &files);
    }
  } catch (const std::exception &) {
    LogCaughtException("message rendering");
    failed = true;
  }
  try {
    // Only what was appended is laid out: a long transcript costs no more
    // per message than a short one.
    Transcript.FormatTail();
    // The oldest animations go once the message is laid out: each leaves a
    // gap that only its paragraph closes, where a document still appending
    // would be laid out whole. The message's own (five at most) stay.
    TrimTranscriptGifs(Transcript, kKeptGifs + 1);
    for (TKcGIFAnimator *gif : TranscriptGifs(Transcript)) SetControlKeptHidden(gif, FHideGif);
    if (!failed) Transcript.VScroll(TRVScroller::sbBottom);
  } catch (const std::exception &) {
    LogCaughtException("message rendering");
    failed = true;
  }
  // Last, as it may ask the user.
  if (!failed && Message.SenderID != FLocalID && !files.empty() && OnFilesOffered) OnFilesOffered(files, Message);
}

} // namespace kc
