#include "hostlink/host_errors.h"

#include "arx/acutads.h"
#include "hostlink/host_protocol.h"
#include "mfc/afxmsg.h"

namespace vurk {

std::u16string_view HostErrorText(int status) {
  switch (status) {
    case kHostWindowMissing: return u"没有找到星衡地图程序窗口";
    case kRegistrationFailed: return u"向星衡地图程序注册失败";
    case kHostTooOld: return u"星衡地图程序版本太低";
    case kInvalidArguments: return u"参数非法";
    case kNotProcessed: return u"消息处理失败";
    case kNoPermission: return u"该操作没有权限";
    default: return u"";
  }
}

void ShowHostError(int status, std::u16string_view prefix, bool asMessageBox) {
  if (status >= 0) return;
  const std::u16string_view text = HostErrorText(status);
  if (asMessageBox) {
    std::u16string message(prefix);
    message += text;
    AfxMessageBox(message.c_str(), MB_OK);
    return;
  }
  const std::u16string p(prefix);
  const std::u16string t(text);
  acutPrintf(u"%s\n%s", p.c_str(), t.c_str());
}

std::u16string_view GenerationResultText(int code) {
  if (code >= 0) return u"";
  switch (code) {
    case -101: return u"\n坐标系设置错误(或位置偏差过大)！";
    case -103: return u"\n地图尺寸太大！";
    case -104: return u"\n地图像素太高！";
    case -105: return u"\n创建地图失败！";
    case -106: return u"\n地图扭曲太大！请纠正位置或重新设置平面坐标系。";
    case -5: return u"\n内存异常！";
    case -4: return u"\n参数错误！";
    case -3: return u"\n坐标系错误！";
    case -1:
    case -2:
    case -7:
    case -102: return u"";
    default: return u"\n其他错误！";
  }
}

}  // namespace vurk
