// Whether the host map application is installed, recent enough, running and ready; offering
// to start it; telling the user about a newer plug-in.
//
// The installed host is found through the registry key it writes under HKEY_CURRENT_USER; the
// version it records is cached for the run once it reaches 888. Its readiness comes from
// GetStatusInfo.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vurk {

inline constexpr const char16_t* kHostRegistryKey = u"Software\\Tessan Software\\vurk\\MainFrm";
// The lowest host version accepted without a warning, and at all (with a warning, once running).
inline constexpr std::int32_t kAcceptedHostVersion = 888;
inline constexpr std::int32_t kLowestHostVersion = 772;
// Bit of GetStatusInfo's answer: the host is ready for plug-in work.
inline constexpr std::int32_t kHostReadyBit = 0x100;

// The maker's pages.
inline constexpr std::u16string_view kDownloadPage = u"https://vurk.example.com/download";
inline constexpr std::u16string_view kUpdatePage = u"https://vurk.example.com/update";

// At start-up: 1 when the host runs and is ready; 0 when it runs but is not ready, or does not
// run (the user may have been offered to start it); -1 when it is not installed or too old
// (already reported).
int EnsureHostRunning();

// Before each user action that needs the host: false (after telling the user why) when it is
// not running, too old or busy.
bool CheckHostReady();

// Restores the host's window when minimised and brings it to the top.
void BringHostToFront();

// Starts the host program.
void LaunchHost(std::u16string_view path);

// Tells the user about a plug-in version newer than this one; once per run. The result is the
// hint dialog's (false: the user went to the update page).
bool ShowUpdatePrompt(std::u16string_view notes, std::uint32_t version);

// "v1.7.5" for 175: hundreds, tens and units.
std::u16string PluginVersionDigits(std::uint32_t version);

}  // namespace vurk
