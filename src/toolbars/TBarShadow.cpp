#include "toolbars/TBarShadow.h"

#include <QCoreApplication>
#include <QPainter>

#include <memory>
#include <utility>
#include <vector>

namespace kc::tb {

namespace {

// Enough for a few open menu levels, each with its own and its opener's
// shadows.
constexpr size_t kKeptShadows = 8;

// The kept windows go before the application does: a widget may not
// outlive it. Never destroyed itself, so that a program leaving without
// taking its application down does not free widgets after Qt is gone.
std::vector<std::unique_ptr<TShadow>> &Kept() {
  static auto *kept = new std::vector<std::unique_ptr<TShadow>>;
  return *kept;
}
bool g_dropRegistered = false;

void DropKept() {
  Kept().clear();
  g_dropRegistered = false;
}

} // namespace

TShadow::TShadow(bool Translucent)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint),
      translucent_(Translucent) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  // Translucency has to be asked for before the window exists.
  if (translucent_) setAttribute(Qt::WA_TranslucentBackground);
  else setAttribute(Qt::WA_NoSystemBackground);
}

void TShadow::Place(const QRect &ScreenRect, const TShadowStrip &Strip) {
  strip_ = Strip;
  place_ = ScreenRect;
  Forget();
  setGeometry(ScreenRect);
}

bool TShadow::ShowOver(const QImage &Beneath) {
  if (translucent_) {
    picture_ = TranslucentShadowStrip(place_.size(), strip_);
  } else {
    picture_ = Beneath;
    DarkenShadowStrip(picture_, strip_);
  }
  if (picture_.isNull()) return false;
  // The window system may still have been reporting where the window stood
  // for its last popup while the picture was taken.
  if (geometry() != place_) setGeometry(place_);
  show();
  return true;
}

void TShadow::paintEvent(QPaintEvent *) {
  QPainter p(this);
  if (translucent_) {
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(rect(), picture_);
    return;
  }
  // The copy carries its device pixel ratio, so it covers the window one
  // device pixel to one.
  p.drawImage(QPoint(0, 0), picture_);
}

void TShadowRelease::operator()(TShadow *Shadow) const {
  std::unique_ptr<TShadow> owned(Shadow);
  if (!owned) return;
  owned->hide();
  owned->Forget();
  if (!QCoreApplication::instance() || Kept().size() >= kKeptShadows) return;
  if (!g_dropRegistered) {
    qAddPostRoutine(DropKept);
    g_dropRegistered = true;
  }
  Kept().push_back(std::move(owned));
}

TShadowPtr TakeShadow(const QRect &ScreenRect, const TShadowStrip &Strip, bool Translucent) {
  std::vector<std::unique_ptr<TShadow>> &kept = Kept();
  // Kept windows of the other kind were made before a compositor came or
  // went: they will not be asked for again.
  std::erase_if(kept, [&](const std::unique_ptr<TShadow> &s) { return s->Translucent() != Translucent; });
  TShadowPtr shadow;
  if (!kept.empty()) {
    shadow.reset(kept.back().release());
    kept.pop_back();
  } else {
    shadow.reset(new TShadow(Translucent));
  }
  shadow->Place(ScreenRect, Strip);
  return shadow;
}

int KeptShadowCount() { return int(Kept().size()); }

} // namespace kc::tb
