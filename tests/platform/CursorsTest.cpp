#include "platform/Cursors.h"

#include <gtest/gtest.h>

using namespace kc;

TEST(Cursors, BuiltInNumbersShowTheirShapesAndKeepTheirNames) {
  struct {
    TCursor Id;
    Qt::CursorShape Shape;
    const char *Ident;
  } const cases[] = {
      {crDefault, Qt::ArrowCursor, "crDefault"},
      {crNone, Qt::BlankCursor, "crNone"},
      {crArrow, Qt::ArrowCursor, "crArrow"},
      {crIBeam, Qt::IBeamCursor, "crIBeam"},
      {crSizeNS, Qt::SizeVerCursor, "crSizeNS"},
      {crSizeWE, Qt::SizeHorCursor, "crSizeWE"},
      {crHourGlass, Qt::WaitCursor, "crHourGlass"},
      {crNoDrop, Qt::ForbiddenCursor, "crNoDrop"},
      {crHSplit, Qt::SplitHCursor, "crHSplit"},
      {crVSplit, Qt::SplitVCursor, "crVSplit"},
      {crHandPoint, Qt::PointingHandCursor, "crHandPoint"},
      {crSizeAll, Qt::SizeAllCursor, "crSizeAll"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(screenCursorImage(c.Id).shape, c.Shape) << c.Ident;
    std::string ident;
    ASSERT_TRUE(cursorToIdent(c.Id, ident));
    EXPECT_EQ(ident, c.Ident);
    TCursor back = 1;
    ASSERT_TRUE(identToCursor(c.Ident, back));
    EXPECT_EQ(back, c.Id);
  }
  TCursor any = 7;
  EXPECT_TRUE(identToCursor("CRHANDPOINT", any));
  EXPECT_EQ(any, crHandPoint);
  std::string ident = "kept";
  EXPECT_FALSE(cursorToIdent(-5, ident));
  EXPECT_FALSE(cursorToIdent(101, ident));
  EXPECT_EQ(ident, "kept");
  EXPECT_FALSE(identToCursor("crJump", any));
  EXPECT_EQ(any, crHandPoint);
}

TEST(Cursors, RegisteredNumbersAndTheirRemoval) {
  const TCursor id = 3000;
  EXPECT_EQ(screenCursorImage(id).shape, Qt::ArrowCursor);
  setScreenCursor(id, CursorImage{Qt::CrossCursor, {}, {}});
  EXPECT_EQ(screenCursorImage(id).shape, Qt::CrossCursor);
  EXPECT_EQ(screenCursor(id).shape(), Qt::CrossCursor);
  // A resource that is missing takes the registration away.
  setScreenCursor(id, loadCursorResource("NO_SUCH_CURSOR"));
  EXPECT_EQ(screenCursorImage(id).shape, Qt::ArrowCursor);
  // The built-in numbers stay what they are.
  setScreenCursor(crIBeam, CursorImage{Qt::CrossCursor, {}, {}});
  EXPECT_EQ(screenCursorImage(crIBeam).shape, Qt::IBeamCursor);
}

TEST(Cursors, ResourceImagesHaveTheirHotSpotOnAPaintedPixel) {
  for (const char *name : {"RV_JUMP_CURSOR", "RV_FLIPARROW_CURSOR", "RV_SELECTCOL_CURSOR", "RV_SELECTROW_CURSOR"}) {
    std::optional<CursorImage> c = loadCursorResource(name);
    ASSERT_TRUE(c.has_value()) << name;
    EXPECT_EQ(c->shape, Qt::BitmapCursor);
    ASSERT_TRUE(c->image.rect().contains(c->hotSpot)) << name;
    EXPECT_EQ(qAlpha(c->image.pixel(c->hotSpot)), 255) << name;
    setScreenCursor(3001, c);
    QCursor q = screenCursor(3001);
    EXPECT_EQ(q.shape(), Qt::BitmapCursor) << name;
    EXPECT_EQ(q.hotSpot(), c->hotSpot) << name;
  }
  EXPECT_TRUE(loadCursorResource("rv_jump_cursor").has_value());
  ASSERT_TRUE(systemHandCursor().has_value());
  EXPECT_EQ(systemHandCursor()->shape, Qt::PointingHandCursor);
}
