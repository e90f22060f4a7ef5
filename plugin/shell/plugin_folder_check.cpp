#include "shell/plugin_folder_check.h"

#include "mfc/afxmsg.h"
#include "shell/plugin_module.h"
#include "util/file_ops.h"
#include "util/utf8_text.h"
#include "win32/fileapi.h"

namespace vurk {

namespace {

constexpr std::size_t kMaxFolderChars = 190;
constexpr std::uint64_t kWholeGiBMask = ~((std::uint64_t{1} << 30) - 1);
constexpr std::uint64_t kMinimumFree = 0x80000000ull;  // 2 GiB

bool isUncPath(const std::u16string& folder) {
  return folder.size() >= 2 && folder[0] == u'\\' && folder[1] == u'\\';
}

}  // namespace

bool CheckPluginFolder(std::u16string folder) {
  if (folder.empty()) folder = PluginFolder();

  if (folder.size() == 3 && folder[1] == u':' && folder[2] == u'\\') {
    AfxMessageBox(u"不能选择根目录！请将插件移到其他目录！", MB_OK);
    return false;
  }
  if (folder.size() > kMaxFolderChars) {
    AfxMessageBox(u"插件所在的路径太长，请移到其他目录再加载。", MB_OK);
    return false;
  }

  // A probe file proves the folder is writable.
  const std::string probe = ToUtf8(folder + u"\\t__Arx.txt");
  static constexpr char kProbeBytes[] = "test";  // five bytes with the terminating zero
  if (WriteWholeFile(probe, kProbeBytes, sizeof kProbeBytes) != 1) {
    AfxMessageBox(u"该目录没有读写权限！请将插件移到其他目录！", MB_OK);
    return false;
  }
  DeleteFile(probe);

  // The first three characters name the drive; a UNC folder has no drive letter, so its own
  // path is asked. When the system cannot tell, the question is skipped.
  const std::u16string where = isUncPath(folder) ? folder : folder.substr(0, 3);
  ULARGE_INTEGER freeToCaller{};
  if (!GetDiskFreeSpaceExW(where.c_str(), &freeToCaller, nullptr, nullptr)) return true;
  if ((freeToCaller.QuadPart & kWholeGiBMask) < kMinimumFree) {
    return AfxMessageBox(u"插件所在的磁盘空间不足，是否切换到其他目录再加载？", MB_YESNO) != IDYES;
  }
  return true;
}

}  // namespace vurk
