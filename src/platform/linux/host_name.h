#pragma once

#include <string>
#include <string_view>

// The NetBIOS-style name of a host: its name up to the first dot, ASCII letters in upper
// case, cut to 15 characters. Other bytes pass unchanged.
std::string NetBiosNameFromHostName(std::string_view hostName);
