#include "ui/ArtUn.h"

#include <QImage>
#include <QResource>
#include <QString>
#include <utility>

// The resources live in a static library: a call keeps them linked in.
static void InitArtResources() { Q_INIT_RESOURCE(art); }

namespace kc {

namespace {

void EnsureResources() {
  static const bool done = (InitArtResources(), true);
  (void)done;
}

// Fills List with Count pictures of folder Name at Size, each with its twin.
void Fill(TCustomImageList &List, const char *Name, int Size, int Count) {
  EnsureResources();
  List.SetSize(Size, Size);
  List.Clear();
  for (int i = 0; i < Count; ++i) {
    const QString base = QStringLiteral(":/art/%1/%2/%3").arg(QLatin1String(Name)).arg(Size).arg(i);
    List.Add(QImage(base + QStringLiteral(".png")), QImage(base + QStringLiteral("@2x.png")));
  }
}

int ListSize(int Size) { return Size == 16 ? 16 : 32; }

} // namespace

void FillHotImages(TCustomImageList &List, int Size) { Fill(List, "hot", ListSize(Size), hiCount); }

void FillProfileImages(TCustomImageList &List, int Size) { Fill(List, "profiles", ListSize(Size), piCount); }

void FillTreyAnimation(TCustomImageList &List) { Fill(List, "trey", 16, kTreyFrames); }

void FillStoryImages(TCustomImageList &List) {
  Fill(List, "story", List.Width() == 32 && List.Height() == 32 ? 32 : 16, siCount);
}

QByteArray CatalogueGif(int Number) {
  if (Number < 0 || Number >= kCatalogueGifs) return QByteArray();
  EnsureResources();
  const QResource gif(QStringLiteral(":/art/gif/%1.gif").arg(Number));
  return gif.isValid() ? gif.uncompressedData() : QByteArray();
}

int ActionImageIndex(std::string_view ActionName) {
  static constexpr std::pair<std::string_view, int> kActions[] = {
      {"actHelp", hiHelp},
      {"actAbout", hiAbout},
      {"actUserNetProfile", hiUserProfile},
      {"actUserMyProfile", hiMyProfile},
      {"actOpen", hiOpen},
      {"actClose", hiClose},
      {"actMailUser", hiMailUser},
      {"actMailAll", hiMailAll},
      {"actMailEmpty", hiMailEmpty},
      {"actMailGroup", hiMailGroup},
      {"actStayOnTop", hiStayOnTop},
      {"actStayOnTopUserList", hiStayOnTopUserList},
      {"actShowUserList", hiUserList},
      {"actMessageToUser", hiTalk},
      {"actMessageToGroup", hiTalkGroup},
      {"actKavetChatOnTheWeb", hiWeb},
      {"actSiteOurCompany", hiSite},
      {"actTechnicalSupport", hiSupport},
      {"actShowHint", hiShowHint},
      {"actAnsweringMachine", hiAutoReply},
      {"actAnsweringmachineOptions", hiAutoReplyOptions},
      {"actShowHistoryMessage", hiHistory},
      {"actCopy", hiCopy},
      {"actDelete", hiDelete},
      {"actCut", hiCut},
      {"actPaste", hiPaste},
      {"actSelectAll", hiSelectAll},
      {"actUndo", hiUndo},
      {"actHideProgramm", hiHideInTray},
      {"actNotTalkGroup", hiNotTalkGroup},
      {"actNotTalkPrivate", hiNotTalkPrivate},
      {"actOpenFileOrFolder", hiOpenFile},
      {"actSaveAsFileOrFolder", hiSaveAs},
      {"actGetFileOrFolder", hiGetFile},
      {"actClearDialogParametr", hiResetDialogs},
      // The send toolbar's, from ilProfilesImage.
      {"actSendMessage", piSend},
      {"actSelectImageMood", piStillEmoticon},
      {"actSelectGifMood", piAnimatedEmoticon},
      {"actInsertFile", piFile},
      {"actInsertFolder", piFolder},
      {"actClearTextMessage", piClearText},
      {"actCloseTalk", piCloseTalk},
  };
  for (const auto &[name, index] : kActions)
    if (name == ActionName) return index;
  return -1;
}

int ItemImageIndex(std::string_view ItemName) {
  static constexpr std::pair<std::string_view, int> kItems[] = {
      {"tbOptions", hiOptions},
      {"tbsiLanguage", hiLanguage},
      {"tbPanelsOfTools", hiPanels},
      {"miOther", hiOptions},
      {"miAnimationGIF", hiGifAnimation},
      {"miMessageFormat", hiMessageFormat},
      {"miPlaySound", hiSounds},
      {"miButtonOptions", hiButtons},
      {"miAnsweringMachine", hiAutoReply},
      {"miAnsweringMachineTrey", hiAutoReply},
      {"miVariants", hiAutoReplyOptions},
  };
  for (const auto &[name, index] : kItems)
    if (name == ItemName) return index;
  return -1;
}

QIcon ProgramIcon() {
  EnsureResources();
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/art/icon/%1.png").arg(size), QSize(size, size));
  return icon;
}

} // namespace kc
