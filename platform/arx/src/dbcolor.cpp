// Colours, transparency and the ACI palette.
#include <array>
#include <cmath>
#include <limits>

#include "arx/dbcolor.h"

namespace {

struct Rgb {
  unsigned char r, g, b;
};

// The standard ACI table. Entries 10..249: hue group h = (i - 10) / 10 at h x 15 degrees; the
// even entry of each pair is the full-saturation colour at one of five shade levels, the odd
// entry the same shade at half saturation; components are truncated.
constexpr Rgb aciEntry(int i) {
  constexpr Rgb kFixed[10] = {{0, 0, 0},     {255, 0, 0},   {255, 255, 0}, {0, 255, 0},     {0, 255, 255},
                              {0, 0, 255},   {255, 0, 255}, {255, 255, 255}, {128, 128, 128}, {192, 192, 192}};
  constexpr unsigned char kGreys[6] = {51, 91, 132, 173, 214, 255};
  if (i < 10) return kFixed[i];
  if (i >= 250) return {kGreys[i - 250], kGreys[i - 250], kGreys[i - 250]};
  constexpr double kLevels[5] = {255, 204, 153, 127, 76};
  const int hueStep = (i - 10) / 10;     // 0..23
  const int pair = ((i - 10) % 10) / 2;  // shade level 0..4
  const bool half = ((i - 10) % 2) == 1;
  // Full-saturation RGB (0..1) of hue hueStep x 15 degrees.
  const double hue = hueStep * 15.0;
  const int sector = static_cast<int>(hue / 60.0);
  const double f = (hue - sector * 60.0) / 60.0;
  double c[3] = {0, 0, 0};
  switch (sector) {
    case 0: c[0] = 1; c[1] = f; c[2] = 0; break;
    case 1: c[0] = 1 - f; c[1] = 1; c[2] = 0; break;
    case 2: c[0] = 0; c[1] = 1; c[2] = f; break;
    case 3: c[0] = 0; c[1] = 1 - f; c[2] = 1; break;
    case 4: c[0] = f; c[1] = 0; c[2] = 1; break;
    default: c[0] = 1; c[1] = 0; c[2] = 1 - f; break;
  }
  unsigned char out[3] = {0, 0, 0};
  for (int k = 0; k < 3; ++k) {
    double v = half ? 0.5 + c[k] / 2.0 : c[k];
    out[k] = static_cast<unsigned char>(kLevels[pair] * v);
  }
  return {out[0], out[1], out[2]};
}

constexpr std::array<Rgb, 256> makePalette() {
  std::array<Rgb, 256> p{};
  for (int i = 0; i < 256; ++i) p[static_cast<std::size_t>(i)] = aciEntry(i);
  return p;
}

constexpr std::array<Rgb, 256> kPalette = makePalette();

static_assert(kPalette[21].r == 255 && kPalette[21].g == 159 && kPalette[21].b == 127, "ACI 21");

}  // namespace

// ------------------------------------------------------------------------ entity colour

AcCmEntityColor::AcCmEntityColor(ColorMethod method) { setColorMethod(method); }

AcCmEntityColor::AcCmEntityColor(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue) { setRGB(red, green, blue); }

void AcCmEntityColor::setColorMethod(ColorMethod method) {
  method_ = method;
  switch (method) {
    case kByLayer: index_ = kACIbyLayer; break;
    case kByBlock: index_ = kACIbyBlock; break;
    case kForeground: index_ = kACIforeground; break;
    case kNone: index_ = kACInone; break;
    case kByACI:
      if (index_ < 1 || index_ > 255) index_ = kACIforeground;
      break;
    default: break;
  }
}

bool AcCmEntityColor::setColorIndex(Adesk::Int16 index) {
  if (index < 0 || index > kACInone) return false;
  if (index == kACIbyBlock) {
    setColorMethod(kByBlock);
  } else if (index == kACIbyLayer) {
    setColorMethod(kByLayer);
  } else if (index == kACInone) {
    setColorMethod(kNone);
  } else {
    method_ = kByACI;
    index_ = index;
  }
  r_ = g_ = b_ = 0;
  return true;
}

Adesk::Int16 AcCmEntityColor::colorIndex() const {
  if (method_ == kByColor) return lookUpACI(r_, g_, b_);
  return index_;
}

void AcCmEntityColor::setRGB(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue) {
  method_ = kByColor;
  r_ = red;
  g_ = green;
  b_ = blue;
  index_ = 0;
}

Adesk::UInt8 AcCmEntityColor::red() const {
  if (method_ == kByColor) return r_;
  if (method_ == kByACI || method_ == kForeground || method_ == kByPen) return static_cast<Adesk::UInt8>(lookUpRGB(static_cast<Adesk::UInt8>(index_)) >> 16);
  return 0;
}

Adesk::UInt8 AcCmEntityColor::green() const {
  if (method_ == kByColor) return g_;
  if (method_ == kByACI || method_ == kForeground || method_ == kByPen) return static_cast<Adesk::UInt8>(lookUpRGB(static_cast<Adesk::UInt8>(index_)) >> 8);
  return 0;
}

Adesk::UInt8 AcCmEntityColor::blue() const {
  if (method_ == kByColor) return b_;
  if (method_ == kByACI || method_ == kForeground || method_ == kByPen) return static_cast<Adesk::UInt8>(lookUpRGB(static_cast<Adesk::UInt8>(index_)));
  return 0;
}

Adesk::UInt32 AcCmEntityColor::color() const {
  Adesk::UInt32 payload = method_ == kByColor ? (static_cast<Adesk::UInt32>(r_) << 16 | static_cast<Adesk::UInt32>(g_) << 8 | b_)
                                              : static_cast<Adesk::UInt32>(static_cast<Adesk::UInt16>(index_));
  return static_cast<Adesk::UInt32>(method_) << 24 | payload;
}

Adesk::Int16 AcCmEntityColor::lookUpACI(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue) {
  int best = 1;
  long bestDist = std::numeric_limits<long>::max();
  for (int i = 1; i <= 255; ++i) {
    const Rgb& e = kPalette[static_cast<std::size_t>(i)];
    long dr = e.r - red, dg = e.g - green, db = e.b - blue;
    long d = dr * dr + dg * dg + db * db;
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return static_cast<Adesk::Int16>(best);
}

Adesk::UInt32 AcCmEntityColor::lookUpRGB(Adesk::UInt8 colorIndex) {
  const Rgb& e = kPalette[colorIndex];
  return static_cast<Adesk::UInt32>(e.r) << 16 | static_cast<Adesk::UInt32>(e.g) << 8 | e.b;
}

bool AcCmEntityColor::operator==(const AcCmEntityColor& o) const {
  if (method_ != o.method_) return false;
  if (method_ == kByColor) return r_ == o.r_ && g_ == o.g_ && b_ == o.b_;
  return index_ == o.index_;
}

// ------------------------------------------------------------------------------ colour

bool AcCmColor::setColorIndex(Adesk::UInt16 index) {
  if (index > AcCmEntityColor::kACInone) return false;
  colorName_.clear();
  bookName_.clear();
  return color_.setColorIndex(static_cast<Adesk::Int16>(index));
}

void AcCmColor::setNames(const std::u16string& colorName, const std::u16string& bookName) {
  colorName_ = colorName;
  bookName_ = bookName;
}

// ------------------------------------------------------------------------ transparency

AcCmTransparency::AcCmTransparency(double alphaPercent) { setAlphaPercent(alphaPercent); }

void AcCmTransparency::setMethod(transparencyMethod method) {
  method_ = method;
  if (method != kByAlpha) alpha_ = 255;
}

void AcCmTransparency::setAlphaPercent(double alphaPercent) {
  if (!(alphaPercent >= 0.0)) alphaPercent = 0.0;  // NaN and negatives are clear
  if (alphaPercent > 1.0) alphaPercent = 1.0;
  setAlpha(static_cast<Adesk::UInt8>(std::trunc(alphaPercent * 255.0 + 0.5)));
}

Adesk::UInt32 AcCmTransparency::serializeOut() const {
  switch (method_) {
    case kByLayer: return 0;
    case kByBlock: return 0x01000000u;
    case kByAlpha: return 0x02000000u | alpha_;
    case kErrorValue: return 0x03000000u;
  }
  return 0;
}

void AcCmTransparency::serializeIn(Adesk::UInt32 value) {
  switch (value >> 24) {
    case 0: setMethod(kByLayer); break;
    case 1: setMethod(kByBlock); break;
    case 2: setAlpha(static_cast<Adesk::UInt8>(value & 0xFF)); break;
    default: method_ = kErrorValue; alpha_ = 255; break;
  }
}

COLORREF acedGetRGB(int colorIndex) {
  if (colorIndex < 0 || colorIndex > 255) return 0;
  const Rgb& e = kPalette[static_cast<std::size_t>(colorIndex)];
  return static_cast<COLORREF>(e.r) | static_cast<COLORREF>(e.g) << 8 | static_cast<COLORREF>(e.b) << 16;
}
