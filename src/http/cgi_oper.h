// CCgiOper: camera commands with a verdict, on top of the HTTP transport. Every
// operation returns 1/0 and hands back the code and the reply's Content-Length.
#pragma once
#include <string>
#include <vector>

#include "http/cgi_sock.h"
#include "http/http_parse.h"

using CgiParamMap = zv::http::CgiParamMap;

class CCgiOper {
public:
    CCgiOper() = default;
    virtual ~CCgiOper() = default;

    // Command CGI: judged by the reply text. 1 only with code 0.
    int ExecCgiCmd(const std::string& url, int timeout, int& code, int& contentLen);
    // Query CGI: appends one text per key to values (its value, or "NotFindKey").
    // 1 only with code 0; on failure nothing is appended.
    int GetCgiParams(const std::string& url, int timeout, const std::vector<std::wstring>& keys,
                     std::vector<std::wstring>& values, int& code, int& contentLen);
    // Firmware upload, judged by the camera's reply.
    int UpgradeFile(const std::string& url, int timeout, const std::wstring& filePath,
                    const std::wstring& md5Text, int& code, int& contentLen);
    // Download into buffer (bufferSize bytes); result and code of the transport.
    int DownloadFile(const std::string& url, int timeout, char* buffer, size_t bufferSize,
                     int& code, int& contentLen);
    // Sends the query and fills map from the raw reply (header lines included).
    int ParseCgiReply(const std::string& url, int timeout, CgiParamMap& map, int& code,
                      int& contentLen);

    CCgiSock m_CgiSock;
};
