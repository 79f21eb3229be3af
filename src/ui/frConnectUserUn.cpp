#include "ui/frConnectUserUn.h"

#include <QResizeEvent>

#include <algorithm>

#include "richtext/controls/RichVistaEdit.h"
#include "toolbars/TBarDock.h"
#include "toolbars/TBarToolbar.h"
#include "widgets/KcAlign.h"
#include "widgets/KcSplit.h"

namespace kc {

using namespace kc::tb;

namespace {

// A toolbar on a dock of its own that holds only it, so that the bar sits
// where the frame places the dock and cannot be dragged away.
TTBToolbar *dockedToolbar(QWidget *Parent, TTBDock *&Dock, const char *Name, int Tag) {
  Dock = new TTBDock(Parent, dpTop);
  Dock->setObjectName(QString::fromLatin1(Name) + QStringLiteral("Dock"));
  Dock->SetAllowDrag(false);
  Dock->SetLimitToOneRow(true);
  auto *bar = new TTBToolbar(Parent);
  bar->setObjectName(QString::fromLatin1(Name));
  bar->setAccessibleName(QString::fromLatin1(Name));
  bar->setProperty("Tag", Tag);
  bar->SetHideWhenInactive(false);
  bar->SetCurrentDock(Dock);
  return bar;
}

} // namespace

TfrConnectUser::TfrConnectUser(QWidget *Parent, TRVStyle &Style, const TTalkFrame &F) : QWidget(Parent), Fields(F) {
  setObjectName(QStringLiteral("frConnectUser"));
  resize(Parent ? Parent->size() : QSize(467, 277));

  tbGroupUser = dockedToolbar(this, dkGroupUser, "tbGroupUser", 1);
  SetAlign(dkGroupUser, TAlign::alTop);
  dkGroupUser->setVisible(false);

  pnBottomPanel = new QWidget(this);
  pnBottomPanel->setObjectName(QStringLiteral("pnBottomPanel"));
  pnBottomPanel->resize(width(), 77);
  pnBottomPanel->move(0, height() - 77);
  SetAlign(pnBottomPanel, TAlign::alBottom);

  pnTopPanel = new QWidget(this);
  pnTopPanel->setObjectName(QStringLiteral("pnTopPanel"));
  SetAlign(pnTopPanel, TAlign::alClient);

  KcxSplitter1 = new TKcxSplitter(this);
  KcxSplitter1->setObjectName(QStringLiteral("KcxSplitter1"));
  KcxSplitter1->SetControlFirst(pnTopPanel);
  KcxSplitter1->SetControlSecond(pnBottomPanel);
  KcxSplitter1->SetAlign(TAlign::alBottom);
  KcxSplitter1->SetBevelOuter(TBevelCut::bvLowered);
  KcxSplitter1->resize(width(), 3);

  reAllMessage = new TRichVistaEdit(pnTopPanel);
  reAllMessage->setObjectName(QStringLiteral("reAllMessage"));
  reAllMessage->setAccessibleName(QStringLiteral("Transcript"));
  reAllMessage->SetStyle(&Style);
  reAllMessage->SetReadOnly(true);
  SetAlign(reAllMessage, TAlign::alClient);

  tbSendMessage = dockedToolbar(pnBottomPanel, dkSendMessage, "tbSendMessage", 2);
  SetAlign(dkSendMessage, TAlign::alTop);
  reMessage = new TRichVistaEdit(pnBottomPanel);
  reMessage->setObjectName(QStringLiteral("reMessage"));
  reMessage->setAccessibleName(QStringLiteral("Message"));
  reMessage->SetStyle(&Style);
  SetAlign(reMessage, TAlign::alClient);

  KcxSplitter1->OnPosChanged = [this](TKcxSplitter *) {
    if (OnInputHeightChanged) OnInputHeightChanged(pnBottomPanel->height());
  };
  if (Fields.TalkKind == tkOwnGroup) UpdateMemberToolbarVisibility();
}

int TfrConnectUser::InputAreaHeight(int Stored, int FrameHeight) {
  return std::max(kMinInputHeight, std::min(Stored, FrameHeight - kTranscriptReserve));
}

int TfrConnectUser::InputHeight() const { return pnBottomPanel->height(); }

void TfrConnectUser::SetInputHeight(int Height) {
  pnBottomPanel->resize(pnBottomPanel->width(), Height);
  if (TKcAlignLayout *l = AlignLayoutOf(this)) l->Realign();
}

void TfrConnectUser::UpdateMemberToolbarVisibility() {
  dkGroupUser->setVisible(tbGroupUser->Items()->Count() > 0);
  if (TKcAlignLayout *l = AlignLayoutOf(this)) l->Realign();
}

void TfrConnectUser::resizeEvent(QResizeEvent *Event) { QWidget::resizeEvent(Event); }

} // namespace kc
