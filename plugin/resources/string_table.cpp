#include "resources/string_table.h"

#include <cstdio>
#include <string>

#include "coords/relation_dialog.h"
#include "hostlink/host_link_dialogs.h"
#include "receive/ignored_objects_dialog.h"
#include "resources/embedded_files.h"
#include "shell/shell_resources.h"

namespace vurkarx {

void addStringTable(win32::ResourceTable& table) {
  // Toolbar tooltips, keyed by the button's command id. MFC shows the text after the "\n".
  table.addString(32768, u"\n发送所选对象到星衡");
  table.addString(32769, u"\n加载在线底图");
  table.addString(32770, u"\n下载底图到本地");
  table.addString(32771, u"\n下载高程(DEM)");
  table.addString(32772, u"\n设置关联点");
  table.addString(32773, u"\n设置属性");
  table.addString(32781, u"\n设置断面参数");
}

void addIconPictures(win32::ResourceTable& table) {
  // "iconNNNN.png" is the PNG resource 10000 + NNNN; "icon_default.png" is 8315.
  for (unsigned long i = 0; i < vurk::kEmbeddedFileCount; ++i) {
    const vurk::EmbeddedFile& f = vurk::kEmbeddedFiles[i];
    const std::string name = f.name;
    unsigned id = 0;
    if (name == "icon_default.png") {
      id = 8315;
    } else if (std::sscanf(name.c_str(), "icon%4u.png", &id) == 1) {
      id += 10000;
    } else {
      continue;
    }
    table.addBinary(u"PNG", id, std::vector<BYTE>(f.bytes, f.bytes + f.size));
  }
}

win32::ResourceTable pluginResourceTable() {
  win32::ResourceTable table;
  addStringTable(table);
  addIconPictures(table);
  vurk::AddHostLinkDialogs(table);
  vurk::AddShellResources(table);
  vurk::AddRelationDialogTemplate(table);
  vurk::AddMessageDialogTemplate(table);
  return table;
}

}  // namespace vurkarx
