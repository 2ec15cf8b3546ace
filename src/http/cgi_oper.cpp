#include "http/cgi_oper.h"

#include <cstring>

using namespace zv::http;

int CCgiOper::ExecCgiCmd(const std::string& url, int timeout, int& code, int& contentLen) {
    m_CgiSock.SendCgiCmd(url, timeout);  // an empty reply simply matches no rule
    contentLen = m_CgiSock.m_nContentLen;
    return CommandVerdict(VerdictText(m_CgiSock.m_strReply), m_CgiSock.m_nRetVal, code);
}

int CCgiOper::ParseCgiReply(const std::string& url, int timeout, CgiParamMap& map, int& code,
                            int& contentLen) {
    m_CgiSock.SendCgiCmd(url, timeout);
    code = m_CgiSock.m_nRetVal;
    contentLen = m_CgiSock.m_nContentLen;
    // The raw reply, header lines included; the buffer's last byte always stays 0.
    const char* raw = m_CgiSock.m_szRecvBuf;
    size_t len = strnlen(raw, sizeof m_CgiSock.m_szRecvBuf);
    if (len == 0) return 0;
    ParseCgiTokens(std::string_view(raw, len), map);
    return 1;
}

int CCgiOper::GetCgiParams(const std::string& url, int timeout,
                           const std::vector<std::wstring>& keys, std::vector<std::wstring>& values,
                           int& code, int& contentLen) {
    CgiParamMap map;
    if (!ParseCgiReply(url, timeout, map, code, contentLen)) return 0;
    if (code != 0) return 0;
    if (map.empty()) {
        code = RET_NO_PARAMS;
        return 0;
    }
    if (auto it = map.find(L"result");
        it != map.end() && Trim(it->second).find(L"Auth Failed") != std::wstring::npos) {
        code = RET_AUTH_FAILED;
        return 0;
    }
    for (const std::wstring& key : keys) {
        auto it = map.find(key);
        values.push_back(it != map.end() ? it->second : L"NotFindKey");
    }
    code = RET_OK;
    return 1;
}

int CCgiOper::UpgradeFile(const std::string& url, int timeout, const std::wstring& filePath,
                          const std::wstring& md5Text, int& code, int& contentLen) {
    int bRet = m_CgiSock.SendCgiCmd_UpgradeFile(url, timeout, filePath, md5Text);
    code = m_CgiSock.m_nRetVal;
    contentLen = m_CgiSock.m_nContentLen;
    if (!bRet) {
        if (code == 0) code = RET_FAILED;
        return 0;
    }
    if (code != 0) return 0;  // the reply was not read
    return UploadVerdict(VerdictText(m_CgiSock.m_strReply), code);
}

int CCgiOper::DownloadFile(const std::string& url, int timeout, char* buffer, size_t bufferSize,
                           int& code, int& contentLen) {
    int bRet = m_CgiSock.SendCgiCmd_DownloadFile(url, timeout, buffer, bufferSize);
    code = m_CgiSock.m_nRetVal;
    contentLen = m_CgiSock.m_nContentLen;
    return bRet;
}
