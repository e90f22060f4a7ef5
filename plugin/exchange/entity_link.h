// EntityLink: what the plug-in remembers of a linked entity or layer (its map object, folder,
// name, comment and the style values of the current send). A fresh link is all zeros except
// labelFixed = 1.
#pragma once

#include <cstdint>
#include <string>

#include "arx/gept.h"

namespace vurk {

struct EntityLink {
  std::uint64_t entityKey = 0;       // AutoCAD handle of the entity or layer record
  std::int32_t mapObjectId = 0;      // 0 = not linked
  std::uint32_t parentFolderId = 0;  // folder that receives the object when it is sent
  std::u16string name;
  std::u16string comment;            // at most 6000 characters when stored
  std::uint8_t stored = 0;           // 1 when the drawing already holds these values
  std::uint8_t isMember = 0;         // shares its map object (point set member, line piece)
  std::uint8_t closed = 0;           // spline closed flag, filled by the spline encoder
  std::u16string extra;              // kept and copied with the link, not written
  std::uint32_t lineStyle = 0;       // host line style index of the entity
  std::uint32_t opacity = 0;         // opacity percent of the entity
  std::uint64_t companionHandle = 0; // label: its icon image; image: non-zero when it is an icon
  AcGePoint3d savedPosition;         // where the host placed the label
  std::uint32_t iconId = 0;          // host icon number; 0 = none
  std::uint8_t labelFixed = 1;       // 0: a label with an icon is sent with font size 14
  // Not stored: the property dialog changed the name during this run, so writing the link puts
  // it into the TEXT or MTEXT (otherwise the entity's text is never touched).
  std::uint8_t nameEdited = 0;
};

}  // namespace vurk
