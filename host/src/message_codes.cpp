#include "host/message_codes.h"

namespace host {

std::optional<RequestCode> requestCodeFromWire(std::uint16_t code) {
  const auto c = static_cast<RequestCode>(code);
  switch (c) {
    case RequestCode::Register:
    case RequestCode::GetLatLng:
    case RequestCode::GetHostApiVersion:
    case RequestCode::SetLocation:
    case RequestCode::GetMapView:
    case RequestCode::SetFollowWinMap:
    case RequestCode::GetObjList:
    case RequestCode::GetObj:
    case RequestCode::AddObj:
    case RequestCode::DelObj:
    case RequestCode::SrhObj:
    case RequestCode::GetObjTree:
    case RequestCode::SetObjTree:
    case RequestCode::SetRelatePoint:
    case RequestCode::GetSysCoor:
    case RequestCode::GetPluginVer:
    case RequestCode::GetMapCenter:
    case RequestCode::GetLevelResolution:
    case RequestCode::GetContour:
    case RequestCode::SetButton:
    case RequestCode::GetStatusInfo:
    case RequestCode::GetPatternList:
    case RequestCode::SetPatternList:
    case RequestCode::GetMapFile:
      return c;
  }
  return std::nullopt;
}

std::string_view requestName(RequestCode code) {
  switch (code) {
    case RequestCode::Register: return "Register";
    case RequestCode::GetLatLng: return "GetLatLng";
    case RequestCode::GetHostApiVersion: return "GetHostApiVersion";
    case RequestCode::SetLocation: return "SetLocation";
    case RequestCode::GetMapView: return "GetMapView";
    case RequestCode::SetFollowWinMap: return "SetFollowWinMap";
    case RequestCode::GetObjList: return "GetObjList";
    case RequestCode::GetObj: return "GetObj";
    case RequestCode::AddObj: return "AddObj";
    case RequestCode::DelObj: return "DelObj";
    case RequestCode::SrhObj: return "SrhObj";
    case RequestCode::GetObjTree: return "GetObjTree";
    case RequestCode::SetObjTree: return "SetObjTree";
    case RequestCode::SetRelatePoint: return "SetRelatePoint";
    case RequestCode::GetSysCoor: return "GetSysCoor";
    case RequestCode::GetPluginVer: return "GetPluginVer";
    case RequestCode::GetMapCenter: return "GetMapCenter";
    case RequestCode::GetLevelResolution: return "GetLevelResolution";
    case RequestCode::GetContour: return "GetContour";
    case RequestCode::SetButton: return "SetButton";
    case RequestCode::GetStatusInfo: return "GetStatusInfo";
    case RequestCode::GetPatternList: return "GetPatternList";
    case RequestCode::SetPatternList: return "SetPatternList";
    case RequestCode::GetMapFile: return "GetMapFile";
  }
  return "unknown";
}

std::string_view pluginMessageName(std::uint16_t code) {
  switch (static_cast<PluginMessage>(code)) {
    case PluginMessage::LatLng: return "LatLng";
    case PluginMessage::TestNotice: return "TestNotice";
    case PluginMessage::MapView: return "MapView";
    case PluginMessage::ObjectList: return "ObjectList";
    case PluginMessage::ObjectFound: return "ObjectFound";
    case PluginMessage::FolderList: return "FolderList";
    case PluginMessage::SearchAnswer: return "SearchAnswer";
    case PluginMessage::ObjectTree: return "ObjectTree";
    case PluginMessage::ObjectsAssigned: return "ObjectsAssigned";
    case PluginMessage::RelationPointsWanted: return "RelationPointsWanted";
    case PluginMessage::SysCoor: return "SysCoor";
    case PluginMessage::PluginUpdateNotice: return "PluginUpdateNotice";
    case PluginMessage::PluginVersion: return "PluginVersion";
    case PluginMessage::MapCenter: return "MapCenter";
    case PluginMessage::LevelResolution: return "LevelResolution";
    case PluginMessage::MapFileReady: return "MapFileReady";
    case PluginMessage::ContourAnswer: return "ContourAnswer";
    case PluginMessage::ButtonState: return "ButtonState";
    case PluginMessage::SendToCadNotice: return "SendToCadNotice";
    case PluginMessage::PatternList: return "PatternList";
  }
  return "unknown";
}

}  // namespace host
