#include "util/icon_images.h"

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "basemap/raster_images.h"
#include "settings/settings_store.h"
#include "shell/plugin_module.h"
#include "util/file_ops.h"
#include "util/utf8_text.h"
#include "win32/clock.h"
#include "win32/fileapi.h"
#include "win32/format.h"
#include "win32/resources.h"

namespace vurk {

namespace {

std::u16string g_defaultIconPath;  // empty until the default icon is first needed

// Decodes the PNG resource and writes it as a PNG file; false when the resource is missing or
// is not a valid picture.
bool extractPngResource(UINT id, const std::u16string& file) {
  HMODULE module = PluginInstance();
  HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), u"PNG");
  if (!res) return false;
  HGLOBAL handle = LoadResource(module, res);
  const void* bytes = handle ? LockResource(handle) : nullptr;
  const DWORD size = SizeofResource(module, res);
  if (!bytes || size == 0) return false;

  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes, size)) return false;
  image.format = PNG_FORMAT_RGBA;
  if (image.width == 0 || image.height == 0 || image.width > 4096 || image.height > 4096) {
    png_image_free(&image);
    return false;
  }
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  std::FILE* out = _wfopen(file.c_str(), u"wb");
  if (!out) return false;
  const bool written = png_image_write_to_stdio(&image, out, 0, pixels.data(), 0, nullptr) != 0;
  std::fclose(out);
  if (!written) DeleteFileW(file.c_str());
  return written;
}

}  // namespace

AcDbObjectId GetIconImageDef(int icon) {
  const SettingsStore* settings = CurrentSettings();
  if (!settings) return AcDbObjectId::kNull;
  if (icon >= 500 && icon <= 900) icon = 4;
  const std::u16string folder = settings->cacheBaseFolder() + u"\\VurkArxIcon";
  const std::u16string file = folder + win32::formatWide(u"\\Icon%04d.png", icon);
  if (!IsExistingFile(file)) {
    CreateFolderPath(ToUtf8(folder), true);
    if (!extractPngResource(static_cast<UINT>((10000 + icon) % 65536), file)) return AcDbObjectId::kNull;
    Sleep(10);
  }
  const AcDbObjectId id = GetRasterImgDefId(win32::formatWide(u"ICON%04d_PNG", icon), file, false);
  if (!id.isNull()) return id;

  if (g_defaultIconPath.empty()) g_defaultIconPath = folder + u"\\Icon.png";
  if (!IsExistingFile(g_defaultIconPath)) {
    CreateFolderPath(ToUtf8(folder), true);
    extractPngResource(8315, g_defaultIconPath);
    Sleep(10);
  }
  return GetRasterImgDefId(u"IconDef", g_defaultIconPath, false);
}

void ResetDefaultIconPath() { g_defaultIconPath.clear(); }

}  // namespace vurk
