// The web address of a camera, from the address and port texts its row shows.
#pragma once
#include <string>
#include <string_view>

// "http://<ip>" when the port reads as 80, else "http://<ip>:<port>"; both texts trimmed.
std::wstring WebAddress(std::wstring_view strIP, std::wstring_view strPort);
// The same in the OEM code page, at most 127 bytes, as the system shell is handed it.
std::string WebAddressForShell(std::wstring_view strIP, std::wstring_view strPort);
