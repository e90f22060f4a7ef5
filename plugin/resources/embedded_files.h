// Files built into the plug-in (the icon pictures), as resources are built into a module.
#pragma once

namespace vurk {

struct EmbeddedFile {
  const char* name;
  const unsigned char* bytes;
  unsigned long size;
};

extern const EmbeddedFile kEmbeddedFiles[];
extern const unsigned long kEmbeddedFileCount;

}  // namespace vurk
