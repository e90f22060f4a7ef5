// A drawing (a bare database, working) and one send's objects pass over it: entities are
// appended to model space, opened for write and encoded at top level; what came out is read
// back with the host's own reader.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "arx/acad_app.h"
#include "exchange/entity_encoder.h"
#include "host/object_stream.h"
#include "platform/db_test_support.h"
#include "platform/sandbox_fixture.h"
#include "win32/desktop.h"
#include "win32/transcript.h"
#include "plugin/hostlink/recording_host.h"

namespace vurktest {

class EncoderTest : public dbtest::DrawingTest {
 protected:
  // The command line as UTF-8 (explode failures are printed there).
  std::string commandLine() { return win32::utf16ToUtf8(desktop_.transcript().commandLineText()); }

  // Encodes a new model-space entity at top level (link: fresh, folder 7 unless given).
  bool encode(AcDbEntity* entity, std::optional<vurk::EntityLink> given = std::nullopt) {
    const AcDbObjectId id = append(entity);
    AcDbEntity* e = nullptr;
    EXPECT_EQ(acdbOpenObject(e, id, AcDb::kForWrite), Acad::eOk);
    vurk::EntityLink link = given ? *given : links.linkOf(*e);
    if (!given) link.parentFolderId = 7;
    handle = e->objectHandle().value();
    const bool ok = vurk::encodeEntity(*e, session, link);
    lastLink = link;
    e->close();
    return ok;
  }

  // The entries written so far (everything behind the head and batch header).
  std::vector<std::uint8_t> entries() const {
    const auto b = stream.bytes();
    return {b.begin() + 80, b.end()};
  }
  // The body of the only entry (fails the test when there is not exactly one).
  std::vector<std::uint8_t> onlyBody() {
    const auto v = view();
    EXPECT_EQ(v.entries.size(), 1u);
    if (v.entries.empty()) return {};
    return {v.entries[0].body.begin(), v.entries[0].body.end()};
  }
  host::ObjectStreamView view() {
    vurk::FinishObjectStream(stream, 0);
    std::string why;
    auto v = host::readObjectStream(stream.bytes(), &why);
    EXPECT_TRUE(v) << why;
    return v ? *v : host::ObjectStreamView{};
  }

  TempFolder sandbox_;
  win32::Desktop desktop_{sandbox_.path()};
  win32::DesktopScope desktopScope_{desktop_};
  arx::AcadApplication acad_{desktop_};
  arx::AcadScope acadScope_{acad_};
  vurk::FreshLinks links;
  vurk::PatternLists patterns{[] { return std::optional<vurk::PatternList>{}; }};
  vurk::ObjectStream stream = vurk::StartObjectStream(0);
  vurk::EncodeSession session{stream, links, patterns, &db_};
  std::uint64_t handle = 0;
  vurk::EntityLink lastLink;
};

// Compares bytes with a golden, except the ranges [from, to) that carry computed curve points.
inline void ExpectBytesExcept(const std::vector<std::uint8_t>& actual, const std::vector<std::uint8_t>& golden,
                              std::vector<std::pair<std::size_t, std::size_t>> skipped = {}) {
  ASSERT_EQ(actual.size(), golden.size()) << ToHex(actual);
  for (std::size_t i = 0; i < actual.size(); ++i) {
    bool skip = false;
    for (const auto& [from, to] : skipped) skip = skip || (i >= from && i < to);
    if (!skip && actual[i] != golden[i]) {
      ADD_FAILURE() << "byte " << i << ": " << int{actual[i]} << " instead of " << int{golden[i]} << "\n"
                    << ToHex(actual);
      return;
    }
  }
}

// A field of a body read with the test's own little-endian reading.
inline double F64At(const std::vector<std::uint8_t>& b, std::size_t at) { return LeF64(b, at); }

}  // namespace vurktest
