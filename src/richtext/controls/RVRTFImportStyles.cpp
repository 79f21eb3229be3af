// Choosing the text and paragraph styles of imported runs: a fixed style,
// the closest one by a weighted score, or an exact match (appended when the
// sheet has none).
#include <cmath>
#include <cstdlib>

#include "richtext/controls/RVRTFImportBuilder.h"
#include "richtext/document/CRVData.h"
#include "richtext/document/RVFuncs.h"
#include "richtext/document/RVStyle.h"

namespace kc {

namespace {

int px(int32_t twips) { return int(std::lround(twips * TRVRTFReaderProperties::TwipsToPixels)); }

bool equalNoCase(const std::string &a, const char *b) {
  size_t n = std::char_traits<char>::length(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(uint8_t(a[i])) != std::tolower(uint8_t(b[i]))) return false;
  return true;
}

template <typename... T> std::string keyOf(const T &...v) {
  std::string k;
  ((k.append(reinterpret_cast<const char *>(&v), sizeof v)), ...);
  return k;
}

int vpos(int32_t vshift) { return vshift < 0 ? 1 : (vshift > 0 ? 2 : 0); }

// The side whose border the style takes: top, else left, bottom, right.
int mainSideIndex(const TRVRTFParaBorder &b) {
  for (int i : {1, 0, 3, 2})
    if (const TRVRTFBorderSide *s = b.GetSide(i); s && s->BorderType != 0) return i;
  return -1;
}

const TRVRTFBorderSide *mainSide(const TRVRTFParaBorder &b) {
  for (int i : {1, 0, 3, 2})
    if (const TRVRTFBorderSide *s = b.GetSide(i); s && s->BorderType != 0) return s;
  return nullptr;
}

} // namespace

TRVConvertedBorder ConvertRTFBorder(uint8_t Kind, int32_t WidthTwips, bool Far) {
  const double w = WidthTwips * TRVRTFReaderProperties::TwipsToPixels;
  auto r = [](double v) { return int32_t(std::lround(v)); };
  TRVConvertedBorder c;
  auto set = [&](TRVBorderStyle st, int32_t width) {
    c.Style = st;
    c.Width = std::max<int32_t>(1, width);
  };
  switch (Kind) {
  case 0: return c;
  case 2: set(rvbSingle, r(2 * w)); break;
  case 7: set(rvbSingle, 1); break;
  case 4:
  case 22:
    set(rvbDouble, r(w));
    c.InternalWidth = 2 * c.Width - 1;
    break;
  case 11:
    set(rvbTriple, r(w));
    c.InternalWidth = 2 * c.Width - 1;
    break;
  case 12:
  case 13: // thin-thick and thick-thin, small gap
    set((Kind == 12) == Far ? rvbThickInside : rvbThickOutside, r(w / 2));
    c.InternalWidth = c.Width + (c.Width + 1) / 2;
    break;
  case 15:
  case 16:
    set((Kind == 15) == Far ? rvbThickInside : rvbThickOutside, r(w / 2));
    c.InternalWidth = 2 * c.Width + (c.Width + 1) / 2;
    break;
  case 14:
    set(rvbTriple, r(w / 3));
    c.InternalWidth = 2 * c.Width - 1;
    break;
  case 17:
    set(rvbTriple, r(w / 2));
    c.InternalWidth = 3 * c.Width - 1;
    break;
  case 18:
  case 19:
    set((Kind == 18) == Far ? rvbThickInside : rvbThickOutside, 1);
    c.InternalWidth = r(w) + 1;
    break;
  case 20:
    set(rvbTriple, 1);
    c.InternalWidth = r(w);
    break;
  default: set(rvbSingle, r(w)); break;
  }
  return c;
}

bool TRVRTFImportBuilder::CanUse(int StyleNo, bool Text) const {
  bool allow = true;
  if (P.OnCanUseStyle) P.OnCanUseStyle(P, StyleNo, Text, allow);
  return allow;
}

void TRVRTFImportBuilder::WantedTextStyle(TFontInfo &W, bool Unicode, bool Hyperlink) const {
  const TRVRTFCharProperties &cp = R.CharProps();
  const TRVRTFFont *font = R.FontList().Get(cp.FontIndex);
  if (!cp.FontName.empty()) W.FontName = cp.FontName;
  else if (font) W.FontName = font->FontName;
  else if (const TFontInfo *s0 = Style ? Style->TextStyles().GetTextStyleSafe(0) : nullptr) W.FontName = s0->FontName;
  W.Charset = font ? font->Charset : 1;
  if (equalNoCase(W.FontName, "Symbol") || equalNoCase(W.FontName, "Wingdings")) W.Charset = 2;
  W.Size = cp.SubSuperScript ? cp.Size / 2 : cp.Size;
  W.Color = cp.Color;
  W.BackColor = cp.BackColor;
  W.Style = TFontStyles(cp.Style & 15);
  W.StyleEx = TRVFontStyles();
  if (cp.StyleEx & rtf_fsAllCaps) W.StyleEx.Include(rvfsAllCaps);
  W.CharScale = cp.CharScaleX;
  W.CharSpacing = px(cp.CharSpacing);
  W.VShift = cp.SubSuperScript == 1 ? -25 : (cp.SubSuperScript == 2 ? 45 : 0);
  W.Unicode = Unicode;
  W.Jump = Hyperlink;
  W.Standard = false;
}

int TRVRTFImportBuilder::ClosestTextStyle(const TFontInfo &W) const {
  if (!Style) return 0;
  const TFontInfos &ts = Style->TextStyles();
  int best = 0;
  int64_t bestScore = 0;
  for (int i = 0; i < ts.Count(); ++i) {
    const TFontInfo *s = ts.Items(i);
    if (s->Unicode != W.Unicode) continue;
    if (W.Jump ? !s->Jump : (s->Jump && !P.UseHypertextStyles)) continue;
    if (!CanUse(i, true)) continue;
    int64_t score = 0;
    if (s->FontName == W.FontName) score += 10000;
    if (s->Charset == W.Charset) score += 50000;
    else if (s->Charset == 1 || W.Charset == 1) score += 12500;
    score += IntegerWeight(W.Size, s->Size, 10000);
    score += ColorWeight(s->Color, W.Color, 3333, 3000);
    score += ColorWeight(s->BackColor, W.BackColor, 10000, 50000);
    if (s->StyleEx.Has(rvfsAllCaps) == W.StyleEx.Has(rvfsAllCaps)) score += 50000;
    for (int bit : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
      if (((s->Style & bit) != 0) == ((W.Style & bit) != 0)) score += 50000;
    if ((s->Style == 0) == (W.Style == 0)) score += 50000;
    score += std::lround((1.0 - std::abs(double(s->CharScale) - W.CharScale) / 100.0) * 300);
    score += IntegerWeight(W.CharSpacing, s->CharSpacing, 10000);
    if (vpos(s->VShift) == vpos(W.VShift)) score += 50000;
    if (!s->StyleEx.Empty()) score /= 4;
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  return best;
}

int TRVRTFImportBuilder::ExactTextStyle(const TFontInfo &W) const {
  if (!Style) return 0;
  const TFontInfos &ts = Style->TextStyles();
  for (int i = 0; i < ts.Count(); ++i) {
    const TFontInfo *s = ts.Items(i);
    if (s->FontName == W.FontName && s->Size == W.Size && s->Color == W.Color && s->BackColor == W.BackColor &&
        s->Style == W.Style && (s->Charset == W.Charset || s->Charset == 1) && s->CharScale == W.CharScale &&
        s->CharSpacing == W.CharSpacing && W.StyleEx.Empty() && s->StyleEx.Empty() &&
        vpos(s->VShift) == vpos(W.VShift) && s->Unicode == W.Unicode &&
        (W.Jump ? s->Jump : (!s->Jump || P.UseHypertextStyles)))
      return i;
  }
  return -1;
}

int TRVRTFImportBuilder::TextStyleFor(bool Unicode, bool Hyperlink) {
  if (!Style) return 0;
  if (P.TextStyleMode == rvrsUseSpecified) return P.TextStyleNo() < Style->TextStyles().Count() ? P.TextStyleNo() : 0;
  const bool wantUnicode = Unicode || P.UnicodeMode == rvruOnlyUnicode;
  TFontInfo wanted;
  WantedTextStyle(wanted, wantUnicode, Hyperlink);
  if (P.TextStyleMode == rvrsUseClosest) {
    // The filter may answer differently each time; its answers are not kept.
    if (P.OnCanUseStyle) return ClosestTextStyle(wanted);
    const std::string key =
        wanted.FontName + '\0' +
        keyOf(wanted.Charset, wanted.Size, wanted.Color, wanted.BackColor, wanted.Style, wanted.StyleEx.Raw_(),
              wanted.CharScale, wanted.CharSpacing, wanted.VShift, wanted.Unicode, wanted.Jump);
    auto [it, added] = ClosestText.try_emplace(key, 0);
    if (added) it->second = ClosestTextStyle(wanted);
    return it->second;
  }
  if (R.FontList().Count() == 0) return 0;
  if (int i = ExactTextStyle(wanted); i >= 0) return i;
  TFontInfo *added = Style->TextStyles().Add();
  added->Assign(wanted);
  added->StyleName = wanted.StyleName;
  added->Standard = false;
  return Style->TextStyles().Count() - 1;
}

void TRVRTFImportBuilder::WantedParaStyle(const TRVRTFParaProperties &pp, TParaInfo &W) const {
  W.LeftIndent = px(pp.LeftIndent);
  W.RightIndent = px(pp.RightIndent);
  W.FirstIndent = px(pp.FirstIndent);
  W.SpaceBefore = px(pp.SpaceBefore);
  W.SpaceAfter = px(pp.SpaceAfter);
  W.Alignment = TRVAlignment(pp.Alignment <= 3 ? pp.Alignment : 0);
  W.Background.Color = pp.Color;
  W.Options.Set(rvpaoKeepLinesTogether, pp.KeepLinesTogether);
  W.Options.Set(rvpaoKeepWithNext, pp.KeepWithNext);
  if (pp.LineSpacingGiven) {
    W.LineSpacingType = rvlsPercent;
    W.LineSpacing = std::max(std::abs(pp.LineSpacing) * 100 / 240, 100);
  }
  if (pp.Border && pp.Border->IsVisible()) {
    if (const TRVRTFBorderSide *m = mainSide(*pp.Border)) {
      const int side = mainSideIndex(*pp.Border);
      const TRVConvertedBorder cb = ConvertRTFBorder(m->BorderType, m->Width, side == 2 || side == 3);
      W.Border.Style = cb.Style;
      W.Border.Color = m->Color == rtf_clNone ? clWindowText : m->Color;
      W.Border.Width = cb.Width;
      W.Border.InternalWidth = cb.InternalWidth;
      const TRVRTFBorderSide *l = pp.Border->GetSide(0), *t = pp.Border->GetSide(1), *r = pp.Border->GetSide(2),
                             *b = pp.Border->GetSide(3);
      auto shown = [](const TRVRTFBorderSide *s) { return s && s->BorderType != 0; };
      W.Border.VisibleBorders.Left = shown(l);
      W.Border.VisibleBorders.Top = shown(t);
      W.Border.VisibleBorders.Right = shown(r);
      W.Border.VisibleBorders.Bottom = shown(b);
      W.Border.BorderOffsets.Left = l ? px(l->Space) : 0;
      W.Border.BorderOffsets.Top = t ? px(t->Space) : 0;
      W.Border.BorderOffsets.Right = r ? px(r->Space) : 0;
      W.Border.BorderOffsets.Bottom = b ? px(b->Space) : 0;
    }
  }
  W.Standard = false;
}

int TRVRTFImportBuilder::ClosestParaStyle(const TRVRTFParaProperties &pp, const TParaInfo &W) const {
  if (!Style) return 0;
  const TParaInfos &ps = Style->ParaStyles();
  const bool bordered = W.Border.Style != rvbNone;
  const int bw = bordered ? W.Border.GetTotalWidth() : 0;
  int best = 0;
  int64_t bestScore = 0;
  for (int i = 0; i < ps.Count(); ++i) {
    const TParaInfo *s = ps.Items(i);
    if (!CanUse(i, false)) continue;
    int64_t score = 0;
    if (s->Alignment == W.Alignment) score += 50000;
    score += IntegerWeight(W.LeftIndent + bw, s->LeftIndent, 1000);
    score += IntegerWeight(W.RightIndent + bw, s->RightIndent, 1000);
    score += IntegerWeight(W.SpaceBefore + bw, s->SpaceBefore, 1000);
    score += IntegerWeight(W.SpaceAfter + bw, s->SpaceAfter, 1000);
    score += IntegerWeight(W.FirstIndent, s->FirstIndent, 1000);
    score += ColorWeight(s->Background.Color, W.Background.Color, 10000, 50000);
    if (s->Options.Has(rvpaoKeepLinesTogether) == W.Options.Has(rvpaoKeepLinesTogether)) score += 500;
    if (s->Options.Has(rvpaoKeepWithNext) == W.Options.Has(rvpaoKeepWithNext)) score += 500;
    if (pp.LineSpacingGiven) {
      if (s->LineSpacingType != rvlsSpaceBetween)
        score += IntegerWeight(W.LineSpacing, std::max(s->LineSpacing, 100), 5000);
      else if (s->LineSpacing >= 2) score -= 20000;
      else if (W.LineSpacing <= 100) score += 5000;
    }
    if (bordered) {
      const TRVRect &wo = W.Border.BorderOffsets, &so = s->Border.BorderOffsets;
      score += IntegerWeight(wo.Left, so.Left, 1000) + IntegerWeight(wo.Top, so.Top, 1000) +
               IntegerWeight(wo.Right, so.Right, 1000) + IntegerWeight(wo.Bottom, so.Bottom, 1000);
      const TRVBooleanRect &vis = s->Border.VisibleBorders;
      const bool shows[4] = {vis.Left, vis.Top, vis.Right, vis.Bottom};
      for (int side = 0; side < 4; ++side) {
        const TRVRTFBorderSide *rs = pp.Border->GetSide(side);
        const TRVConvertedBorder cb =
            rs ? ConvertRTFBorder(rs->BorderType, rs->Width, side >= 2) : TRVConvertedBorder();
        const bool styleShows = s->Border.Style != rvbNone && shows[side];
        if (cb.Style != rvbNone) {
          if (!styleShows) continue;
          score += IntegerWeight(cb.Width, s->Border.Width, 1000) + 5000 +
                   IntegerWeight(cb.InternalWidth, s->Border.InternalWidth, 1000) +
                   ColorWeight(s->Border.Color, rs->Color == rtf_clNone ? clWindowText : rs->Color, 3333, 3000);
          if (cb.Style == s->Border.Style) score += 1000;
        } else if (!styleShows) {
          score += 20000;
        }
      }
    } else if (s->Border.Style == rvbNone) {
      score += 20000;
    }
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  return best;
}

int TRVRTFImportBuilder::ExactParaStyle(const TParaInfo &W) const {
  if (!Style) return -1;
  const TParaInfos &ps = Style->ParaStyles();
  for (int i = 0; i < ps.Count(); ++i) {
    const TParaInfo *s = ps.Items(i);
    if (s->Alignment == W.Alignment && s->LeftIndent == W.LeftIndent && s->RightIndent == W.RightIndent &&
        s->FirstIndent == W.FirstIndent && s->SpaceBefore == W.SpaceBefore && s->SpaceAfter == W.SpaceAfter &&
        s->Background.Color == W.Background.Color && s->Options == W.Options && s->LineSpacing == W.LineSpacing &&
        s->LineSpacingType == W.LineSpacingType && s->Border.IsEqual(W.Border))
      return i;
  }
  return -1;
}

int TRVRTFImportBuilder::ParaStyleFor(const TRVRTFParaProperties &pp) {
  if (!Style) return 0;
  if (P.ParaStyleMode == rvrsUseSpecified) return P.ParaStyleNo() < Style->ParaStyles().Count() ? P.ParaStyleNo() : 0;
  TParaInfo wanted;
  WantedParaStyle(pp, wanted);
  if (P.ParaStyleMode == rvrsUseClosest) {
    if (P.OnCanUseStyle) return ClosestParaStyle(pp, wanted);
    const TRVBorder &b = wanted.Border;
    const std::string key = keyOf(wanted.LeftIndent, wanted.RightIndent, wanted.FirstIndent, wanted.SpaceBefore,
                                  wanted.SpaceAfter, wanted.Alignment, wanted.Background.Color, wanted.Options.Raw_(),
                                  wanted.LineSpacing, pp.LineSpacingGiven, b.Style, b.Color, b.Width, b.InternalWidth);
    auto [it, added] = ClosestPara.try_emplace(key, 0);
    if (added) it->second = ClosestParaStyle(pp, wanted);
    return it->second;
  }
  if (int i = ExactParaStyle(wanted); i >= 0) return i;
  TParaInfo *added = Style->ParaStyles().Add();
  added->Assign(wanted);
  added->Standard = false;
  return Style->ParaStyles().Count() - 1;
}

} // namespace kc
