#pragma once
// The message body markup: the conversion between a talk message's body
// text (8-bit text with paragraph separators and markers for still
// emoticons, animated emoticons and offered files, no escaping) and the
// rich-text documents of the input boxes and transcripts.
//
// DocumentToText turns an input box into the body that is sent;
// TextToDocument rebuilds a received or echoed body at the end of a
// document. Offered files are kept in a bounded list (`TOfferedFiles`) whose
// indices name a file for the life of the window.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kc {

class TCustomRichVista;
class TCustomImageList;
class TKcGIFAnimator;
class TfmSelectPictureGIFMood;
struct RUserID;

namespace markup {
// Two bytes between paragraphs: line feed, then carriage return.
inline constexpr std::string_view kParagraph = "\x0A\x0D";
inline constexpr std::string_view kBulletOpen = "{[!BULLET!]}";
inline constexpr std::string_view kBulletClose = "{[/!BULLET!]}";
inline constexpr std::string_view kControlOpen = "{[!CONTROL!]}";
inline constexpr std::string_view kControlClose = "{[/!CONTROL!]}";
// The closing file marker has its slash after the exclamation mark.
inline constexpr std::string_view kFileOpen = "{[!CONTROLFILE!]}";
inline constexpr std::string_view kFileClose = "{[!/CONTROLFILE!]}";
inline constexpr std::string_view kFileInfoSeparator = "<[FILEINFOSEPARATOR]>";
// Animated emoticons one message may carry (the picker refuses a sixth).
inline constexpr int kMaxGifsPerMessage = 5;
// A horizontal line in an input box is sent as this many dashes.
inline constexpr int kBreakTextWidth = 20;
} // namespace markup

// One offered file or folder that a message named.
struct RLFile {
  // This copy offered it: the owner is the local user and this copy put the
  // path into an input box itself (IDs are public, so the ID alone proves
  // nothing).
  bool Mine = false;
  std::string Path; // as the body names it: 8-bit, on the owner's machine
  std::int32_t Number = 0;
  std::string OwnerID;
  std::string OwnerIP;
};

// The window's `OfferedFiles`: records are appended and named by their
// index for good. Only the newest Capacity records are kept; an index of a
// dropped record names nothing (Find gives none), and indices are never
// given out again.
class TOfferedFiles {
public:
  static constexpr int kDefaultCapacity = 1024;
  static constexpr int kOwnPathCapacity = 1024;
  explicit TOfferedFiles(int Capacity = kDefaultCapacity);

  // The new record's index; -1 when no index is left.
  int Add(RLFile File);
  // The record of an index; none for an index never given or dropped.
  const RLFile *Find(int Index) const;
  // The index the next record gets.
  int NextIndex() const { return FFirst + int(FRecords.size()); }
  int Capacity() const { return FCapacity; }
  // Records held now.
  int Held() const { return int(FRecords.size()); }

  // Paths this copy put into an input box: BodyPath as a body carries it,
  // LocalPath as the file system names it (UTF-8). The newest
  // kOwnPathCapacity are remembered.
  void RememberOwnPath(const std::string &BodyPath, const std::string &LocalPath);
  // The local path of a body path this copy inserted; none otherwise.
  std::optional<std::string> OwnLocalPath(const std::string &BodyPath) const;

private:
  int FCapacity;
  int FFirst = 0; // index of FRecords.front()
  std::deque<RLFile> FRecords;
  std::unordered_map<std::string, std::string> FOwnPaths;
  std::deque<std::string> FOwnOrder;
};

// What TextToDocument needs besides the document.
struct TBodyReader {
  // Still emoticons: the main 32 x 32 image list (`ilProfilesImage`).
  TCustomImageList *Images = nullptr;
  // Image 9 is the picture of an offered file without an icon of its own
  // (`ilHotImage`); may be absent.
  const TCustomImageList *HotImages = nullptr;
  // Animated emoticons by number; none: they insert nothing.
  const TfmSelectPictureGIFMood *Catalogue = nullptr;
  // None: offered files insert nothing.
  TOfferedFiles *OfferedFiles = nullptr;
  std::string LocalID;
  bool StopGifAnimation = false;
  // Before each animated emoticon (the renderer trims the transcripts'
  // animations), and after it was appended.
  std::function<void(TCustomRichVista &)> BeforeGif;
  std::function<void(TCustomRichVista &, TKcGIFAnimator &)> GifAdded;
};

// The body of the whole document: text items as they are, still emoticons,
// animated emoticons and offered-file icons as markers (a file offered by
// someone else, copied from a transcript, keeps its owner), any other item
// as its text form; a separator before every item that starts a line of its
// own (a paragraph or a line break, not a wrap point). Files is needed for
// offered files copied from a transcript; without it they send nothing.
std::string DocumentToText(const TCustomRichVista &InputBox, const std::string &LocalID, const std::string &LocalIP,
                           const TOfferedFiles *Files = nullptr);
std::string DocumentToText(const TCustomRichVista &InputBox, const RUserID &LocalUser,
                           const TOfferedFiles *Files = nullptr);

// Appends the body's content to Editor in TextStyleNo; nothing without an
// editor or without Reader.Images. Nothing is formatted. The OfferedFiles
// index of every offered file met goes to FileIndexList when given.
void TextToDocument(TCustomRichVista *Editor, int TextStyleNo, const TBodyReader &Reader, std::string_view Text,
                    std::vector<int> *FileIndexList = nullptr);

// Without a leading separator, and without a trailing one when it is the
// only one left.
std::string TrimLineBreaks(std::string Text);

// Owner ID, owner IP, number text and path of a file-info block. An empty
// field is passed over (the later ones move up), as every peer reads it.
std::array<std::string, 4> SplitFileInfo(std::string_view Block);

// Appends a record for a file a body named; its index (-1: none left).
int AddOfferedFile(TOfferedFiles &Files, const std::string &LocalID, const std::string &OwnerID,
                   const std::string &OwnerIP, const std::string &NumberText, const std::string &Path);

// A decimal number as the markup writes it (an optional sign, digits, in
// the 32-bit range); none otherwise.
std::optional<std::int32_t> ParseMarkupNumber(std::string_view Text);

} // namespace kc
