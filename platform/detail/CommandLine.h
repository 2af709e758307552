// The platform's command-line splitting, shared by the shell's program start and its tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelrudo::detail {

// Splits a parameter string into arguments as the platform's C runtime does: spaces and tabs
// separate; double quotes group (and are dropped); inside quotes "" is one literal quote; 2n
// backslashes before a quote give n backslashes and the quote acts, 2n+1 give n and a literal
// quote; backslashes anywhere else are kept as they are. "" on its own is an empty argument.
std::vector<std::u16string> SplitCommandLine(std::u16string_view text);

}  // namespace pelrudo::detail
