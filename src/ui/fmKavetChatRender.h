#pragma once
// Transcript rendering: a message appended to a talk's transcript as the
// sender's picture, a bold header line and the body rebuilt from its markup
// in the sender's own text style; the per-user text styles of the shared
// style sheet; and the animated emoticons kept alive per transcript.
//
// A user's colour stays in the style as the user chose it (history files
// and copies carry it); only the screen draws a colour too close to the
// background with more contrast.
#include <QPointer>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/CanvasTypes.h"

namespace kc {

class TCustomRichVista;
class TCustomRichVistaEdit;
class TCustomImageList;
class TKcGIFAnimator;
class TOfferedFiles;
class TRVStyle;
class TfmSelectPictureGIFMood;
struct TTalkMessage;

// Text style 0 "Normal text" (Arial), 1 "Header message" (Arial, bold);
// paragraph style 0 "Paragraph Style", 1 "Centered". Whatever the sheet held
// before is replaced.
void MakeChatStyleSheet(TRVStyle &Sheet);

// The colour to draw text of colour Text on Background with: Text itself
// when the two differ enough, else Text moved towards black or white
// (whichever stands out more) until they do. System colours are resolved.
TColor ContrastColor(TColor Text, TColor Background);
// The contrast ratio of two colours (1 to 21).
double ContrastRatio(TColor A, TColor B);
inline constexpr double kMinTextContrast = 3.0;

class TTranscriptRenderer {
public:
  // Known users get a style of their own up to this many; the rest share
  // one style per colour, up to kMaxSharedStyles.
  static constexpr int kMaxUserStyles = 512;
  static constexpr int kMaxSharedStyles = 64;
  // Animated emoticons a transcript keeps before the next one is added.
  static constexpr int kKeptGifs = 4;

  // Styles: the shared style sheet (its text styles 0 and 1 as
  // MakeChatStyleSheet makes them). Profiles: `ilProfilesImage` (32 x 32).
  // HotImages: `ilHotImage` (32 x 32), may be absent. The others may be
  // absent: without them animated emoticons or offered files insert
  // nothing. Installs the contrast rule on the sheet.
  TTranscriptRenderer(TRVStyle &Styles, TCustomImageList &Profiles, const TCustomImageList *HotImages,
                      const TfmSelectPictureGIFMood *Catalogue, TOfferedFiles *OfferedFiles);
  ~TTranscriptRenderer();
  TTranscriptRenderer(const TTranscriptRenderer &) = delete;
  TTranscriptRenderer &operator=(const TTranscriptRenderer &) = delete;

  // ------------------------------------------------------------ options
  void SetLocalUser(const std::string &ID, const std::string &IP);
  const std::string &LocalID() const { return FLocalID; }
  void SetShowUserIP(bool On) { FShowUserIP = On; }    // actShowUserIPWhenMessage
  void SetShowTime(bool On) { FShowTime = On; }        // actShowDataTimewhenMessage
  void SetStopGifAnimation(bool On) { FStopGif = On; } // actStopAnimation
  void SetHideGifAnimation(bool On) { FHideGif = On; } // actShowAnimation
  bool StopGifAnimation() const { return FStopGif; }
  bool HideGifAnimation() const { return FHideGif; }
  void SetCatalogue(const TfmSelectPictureGIFMood *Catalogue) { FCatalogue = Catalogue; }

  // Whether an ID is a user of the user list; unknown IDs share the
  // colour-keyed styles. Unset: every ID counts as known.
  std::function<bool(const std::string &UserID)> IsKnownUser;
  // An item of a transcript was deleted to trim its animations (its number
  // before the deletion).
  std::function<void(TCustomRichVista &Transcript, int ItemNo)> OnItemDeleted;
  // A message from someone else offered files (indices into OfferedFiles):
  // the reception confirmation.
  std::function<void(const std::vector<int> &Indices, const TTalkMessage &Message)> OnFilesOffered;

  // ---------------------------------------------------------- rendering
  // Appends the message, formats what was appended, shows or hides its
  // animations as the options say and scrolls to the end once. A presence
  // line's body is shown as plain text.
  void RenderTalkMessage(TCustomRichVista &Transcript, const TTalkMessage &Message);

  // The text style of a user, made on first need: named by the ID, the font
  // of style 0, the user's colour (a changed colour recolours the style and
  // so the text already shown). Never 0 or 1.
  int EnsureUserTextStyle(const std::string &UserID, TColor Colour);
  // The style of a user made so far, -1 when none.
  int FindUserTextStyle(const std::string &UserID) const;

  // Control items of an editor whose control is a GIF animator.
  static int CountGifs(const TCustomRichVista &Editor);
  // Each transcript keeps its kKeptGifs newest animated emoticons (those
  // this renderer added); older ones are deleted. Still emoticons stay.
  void LimitTranscriptGifs(const std::vector<TCustomRichVista *> &Transcripts);
  void LimitTranscriptGifs(const std::vector<TCustomRichVistaEdit *> &Transcripts);
  void LimitTranscriptGifs(TCustomRichVista &Transcript);
  // The animators this renderer added to a transcript and still alive,
  // oldest first.
  std::vector<TKcGIFAnimator *> TranscriptGifs(const TCustomRichVista &Transcript) const;
  // Every GIF animator of an editor: AnimateMode switches the animation on
  // or off, else it is shown or hidden.
  static void SetGifState(TCustomRichVista &Editor, bool Value, bool AnimateMode);

private:
  struct TGifRoster;
  TGifRoster &RosterOf(TCustomRichVista &Transcript);
  // Deletes the oldest animations until Keep are left.
  void TrimTranscriptGifs(TCustomRichVista &Transcript, int Keep);
  const TGifRoster *FindRoster(const TCustomRichVista &Transcript) const;
  int SharedStyle(TColor Colour);
  int AddStyle(const std::string &Name, TColor Colour);
  std::string HeaderOf(const TTalkMessage &Message) const;

  TRVStyle &FStyles;
  TCustomImageList &FProfiles;
  const TCustomImageList *FHotImages;
  const TfmSelectPictureGIFMood *FCatalogue;
  TOfferedFiles *FOfferedFiles;
  std::string FLocalID, FLocalIP;
  bool FShowUserIP = false, FShowTime = false, FStopGif = false, FHideGif = false;
  std::unordered_map<std::string, int> FUserStyles; // user ID -> style
  std::map<TColor, int> FSharedStyles;              // colour -> style
};

} // namespace kc
