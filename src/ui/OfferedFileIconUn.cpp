#include "ui/OfferedFileIconUn.h"

#include <QMouseEvent>
#include <QPainter>
#include <QString>

#include "platform/CodePage.h"
#include "platform/FileIcons.h"
#include "platform/Folders.h"
#include "platform/ImageList.h"
#include "platform/Log.h"
#include "platform/ShellOpen.h"
#include "richtext/controls/RichVista.h"
#include "richtext/document/RVItem.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"

namespace kc {

namespace {

constexpr int kIconSize = 32;

QString fromUtf8(const std::string &s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

bool existsOnDisk(const std::string &Path) {
  const PathKind k = KindOfPath(Path);
  return k == PathKind::File || k == PathKind::Folder;
}

// A hint shows exactly its text: a path is no markup.
QString plainHint(const std::string &Path) {
  return QStringLiteral("<p style='white-space:pre'>") + fromUtf8(Path).toHtmlEscaped() + QStringLiteral("</p>");
}

QImage fallbackPicture(const TCustomImageList *List, int Index) {
  if (List && List->ValidIndex(Index)) return List->GetImage(Index);
  QImage generic = GenericFileIcon(kIconSize);
  if (!generic.isNull()) return generic;
  QImage blank(kIconSize, kIconSize, QImage::Format_ARGB32_Premultiplied);
  blank.fill(Qt::transparent);
  return blank;
}

} // namespace

std::string OfferedFileName(const std::string &Path) {
  std::string p = Path;
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  const std::size_t slash = p.find_last_of("/\\");
  return slash == std::string::npos || slash + 1 == p.size() ? p : p.substr(slash + 1);
}

// ---------------------------------------------------------------------------
// The icon control

TOfferedFileIcon::TOfferedFileIcon(QWidget *Parent) : TKcImageControl(Parent) {
  setCursor(Qt::PointingHandCursor);
  OnClick = [](TOfferedFileIcon *Icon) { FileIconClick(Icon); };
}

void TOfferedFileIcon::SetPicture(const QImage &Picture) {
  FPicture = Picture;
  if (!FPicture.isNull()) resize(FPicture.size());
  PictureChanged();
}

void TOfferedFileIcon::SetPath(const std::string &Path) {
  FPath = Path;
  setToolTip(plainHint(Path));
  setAccessibleName(fromUtf8(OfferedFileName(Path)));
}

void TOfferedFileIcon::PaintImage(QPainter &Painter) {
  if (!FPicture.isNull()) Painter.drawImage(QPoint(0, 0), FPicture);
}

void TOfferedFileIcon::mouseReleaseEvent(QMouseEvent *Event) {
  if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()) && OnClick) {
    try {
      OnClick(this);
    } catch (const std::exception &) {
      LogCaughtException("file icon click");
    }
  }
  TKcImageControl::mouseReleaseEvent(Event);
}

// ---------------------------------------------------------------------------

bool AssignShellIcon(const std::string &Path, TOfferedFileIcon &Image) {
  const QImage icon = FileIcon(Path, kIconSize);
  if (icon.isNull()) return false;
  Image.SetPicture(icon);
  return true;
}

QImage OfferedFilePicture(const RLFile &File, const TOfferedFiles &Files, const TCustomImageList *HotImages) {
  // Only a file this copy offered is looked at: a path from the network
  // names nothing of ours.
  if (File.Mine) {
    const std::optional<std::string> local = Files.OwnLocalPath(File.Path);
    if (local && existsOnDisk(*local)) {
      const QImage icon = FileIcon(*local, kIconSize);
      if (!icon.isNull()) return icon;
    }
  }
  return fallbackPicture(HotImages, kOfferedFileFallbackImage);
}

void SetOfferedFileIcon(TOfferedFileIcon &Image, const RLFile &File, const TOfferedFiles &Files,
                        const TCustomImageList *HotImages) {
  Image.SetPicture(OfferedFilePicture(File, Files, HotImages));
}

void InsertFileIcon(const std::string &Path, TCustomRichVista &InputBox, TOfferedFiles &Files,
                    const TCustomImageList *Profiles) {
  auto *icon = new TOfferedFileIcon(&InputBox);
  icon->SetPath(Path);
  if (!AssignShellIcon(Path, *icon)) icon->SetPicture(fallbackPicture(Profiles, kInsertedFileFallbackImage));
  Files.RememberOwnPath(utf8ToAnsi(Path), Path);
  const int para = InputBox.ItemCountOf() == 1 ? -1 : 0;
  InputBox.AddControlItem(std::string(), icon, para, rvvaMiddle, 0);
  InputBox.AddTextRun(" " + utf8ToAnsi(OfferedFileName(Path)), 0);
}

void FileIconClick(QObject *Sender) {
  auto *icon = qobject_cast<TOfferedFileIcon *>(Sender);
  if (!icon || !existsOnDisk(icon->Path())) return;
  ShellOpen(icon->Path());
}

bool OpenOfferedFile(const TOfferedFiles &Files, int Index) {
  const RLFile *f = Files.Find(Index);
  if (!f || !f->Mine) return false;
  const std::optional<std::string> local = Files.OwnLocalPath(f->Path);
  if (!local || !existsOnDisk(*local)) return false;
  return ShellOpen(*local);
}

int OfferedFileIndexOfItem(const TCustomRichVista &Transcript, int ItemNo) {
  if (ItemNo < 0 || ItemNo >= Transcript.ItemCountOf()) return -1;
  if (Transcript.ItemStyleOf(ItemNo) != rvsHotPicture) return -1;
  return Transcript.GetItem(ItemNo)->Tag.AsInt();
}

} // namespace kc
