// Header parser and text reply reader on arbitrary bytes. The first byte chooses how the
// rest is cut into received chunks, as the network would cut it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "http/http_parse.h"

using namespace zv::http;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t chunk = 1 + data[0] * 41;  // 1 ... 10456 bytes per receive
    std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);

    int head = 0, len = 0;
    ParseHttpHead(in, head, len);
    if (head < 0 || static_cast<size_t>(head) > in.size()) std::abort();
    std::string stripped(in);
    RemoveHttpHeader(stripped);
    if (stripped.size() > in.size()) std::abort();
    UrlParts url;
    if (ParseUrl(in, url) && (url.host.empty() || url.host.size() > kHostMax || url.path[0] != '/'))
        std::abort();

    // The reader's buffer with guard bytes on both sides.
    std::vector<char> area(kRecvBufSize + 64, 'G');
    char* buf = area.data() + 32;
    TextReplyReader r(buf);
    std::string reply;
    int contentLen = 0;
    size_t at = 0;
    TextReplyReader::Step step = TextReplyReader::kMore;
    while (step == TextReplyReader::kMore && at < in.size()) {
        size_t n = std::min({chunk, in.size() - at, r.Capacity()});
        std::memcpy(r.Next(), in.data() + at, n);
        at += n;
        step = r.Feed(n, reply, contentLen);
    }
    if (buf[kRecvBufSize - 1] != 0 || reply.size() > kRecvBufSize - 1) std::abort();
    for (int i = 0; i < 32; ++i)
        if (area[i] != 'G' || area[kRecvBufSize + 32 + i] != 'G') std::abort();
    return 0;
}
