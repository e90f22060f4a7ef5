// The codes of the host protocol as the host sees them: the requests that arrive at its window
// "vurkWin" and the messages it sends to the plug-in's window.
//
// Framing of a request: WM_COPYDATA with wParam 1001; the code is the low 16 bits of dwData,
// the link number the high 16 bits of its low 32 bits read as a signed number.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace host {

constexpr std::uintptr_t kCopyDataWParam = 1001;

enum class RequestCode : std::uint16_t {
  Register = 20000,
  GetLatLng = 20001,
  GetHostApiVersion = 20006,
  SetLocation = 20011,
  GetMapView = 20012,
  SetFollowWinMap = 20013,
  GetObjList = 20100,
  GetObj = 20101,
  AddObj = 20102,
  DelObj = 20103,
  SrhObj = 20107,
  GetObjTree = 20110,
  SetObjTree = 20112,
  SetRelatePoint = 20201,
  GetSysCoor = 20202,
  GetPluginVer = 20204,
  GetMapCenter = 20211,
  GetLevelResolution = 20212,
  GetContour = 20303,
  SetButton = 20401,
  GetStatusInfo = 20501,
  GetPatternList = 20601,
  SetPatternList = 20602,
  GetMapFile = 30003,
};

// The one conversion from the wire: nothing for a code the host does not know.
std::optional<RequestCode> requestCodeFromWire(std::uint16_t code);
std::string_view requestName(RequestCode code);

enum class PluginMessage : std::uint16_t {
  LatLng = 20001,
  TestNotice = 20020,
  MapView = 20012,
  ObjectList = 20100,
  ObjectFound = 20101,
  FolderList = 20105,
  SearchAnswer = 20107,
  ObjectTree = 20110,
  ObjectsAssigned = 20112,
  RelationPointsWanted = 20201,
  SysCoor = 20202,
  PluginUpdateNotice = 20203,
  PluginVersion = 20204,
  MapCenter = 20211,
  LevelResolution = 20212,
  MapFileReady = 20302,
  ContourAnswer = 20303,
  ButtonState = 20401,
  SendToCadNotice = 20402,
  PatternList = 20601,
};

std::string_view pluginMessageName(std::uint16_t code);

// The registered progress messages.
inline constexpr char16_t kMapFileProgressName[] = u"V_URK_API_MSG_GET_MAP_FILE_PROGRESS";
inline constexpr char16_t kContourProgressName[] = u"V_URK_API_MSG_GET_CONTOUR_LINE_PROGRESS";

// The host's window class. The plug-in's window is found by the class it names when it registers.
inline constexpr char16_t kHostWindowClass[] = u"vurkWin";

// Answers the host gives of its own accord.
constexpr std::int32_t kNotProcessed = -6;     // the payload could not be read or the work failed
constexpr std::int32_t kRegistrationRefused = -10;

}  // namespace host
