// How failed host requests and host generation results are shown to the user.
#pragma once

#include <string>
#include <string_view>

namespace vurk {

// The text of a request status (empty for statuses without one, and for 0 or more).
std::u16string_view HostErrorText(int status);

// Reports a negative status: prefix + text in an OK message box, or prefix, a line break and
// the text on the command line. Does nothing for 0 or more. The number is never shown.
void ShowHostError(int status, std::u16string_view prefix, bool asMessageBox);

// The line that a map or elevation generation result turns into (each begins with a line
// break); empty for 0 or more and for the codes that have no text.
std::u16string_view GenerationResultText(int code);

}  // namespace vurk
