// Colours and transparency of entities and layers: AcCmEntityColor, AcCmColor,
// AcCmTransparency, and the AutoCAD Color Index palette behind acedGetRGB.
//
// Models:
//   - a colour is one of: ByLayer (method 0xC0, index 256), ByBlock (0xC1, index 0), an ACI
//     index 1..255 (0xC3), a true colour r,g,b (0xC2), foreground (0xC5), none (0xC8);
//   - a default-constructed colour is ByLayer;
//   - colorIndex() of a true colour is the nearest palette entry 1..255 (an exact entry wins,
//     ties go to the lower index); red()/green()/blue() of an ACI colour are its palette
//     entry; ByLayer and ByBlock have no RGB of their own and report 0, 0, 0;
//   - the palette is the standard 256-entry ACI table: 1 red, 2 yellow, 3 green, 4 cyan,
//     5 blue, 6 magenta, 7 white, 8 (128,128,128), 9 (192,192,192), 10-249 24 hues in steps of
//     15 degrees, each with five shades (255, 204, 153, 127, 76) at full and half saturation,
//     250-255 greys 51, 91, 132, 173, 214, 255; entry 0 (ByBlock) is black;
//   - acedGetRGB(index) returns the entry as a COLORREF 0x00BBGGRR, 0 for an index outside
//     0..255;
//   - a transparency is ByLayer (default), ByBlock or ByAlpha with alpha 0 (clear) .. 255
//     (opaque); alpha() of ByLayer and ByBlock is 255 (they do not make anything see-through
//     on their own); serializeOut() is the drawing-file form: method << 24 | alpha for
//     ByAlpha (0x020000xx), 0x01000000 for ByBlock, 0 for ByLayer.
// Limitations: no colour books (names are stored, not looked up), no pen or layer-off
// methods beyond storing them, no dithering.
#pragma once

#include <string>

#include "arx/adesk.h"
#include "win32/types.h"

using COLORREF = DWORD;

class AcCmEntityColor {
 public:
  enum ColorMethod {
    kByLayer = 0xC0,
    kByBlock = 0xC1,
    kByColor = 0xC2,
    kByACI = 0xC3,
    kByPen = 0xC4,
    kForeground = 0xC5,
    kLayerOff = 0xC6,
    kLayerFrozen = 0xC7,
    kNone = 0xC8,
  };
  enum ACIcolorMethod {
    kACIbyBlock = 0,
    kACIRed = 1,
    kACIYellow = 2,
    kACIGreen = 3,
    kACICyan = 4,
    kACIBlue = 5,
    kACIMagenta = 6,
    kACIforeground = 7,
    kACIWhite = 7,
    kACImaxvalue = 255,
    kACIbyLayer = 256,
    kACInone = 257,
  };

  AcCmEntityColor() = default;
  explicit AcCmEntityColor(ColorMethod method);
  AcCmEntityColor(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue);

  ColorMethod colorMethod() const { return method_; }
  void setColorMethod(ColorMethod method);
  bool isByLayer() const { return method_ == kByLayer; }
  bool isByBlock() const { return method_ == kByBlock; }
  bool isByColor() const { return method_ == kByColor; }
  bool isByACI() const { return method_ == kByACI; }
  bool isForeground() const { return method_ == kForeground; }
  bool isNone() const { return method_ == kNone; }

  // 0 -> ByBlock, 256 -> ByLayer, 7 stays ACI 7, 1..255 ACI, 257 -> none; other values are
  // refused (false, nothing changed).
  bool setColorIndex(Adesk::Int16 index);
  Adesk::Int16 colorIndex() const;
  void setRGB(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue);
  Adesk::UInt8 red() const;
  Adesk::UInt8 green() const;
  Adesk::UInt8 blue() const;
  // Packed method << 24 | payload (index or 0xRRGGBB), the form drawing files use.
  Adesk::UInt32 color() const;

  // Nearest palette entry 1..255 to r,g,b.
  static Adesk::Int16 lookUpACI(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue);
  // Palette entry 0..255 as 0x00RRGGBB.
  static Adesk::UInt32 lookUpRGB(Adesk::UInt8 colorIndex);

  bool operator==(const AcCmEntityColor& o) const;
  bool operator!=(const AcCmEntityColor& o) const { return !(*this == o); }

 private:
  ColorMethod method_ = kByLayer;
  Adesk::Int16 index_ = kACIbyLayer;
  Adesk::UInt8 r_ = 0, g_ = 0, b_ = 0;
};

class AcCmColor {
 public:
  AcCmColor() = default;

  AcCmEntityColor::ColorMethod colorMethod() const { return color_.colorMethod(); }
  void setColorMethod(AcCmEntityColor::ColorMethod method) { color_.setColorMethod(method); }
  bool isByLayer() const { return color_.isByLayer(); }
  bool isByBlock() const { return color_.isByBlock(); }
  bool isByColor() const { return color_.isByColor(); }
  bool isByACI() const { return color_.isByACI(); }
  bool isForeground() const { return color_.isForeground(); }
  bool isNone() const { return color_.isNone(); }

  // See AcCmEntityColor::setColorIndex; false for an index outside 0..257.
  bool setColorIndex(Adesk::UInt16 index);
  Adesk::UInt16 colorIndex() const { return static_cast<Adesk::UInt16>(color_.colorIndex()); }
  void setRGB(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue) { color_.setRGB(red, green, blue); }
  Adesk::UInt8 red() const { return color_.red(); }
  Adesk::UInt8 green() const { return color_.green(); }
  Adesk::UInt8 blue() const { return color_.blue(); }
  Adesk::UInt32 color() const { return color_.color(); }
  const AcCmEntityColor& entityColor() const { return color_; }

  // Colour-book names, kept as given (drawing files carry them).
  void setNames(const std::u16string& colorName, const std::u16string& bookName = u"");
  const std::u16string& colorName() const { return colorName_; }
  const std::u16string& bookName() const { return bookName_; }

  bool operator==(const AcCmColor& o) const { return color_ == o.color_; }
  bool operator!=(const AcCmColor& o) const { return !(*this == o); }

 private:
  AcCmEntityColor color_;
  std::u16string colorName_;
  std::u16string bookName_;
};

class AcCmTransparency {
 public:
  enum transparencyMethod { kByLayer = 0, kByBlock = 1, kByAlpha = 2, kErrorValue = 3 };

  AcCmTransparency() = default;
  explicit AcCmTransparency(Adesk::UInt8 alpha) : method_(kByAlpha), alpha_(alpha) {}
  // alphaPercent 0.0 (clear) .. 1.0 (opaque), clamped; alpha = trunc(percent x 255 + 0.5).
  explicit AcCmTransparency(double alphaPercent);

  transparencyMethod method() const { return method_; }
  void setMethod(transparencyMethod method);
  void setAlpha(Adesk::UInt8 alpha) { method_ = kByAlpha; alpha_ = alpha; }
  // The alpha of ByAlpha; 255 (opaque) for ByLayer and ByBlock.
  Adesk::UInt8 alpha() const { return method_ == kByAlpha ? alpha_ : 255; }
  void setAlphaPercent(double alphaPercent);
  double alphaPercent() const { return alpha() / 255.0; }
  bool isByAlpha() const { return method_ == kByAlpha; }
  bool isByBlock() const { return method_ == kByBlock; }
  bool isByLayer() const { return method_ == kByLayer; }
  bool isInvalid() const { return method_ == kErrorValue; }
  bool isClear() const { return method_ == kByAlpha && alpha_ == 0; }
  bool isSolid() const { return method_ == kByAlpha && alpha_ == 255; }

  Adesk::UInt32 serializeOut() const;
  void serializeIn(Adesk::UInt32 value);

  bool operator==(const AcCmTransparency& o) const { return method_ == o.method_ && alpha() == o.alpha(); }
  bool operator!=(const AcCmTransparency& o) const { return !(*this == o); }

 private:
  transparencyMethod method_ = kByLayer;
  Adesk::UInt8 alpha_ = 255;
};

// The palette entry of an ACI index as COLORREF 0x00BBGGRR (0 outside 0..255).
COLORREF acedGetRGB(int colorIndex);
