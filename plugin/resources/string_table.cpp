#include "resources/string_table.h"

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

win32::ResourceTable pluginResourceTable() {
  win32::ResourceTable table;
  addStringTable(table);
  return table;
}

}  // namespace vurkarx
