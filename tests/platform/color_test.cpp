// The ACI palette (COLORREF 0x00BBGGRR), colour methods and transparency.
#include <gtest/gtest.h>

#include "arx/dbcolor.h"

namespace {

// COLORREF of r, g, b written out by hand: 0x00BBGGRR.
constexpr COLORREF ref(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

TEST(AciPalette, StandardColoursAreTheNamedOnes) {
  EXPECT_EQ(acedGetRGB(1), 0x000000FFu) << "red";
  EXPECT_EQ(acedGetRGB(2), 0x0000FFFFu) << "yellow";
  EXPECT_EQ(acedGetRGB(3), 0x0000FF00u) << "green";
  EXPECT_EQ(acedGetRGB(4), 0x00FFFF00u) << "cyan";
  EXPECT_EQ(acedGetRGB(5), 0x00FF0000u) << "blue";
  EXPECT_EQ(acedGetRGB(6), 0x00FF00FFu) << "magenta";
  EXPECT_EQ(acedGetRGB(7), 0x00FFFFFFu) << "white";
  EXPECT_EQ(acedGetRGB(8), ref(128, 128, 128));
  EXPECT_EQ(acedGetRGB(9), ref(192, 192, 192));
}

TEST(AciPalette, HueShadesMatchThePublishedTable) {
  // Entries from the published ACI table.
  EXPECT_EQ(acedGetRGB(10), ref(255, 0, 0));
  EXPECT_EQ(acedGetRGB(11), ref(255, 127, 127));
  EXPECT_EQ(acedGetRGB(12), ref(204, 0, 0));
  EXPECT_EQ(acedGetRGB(17), ref(127, 63, 63));
  EXPECT_EQ(acedGetRGB(19), ref(76, 38, 38));
  EXPECT_EQ(acedGetRGB(21), ref(255, 159, 127));
  EXPECT_EQ(acedGetRGB(25), ref(153, 95, 76));
  EXPECT_EQ(acedGetRGB(35), ref(153, 114, 76));
  EXPECT_EQ(acedGetRGB(44), ref(153, 114, 0));
  EXPECT_EQ(acedGetRGB(47), ref(127, 111, 63));
  EXPECT_EQ(acedGetRGB(49), ref(76, 66, 38));
  EXPECT_EQ(acedGetRGB(60), ref(191, 255, 0));
  EXPECT_EQ(acedGetRGB(130), ref(0, 255, 255));
  EXPECT_EQ(acedGetRGB(170), ref(0, 0, 255));
  EXPECT_EQ(acedGetRGB(210), ref(255, 0, 255));
}

TEST(AciPalette, GreysAndOutOfRange) {
  const unsigned greys[6] = {51, 91, 132, 173, 214, 255};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(acedGetRGB(250 + i), ref(greys[i], greys[i], greys[i])) << 250 + i;
  EXPECT_EQ(acedGetRGB(-1), 0u);
  EXPECT_EQ(acedGetRGB(256), 0u);
  EXPECT_EQ(acedGetRGB(0), 0u) << "ByBlock has no colour of its own";
}

TEST(CmColor, TrueColourKeepsRgbAndReportsTheNearestIndex) {
  AcCmColor c;
  c.setRGB(250, 3, 2);
  EXPECT_TRUE(c.isByColor());
  EXPECT_EQ(c.colorMethod(), 0xC2);
  EXPECT_EQ(c.red(), 250);
  EXPECT_EQ(c.green(), 3);
  EXPECT_EQ(c.blue(), 2);
  EXPECT_EQ(c.colorIndex(), 1) << "nearest to red; the lower index wins the tie with 10";
  c.setRGB(128, 128, 128);
  EXPECT_EQ(c.colorIndex(), 8);
  c.setRGB(0, 0, 250);
  EXPECT_EQ(c.colorIndex(), 5);
  EXPECT_EQ(c.color(), 0xC2000000u | 0x0000FAu);
}

TEST(CmTransparency, AlphaFromAPercentage) {
  AcCmTransparency t;
  // The plug-in's rule for 100 % opacity: trunc(100 x 254 / 100 + 0.5).
  t.setAlpha(static_cast<Adesk::UInt8>(100 * 254 / 100.0 + 0.5));
  EXPECT_TRUE(t.isByAlpha());
  EXPECT_EQ(t.alpha(), 254);
  EXPECT_EQ(t.serializeOut(), 0x020000FEu);
  AcCmTransparency u;
  u.serializeIn(0x02000033u);
  EXPECT_EQ(u.alpha(), 0x33);
  u.serializeIn(0x01000000u);
  EXPECT_TRUE(u.isByBlock());
  EXPECT_EQ(u.alpha(), 255);
  AcCmTransparency half(0.5);
  EXPECT_EQ(half.alpha(), 128) << "trunc(0.5 x 255 + 0.5)";
  AcCmTransparency clear(static_cast<Adesk::UInt8>(0));
  EXPECT_TRUE(clear.isClear());
}

}  // namespace
