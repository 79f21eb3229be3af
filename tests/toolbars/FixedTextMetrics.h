#pragma once
// Text metrics that do not depend on the fonts installed, for layout tests of
// toolbars and menus, and a printer so failed QString comparisons read well.
#include <QString>
#include <ostream>

#include "toolbars/TBarCommon.h"
#include "toolbars/TBarView.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << s.toStdString(); }
QT_END_NAMESPACE

namespace kctest {

// Text 13 high without leading, 6 pixels per character.
struct FixedMetrics : kc::tb::TBTextMetrics {
  int Height() const override { return 13; }
  int ExternalLeading() const override { return 0; }
  int TextWidth(const QString &Text, bool Prefix) const override {
    return 6 * int((Prefix ? kc::tb::StripAccelChars(Text) : Text).size());
  }
};

} // namespace kctest
