#include "camlist/web_address.h"

#include "base/text_conv.h"
#include "camlist/text_util.h"

std::wstring WebAddress(std::wstring_view strIP, std::wstring_view strPort) {
    std::wstring_view ip = TrimBlanks(strIP);
    std::wstring_view port = TrimBlanks(strPort);
    std::wstring url = L"http://";
    url += ip;
    if (ReadDecimal(port) != 80) {
        url += L':';
        url += port;
    }
    return url;
}

std::string WebAddressForShell(std::wstring_view strIP, std::wstring_view strPort) {
    std::string url = zv::WideToOem(WebAddress(strIP, strPort));
    if (url.size() > 127) url.resize(127);
    return url;
}
