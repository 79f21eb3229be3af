#pragma once
// Offered files as pictures: the icon control a file or folder becomes in an
// input box, the picture an offered file shows in a transcript, and opening
// a file by a click on either.
//
// Only files this copy offered are ever looked at on disk; a path that came
// from the network shows the fallback picture and opens nothing.
#include <QImage>
#include <functional>
#include <string>

#include "widgets/KcxAnimate.h"

namespace kc {

class TCustomRichVista;
class TCustomImageList;
class TOfferedFiles;
struct RLFile;

// Image of the offered-file fallback in the toolbar image list.
inline constexpr int kOfferedFileFallbackImage = 9;
// Image shown in an input box for a file the desktop has no icon for.
inline constexpr int kInsertedFileFallbackImage = 5;

// The icon control of a file in an input box: as big as its picture, its
// hint the full path (shown as plain text), a pointing hand, and a click
// opens the file (`FileIconClick`).
class TOfferedFileIcon : public TKcImageControl {
  Q_OBJECT
public:
  explicit TOfferedFileIcon(QWidget *Parent = nullptr);

  const QImage &Picture() const { return FPicture; }
  void SetPicture(const QImage &Picture);
  // The full local path (UTF-8).
  const std::string &Path() const { return FPath; }
  void SetPath(const std::string &Path);

  std::function<void(TOfferedFileIcon *)> OnClick;

protected:
  void PaintImage(QPainter &Painter) override;
  void mouseReleaseEvent(QMouseEvent *Event) override;

private:
  QImage FPicture;
  std::string FPath;
};

// The name of a file or folder without its folders: a path from a peer may
// be a Windows one, so both backslash and slash end a folder ("C:\dir\a.txt" is
// "a.txt"); separators at the end are passed over.
std::string OfferedFileName(const std::string &Path);

// The desktop's icon for a local path into Image; false when it has none.
bool AssignShellIcon(const std::string &Path, TOfferedFileIcon &Image);

// The picture of an offered file: the desktop's icon when this copy offered
// it and it still exists, else image 9 of HotImages (a plain file picture
// when the list lacks it).
QImage OfferedFilePicture(const RLFile &File, const TOfferedFiles &Files, const TCustomImageList *HotImages);
void SetOfferedFileIcon(TOfferedFileIcon &Image, const RLFile &File, const TOfferedFiles &Files,
                        const TCustomImageList *HotImages);

// Appends the icon of a local file or folder and " " + its name (text style
// 0) to an input box; the path is remembered as one this copy offered.
// Profiles: image 5 stands for a path the desktop has no icon for.
void InsertFileIcon(const std::string &Path, TCustomRichVista &InputBox, TOfferedFiles &Files,
                    const TCustomImageList *Profiles);

// Opens the file or folder an icon control names, when it exists.
void FileIconClick(QObject *Sender);

// A click on an offered file in a transcript: opens the local file of a
// record this copy offered, when it still exists. An index that names no
// record (never given, or dropped) does nothing. True when it opened.
bool OpenOfferedFile(const TOfferedFiles &Files, int Index);

// The OfferedFiles index an item of a transcript stands for, -1 when the
// item is no offered file.
int OfferedFileIndexOfItem(const TCustomRichVista &Transcript, int ItemNo);

} // namespace kc
