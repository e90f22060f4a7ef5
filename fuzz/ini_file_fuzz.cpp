// Feeds arbitrary bytes to the private-profile functions and to the plug-in's settings load as
// the contents of "VurkArx_setting.ini": no input may crash, over-read or hang them.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "settings/settings_store.h"
#include "win32/desktop.h"
#include "win32/file_system.h"
#include "win32/profile.h"

namespace {

struct Fixture {
  Fixture()
      : root(std::filesystem::temp_directory_path() / ("vurkarx-fuzz-ini-" + std::to_string(::getpid()))),
        desktop(root),
        scope(desktop),
        ini(desktop.files().toHostPath(u"C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini")) {}
  ~Fixture() { std::filesystem::remove_all(root); }
  std::filesystem::path root;
  win32::Desktop desktop;
  win32::DesktopScope scope;
  std::filesystem::path ini;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  {
    std::ofstream out(fixture.ini, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const char16_t* path = u"C:\\Users\\me\\AppData\\Local\\VurkArx_setting.ini";
  std::uint8_t record[160];
  GetPrivateProfileStructW(u"VurkArx", u"ini", record, sizeof record, path);
  char16_t text[260];
  GetPrivateProfileStringW(u"TempPath", u"MapTemp", u"x", text, 260, path);
  GetPrivateProfileStringW(u"FILE_MD5", nullptr, u"", text, 20, path);
  GetPrivateProfileIntW(u"VurkArx", u"n", 0, path);
  vurk::SettingsStore store;
  store.load(u"C:\\Program Files\\VurkArx");
  store.readDrawingCoordinateIdentity(u"D:\\a.dwg");
  return 0;
}
