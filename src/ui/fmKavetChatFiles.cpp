// The main window's offered files: files and folders put into the input box
// (the two insert actions, drops from the file manager), the confirmation of
// files another user offered, the FILETO requests, and the offered-file menu
// reached by a click on a file in a transcript.
//
// Only the request exists: no file content is ever transferred.
#include <QFileDialog>

#include <algorithm>

#include "core/SendMessageUn.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Log.h"
#include "richtext/controls/RichVistaEdit.h"
#include "toolbars/TBarPopup.h"
#include "ui/OfferedFileIconUn.h"
#include "ui/fmErrorUn.h"
#include "ui/fmInformationUn.h"
#include "ui/fmKavetChatRender.h"
#include "ui/fmKavetChatUn.h"
#include "ui/frConnectUserUn.h"
#include "widgets/KcBrowseFolder.h"
#include "widgets/KcComCtrls.h"
#include "widgets/KcDragDrop.h"

namespace kc {

using namespace kc::tb;

namespace {

// Copies a file this copy offered to the name the user chose, replacing
// what is there; the target appears whole or not at all.
bool copyOfferedFile(const std::string &Source, const std::string &Target) {
  std::string bytes, error;
  if (!ReadWholeFile(Source, bytes, &error) || !WriteFileAtomically(Target, bytes, &error)) {
    LogFailure("save as", error);
    return false;
  }
  return true;
}

} // namespace

// --- wiring -----------------------------------------------------------------

void TfmKavetChat::WireOfferedFiles() {
  OpenDialogForSend = [this] {
    std::vector<std::string> out;
    for (const QString &f : QFileDialog::getOpenFileNames(this, QStringLiteral("Insert files")))
      out.push_back(f.toStdString());
    return out;
  };
  KcSelectDirectoryForSend = [this]() -> std::optional<std::string> {
    TKcBrowseForFolderDialog dialog(this);
    dialog.Options = odBrowseForComputer | odOnlyDirectory | odStatusAvailable | odNewDialogStyle;
    dialog.Position = TKcFolderPos::fpScreenCenter;
    if (!dialog.Execute()) return std::nullopt;
    return dialog.Directory.toStdString();
  };
  SaveDialog = [this](const std::string &Suggested) -> std::optional<std::string> {
    const QString name =
        QFileDialog::getSaveFileName(this, QStringLiteral("Save as"), QString::fromStdString(Suggested));
    if (name.isEmpty()) return std::nullopt;
    return name.toStdString();
  };
  SendDatagram = [this](const std::string &Datagram) { return FHost->Net().SendText(Datagram); };
  PopupFileMenu = [this](QPoint Global) { FActions->pmFileOrFolder().Popup(Global); };

  FRenderer->OnFilesOffered = [this](const std::vector<int> &Indices, const TTalkMessage &Message) {
    ShowFileOfferConfirmation(Indices, Message);
  };

  // Files and folders dragged from the file manager onto the window.
  FDragDrop = new TKcDragDrop(this);
  FDragDrop->OnDrop = [this](TKcDragDrop *, QPoint, const QStringList &Files) {
    try {
      std::vector<std::string> paths;
      for (const QString &f : Files) paths.push_back(f.toStdString());
      InsertFiles(paths);
    } catch (...) {
      LogCaughtException("drop");
    }
  };

  TMainActionList &a = *FActions;
  // Each handler is the boundary of its user action.
  const auto guarded = [this](std::function<void(TTBCustomItem *)> Handler) {
    return [this, Handler = std::move(Handler)](TTBCustomItem *Sender) {
      try {
        Handler(Sender);
      } catch (...) {
        ApplicationEventsException(this, ExceptionMessage(std::current_exception()));
      }
    };
  };
  a.actInsertFile.OnExecute = guarded([this](TTBCustomItem *) {
    if (!GetInputBox(ActiveTab()) || !OpenDialogForSend) return;
    const std::vector<std::string> files = OpenDialogForSend();
    if (!files.empty()) InsertFiles(files);
  });
  a.actInsertFolder.OnExecute = guarded([this](TTBCustomItem *) {
    if (!GetInputBox(ActiveTab()) || !KcSelectDirectoryForSend) return;
    const std::optional<std::string> folder = KcSelectDirectoryForSend();
    if (folder && KindOfPath(*folder) == PathKind::Folder) InsertFiles({*folder});
  });
  a.actOpenFileOrFolder.OnExecute = guarded([this](TTBCustomItem *Sender) {
    if (!Sender) return;
    OpenOfferedFile(OfferedFiles, SelectedOfferedFile);
  });
  a.actSaveAsFileOrFolder.OnExecute = guarded([this](TTBCustomItem *Sender) {
    const RLFile *f = OfferedFiles.Find(SelectedOfferedFile);
    if (!Sender || !f || !f->Mine || !SaveDialog) return;
    const std::optional<std::string> local = OfferedFiles.OwnLocalPath(f->Path);
    if (!local || KindOfPath(*local) != PathKind::File) return;
    if (const std::optional<std::string> target = SaveDialog(*local)) copyOfferedFile(*local, *target);
  });
  // The file of another user: its confirmation, where it can be requested.
  a.actGetFileOrFolder.OnExecute = guarded([this](TTBCustomItem *Sender) {
    const RLFile *f = OfferedFiles.Find(SelectedOfferedFile);
    if (!Sender || !f || f->Mine) return;
    TTalkMessage from;
    from.SenderID = f->OwnerID;
    from.IP = f->OwnerIP;
    if (const int user = Users().IndexOfID(f->OwnerID); user > 0)
      if (const RUserID *r = GetUserRecord(user)) {
        from.Alias = r->ALIAS;
        from.ImageIndex = r->IMAGEINDEX;
      }
    ShowFileOfferConfirmation({SelectedOfferedFile}, from);
  });
  // Open and Save as for the own files, Get for another user's.
  a.pmFileOrFolder().OnPopup = [this] {
    const RLFile *f = OfferedFiles.Find(SelectedOfferedFile);
    FActions->actOpenFileOrFolder.SetEnabled(f && f->Mine);
    FActions->actSaveAsFileOrFolder.SetEnabled(f && f->Mine);
    FActions->actGetFileOrFolder.SetEnabled(f && !f->Mine);
  };
  for (TTBAction *act : {&a.actInsertFile, &a.actInsertFolder}) {
    act->SetVisible(true);
    act->SetEnabled(true);
  }
}

void TfmKavetChat::WireTalkFrameFiles(TfrConnectUser &Frame) {
  // Files dropped on the input box become file icons, not the files'
  // content.
  Frame.reMessage->OnDropFiles = [this](TCustomRichVistaEdit *, const std::vector<std::string> &Files,
                                        TRVDropFileAction &Action, bool &DoDefault) {
    DoDefault = false;
    Action = rvdfLink;
    InsertFiles(Files);
  };
  // A click on an offered file in the transcript opens its menu.
  QWidget *page = Frame.parentWidget();
  Frame.reAllMessage->OnRVMouseUp = [this, page](TCustomRichVista *View, TRVMouseButton Button, TRVShiftState,
                                                 int ItemNo, int X, int Y) {
    if (Button == rvmbMiddle) return;
    TranscriptItemClick(pcMain->indexOf(page), ItemNo, View->mapToGlobal(QPoint(X, Y)));
  };
}

// --- inserting --------------------------------------------------------------

void TfmKavetChat::InsertFiles(const std::vector<std::string> &Paths) {
  TCustomRichVistaEdit *box = GetInputBox(ActiveTab());
  if (!box || box->ReadOnly() || Paths.empty()) return;
  for (const std::string &path : Paths) {
    const PathKind kind = KindOfPath(path);
    if (kind != PathKind::File && kind != PathKind::Folder) continue;
    InsertFileIcon(path, *box, OfferedFiles, &ilProfilesImage);
  }
  box->ReformatDocument();
  Changed();
}

// --- the confirmation ---------------------------------------------------------

std::string TfmKavetChat::CurrentLanguagePath() const {
  TLanguageSubmenu &menu = FActions->LanguageMenu();
  for (int i = 0; i < menu.Count(); ++i)
    if (const TLanguageMenuItem item = menu.ItemAt(i); item.Checked) return item.Hint;
  return {};
}

TfmInformation *TfmKavetChat::FileOfferConfirmation(const std::string &SenderID) const {
  const auto it = FFileConfirmations.find(SenderID);
  return it == FFileConfirmations.end() ? nullptr : it->second.data();
}

int TfmKavetChat::FileOfferConfirmationCount() const {
  return int(std::count_if(FFileConfirmations.begin(), FFileConfirmations.end(),
                           [](const auto &e) { return !e.second.isNull(); }));
}

void TfmKavetChat::ShowFileOfferConfirmation(const std::vector<int> &Indices, const TTalkMessage &Message) {
  if (Indices.empty()) return;
  std::erase_if(FFileConfirmations, [](const auto &e) { return e.second.isNull(); });
  TfmInformation *dialog = FileOfferConfirmation(Message.SenderID);
  if (!dialog) {
    // A peer that makes up a new sender for every message opens no more
    // than this many windows.
    if (int(FFileConfirmations.size()) >= kMaxFileConfirmations) return;
    dialog = new TfmInformation(FKey, this);
    dialog->setWindowFlag(Qt::Dialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->LanguageFile = CurrentLanguagePath();
    if (FActions->tbOptions) dialog->OptionsCaption = FActions->tbOptions->Caption();
    dialog->SetPage(TfmInformation::kPageSendFile);
    dialog->SetUserName(Message.Alias);
    dialog->SetUserIP(Message.IP);
    dialog->SetPicture(&ilProfilesImage, Message.ImageIndex);
    dialog->OnAcceptFiles = [this](const std::vector<int> &Files, const std::string &) { SendFileRequests(Files); };
    FFileConfirmations[Message.SenderID] = dialog;
  }
  for (int index : Indices)
    if (const RLFile *f = OfferedFiles.Find(index)) {
      if (!dialog->AddOfferedFileNode(index, *f)) break;
    }
  if (dialog->FileCount() == 0) {
    dialog->close();
    return;
  }
  // Never modal and never taking the keys the user is typing; showing
  // reads its texts.
  if (!dialog->isVisible()) dialog->ShowQuietly();
}

// --- requests -----------------------------------------------------------------

bool TfmKavetChat::SendFileRequest(int Index) {
  const RLFile *f = OfferedFiles.Find(Index);
  const RUserID *me = GetUserRecord(0);
  if (!f || !me || !SendDatagram) return false;
  return SendDatagram(FileToText(std::to_string(Index), f->Path, f->OwnerID, f->OwnerIP, me->ID, me->IP));
}

void TfmKavetChat::SendFileRequests(const std::vector<int> &Indices) {
  // Bounded by the confirmation's list.
  for (int index : Indices) SendFileRequest(index);
}

// --- the offered-file menu ------------------------------------------------------

void TfmKavetChat::TranscriptItemClick(int Tab, int ItemNo, QPoint Global) {
  const TCustomRichVistaEdit *view = GetTranscriptView(Tab);
  if (!view) return;
  const int index = OfferedFileIndexOfItem(*view, ItemNo);
  if (!OfferedFiles.Find(index)) return;
  SelectedOfferedFile = index;
  if (PopupFileMenu) PopupFileMenu(Global);
}

} // namespace kc
