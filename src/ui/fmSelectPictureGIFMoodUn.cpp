#include "ui/fmSelectPictureGIFMoodUn.h"

#include <QMessageBox>
#include <QMouseEvent>

#include "core/ConstUnit.h"
#include "core/LngUn.h"
#include "platform/CodePage.h"
#include "platform/Log.h"
#include "richtext/document/RVItem.h"
#include "ui/fmKavetChatRender.h"
#include "ui/WorkFormatTextRichVistaEditUn.h"
#include "widgets/KcGIFCtrl.h"
#include "widgets/KcPanel.h"

namespace kc {

namespace {

struct TCellLayout {
  QRect Cell, Animator;
};

// Cell in the panel and animator in the cell (left, top, width, height).
constexpr int kLayout[TfmSelectPictureGIFMood::kCount][8] = {
    {1, 1, 26, 33, 4, 4, 17, 22},    {28, 1, 32, 33, 4, 6, 23, 20},    {59, 1, 36, 33, 4, 2, 28, 28},
    {95, 1, 28, 33, 4, 2, 21, 27},   {121, 1, 32, 33, 4, 6, 24, 21},   {153, 1, 30, 33, 4, 8, 22, 18},
    {183, 1, 26, 33, 4, 8, 16, 16},  {1, 34, 42, 36, 4, 4, 33, 26},    {43, 34, 53, 36, 4, 4, 45, 30},
    {96, 34, 28, 36, 4, 4, 19, 27},  {124, 34, 66, 36, 4, 4, 57, 28},  {1, 70, 46, 24, 4, 4, 37, 15},
    {47, 70, 47, 24, 4, 4, 39, 18},  {94, 70, 34, 24, 4, 4, 26, 16},   {128, 70, 38, 24, 4, 4, 31, 20},
    {166, 70, 38, 24, 4, 2, 30, 21}, {1, 94, 70, 26, 4, 4, 61, 15},    {71, 94, 72, 26, 4, 2, 64, 22},
    {143, 94, 48, 26, 4, 4, 40, 20}, {1, 120, 58, 24, 4, 4, 50, 15},   {59, 120, 40, 24, 4, 4, 32, 18},
    {99, 120, 65, 24, 2, 0, 60, 23}, {164, 120, 24, 24, 4, 4, 15, 15},
};

TCellLayout layoutOf(int Number) {
  const int *r = kLayout[Number];
  return {QRect(r[0], r[1], r[2], r[3]), QRect(r[4], r[5], r[6], r[7])};
}

constexpr TColor kHoverColor = 0xD2BDB6;
const char *const kTagProperty = "Tag";

} // namespace

TfmSelectPictureGIFMood::TfmSelectPictureGIFMood(const TGifLoader &Loader, QWidget *Parent) : TPopupPalette(Parent) {
  setObjectName(QStringLiteral("fmSelectPictureGIFMood"));
  setAccessibleName(QStringLiteral("Animated emoticons"));
  setFixedSize(211, 146);
  ShowInformation = [this](const std::string &Text) {
    QMessageBox::information(parentWidget(), QString(), QString::fromStdString(ansiToUtf8(Text)));
  };
  Reformat = [](TCustomRichVista &Box) { Box.ReformatDocument(); };
  build(Loader);
  StopAllAnimations();
}

TfmSelectPictureGIFMood::~TfmSelectPictureGIFMood() = default;

void TfmSelectPictureGIFMood::build(const TGifLoader &Loader) {
  FPanel = new QWidget(this);
  FPanel->setObjectName(QStringLiteral("Panel1"));
  FPanel->setGeometry(rect());
  for (int n = 0; n < kCount; ++n) {
    const TCellLayout l = layoutOf(n);
    auto *cell = new TKcPanel(FPanel);
    cell->setGeometry(l.Cell);
    cell->BevelOuter = TBevelCut::bvNone;
    cell->FlatBorder = true;
    cell->FlatBorderColor = clWindow;
    cell->OnMouseEnter = [this](TKcPanel *c) { hoverCell(c, true); };
    cell->OnMouseLeave = [this](TKcPanel *c) { hoverCell(c, false); };
    FCells[std::size_t(n)] = cell;
    auto *gif = new TKcGIFAnimator(cell);
    gif->setProperty(kTagProperty, n);
    gif->setAccessibleName(QStringLiteral("Emoticon %1").arg(n));
    gif->installEventFilter(this);
    FAnimators[std::size_t(n)] = gif;
    // A picture that cannot be read leaves its cell empty: that number then
    // shows nothing anywhere.
    try {
      const QByteArray bytes = Loader ? Loader(n) : QByteArray();
      if (!bytes.isEmpty()) gif->Image().LoadFromBytes(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    } catch (const std::exception &) {
      LogCaughtException("emoticon catalogue");
      gif->Image().Clear();
    }
    gif->SetAutoSize(false);
    gif->setGeometry(l.Animator);
  }
}

TKcGIFAnimator *TfmSelectPictureGIFMood::FindAnimatorByTag(int Number) const {
  if (Number < 0 || Number >= kCount) return nullptr;
  TKcGIFAnimator *gif = FAnimators[std::size_t(Number)];
  return gif && !gif->Image().Empty() ? gif : nullptr;
}

TKcGIFAnimator *TfmSelectPictureGIFMood::FindAnimator(const TKcPanel *Cell) {
  if (!Cell) return nullptr;
  for (QObject *child : Cell->children())
    if (auto *gif = qobject_cast<TKcGIFAnimator *>(child)) return gif;
  return nullptr;
}

int TfmSelectPictureGIFMood::TagOf(const TKcGIFAnimator *Animator) const {
  for (int n = 0; n < kCount; ++n)
    if (FAnimators[std::size_t(n)] == Animator) return n;
  return -1;
}

TKcPanel *TfmSelectPictureGIFMood::Cell(int Number) const {
  return Number >= 0 && Number < kCount ? FCells[std::size_t(Number)] : nullptr;
}

void TfmSelectPictureGIFMood::StopAllAnimations() {
  for (TKcGIFAnimator *gif : FAnimators)
    if (gif) gif->SetKcxAnimate(false);
}

void TfmSelectPictureGIFMood::hoverCell(TKcPanel *Cell, bool Inside) {
  TKcGIFAnimator *gif = FindAnimator(Cell);
  if (!gif) return;
  Cell->Color = Inside ? kHoverColor : clBtnFace;
  Cell->Invalidate();
  gif->SetKcxAnimate(Inside);
}

// ---------------------------------------------------------------------------
// The palette

void TfmSelectPictureGIFMood::Popup(TCustomRichVista *Target, const QPoint &At) {
  FTarget = Target;
  ShowAt(At);
}

void TfmSelectPictureGIFMood::ClosePalette() {
  FTarget = nullptr;
  TPopupPalette::ClosePalette();
  StopAllAnimations();
}

void TfmSelectPictureGIFMood::PickEmoticon(int Number) {
  TCustomRichVista *target = FTarget.data();
  TKcGIFAnimator *source = FindAnimatorByTag(Number);
  if (!target || !source) return;
  try {
    if (TTranscriptRenderer::CountGifs(*target) >= markup::kMaxGifsPerMessage) {
      ClosePalette();
      if (ShowInformation)
        ShowInformation(
            FormatText(MessageText("NotInsertManyAnimationText"), {std::to_string(markup::kMaxGifsPerMessage)}));
      return;
    }
    auto *gif = new TKcGIFAnimator(target);
    gif->SetImage(source->Image());
    gif->setProperty(kTagProperty, Number);
    gif->SetKcxAnimate(true);
    target->AddControlItem(std::string(), gif, -1, rvvaMiddle, Number);
    if (Reformat) Reformat(*target);
    ClosePalette();
  } catch (const std::exception &) {
    LogCaughtException("emoticon pick");
    ClosePalette();
  }
}

bool TfmSelectPictureGIFMood::eventFilter(QObject *Watched, QEvent *Event) {
  const int n = TagOf(qobject_cast<TKcGIFAnimator *>(Watched));
  // A press on an emoticon is its own (it must not reach the background);
  // the release picks it.
  if (n >= 0 && Event->type() == QEvent::MouseButtonPress) return true;
  if (n >= 0 && Event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton) {
    PickEmoticon(n);
    return true;
  }
  return QWidget::eventFilter(Watched, Event);
}

void TfmSelectPictureGIFMood::hideEvent(QHideEvent *Event) {
  TPopupPalette::hideEvent(Event);
  StopAllAnimations();
}

} // namespace kc
