// Kept apart from the other aced functions: it allocates result buffers.
#include <cstdlib>
#include <cstring>

#include "arx/acad_app.h"
#include "arx/acedads.h"

resbuf* acedArxLoaded() {
  resbuf* head = nullptr;
  resbuf* tail = nullptr;
  for (const std::u16string& path : arx::AcadApplication::current().loadedApplications()) {
    const std::u16string name = arx::fileNameOf(path);
    resbuf* rb = acutNewRb(RTSTR);
    if (!rb) break;
    const std::size_t bytes = (name.size() + 1) * sizeof(ACHAR);
    rb->resval.rstring = static_cast<ACHAR*>(std::malloc(bytes));
    if (!rb->resval.rstring) {
      acutRelRb(rb);
      break;
    }
    std::memcpy(rb->resval.rstring, name.c_str(), bytes);
    if (tail) {
      tail->rbnext = rb;
    } else {
      head = rb;
    }
    tail = rb;
  }
  return head;
}
