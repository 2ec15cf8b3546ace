// The transport's parsers over plain bytes: URL split, header reading, header removal
// and the text reply reading state.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "http/http_parse.h"

using namespace zv::http;

struct UrlCase {
    std::string url;
    bool ok;
    std::string host;
    int port;
    std::string path;
};

TEST(ParseUrl, Table) {
    const std::string host19(19, 'h'), host20(20, 'h');
    const std::vector<UrlCase> cases = {
        {"http://192.168.1.20/get_status.cgi?user=a", true, "192.168.1.20", 80,
         "/get_status.cgi?user=a"},
        {"http://192.168.1.20:81/x/y", true, "192.168.1.20", 81, "/x/y"},
        {"http://cam.local:8080/", true, "cam.local", 8080, "/"},
        {"http://h:81abc/p", true, "h", 81, "/p"},  // atoi reading of the port
        {"http://h:/p", true, "h", 0, "/p"},        // no digits: port 0
        {"http://" + host19 + "/p", true, host19, 80, "/p"},
        {"http://" + host19 + ":1/p", true, host19, 1, "/p"},
        {"http://" + host20 + "/p", false, "", 0, ""},
        {"http://" + host20 + ":81/p", false, "", 0, ""},
        {"http://192.168.1.20", false, "", 0, ""},  // no slash after the host
        {"http://192.168.1.20:81", false, "", 0, ""},
        {"http:///p", false, "", 0, ""},  // empty host
        {"http://:81/p", false, "", 0, ""},
        {"https://h/p", false, "", 0, ""},
        {"ftp://h/p", false, "", 0, ""},
        {"", false, "", 0, ""},
        {"xhttp://h/p", false, "", 0, ""},       // the scheme is taken to stand at the front
        {"http://h:70000/p", false, "", 0, ""},  // would wrap to another port
        {"http://h:-1/p", false, "", 0, ""},
        // Control characters could add header lines of their own.
        {"http://h/p\r\nX-Injected: 1", false, "", 0, ""},
        {"http://h/p\nX: 1", false, "", 0, ""},
        {"http://h/p\tq", false, "", 0, ""},
        {std::string("http://h/p\0q", 12), false, "", 0, ""},
        {"http://h/p\x7f", false, "", 0, ""},
    };
    for (const UrlCase& c : cases) {
        UrlParts p;
        ASSERT_EQ(ParseUrl(c.url, p), c.ok) << c.url;
        if (!c.ok) continue;
        EXPECT_EQ(p.host, c.host) << c.url;
        EXPECT_EQ(p.port, c.port) << c.url;
        EXPECT_EQ(p.path, c.path) << c.url;
    }
}

struct HeadCase {
    std::string text;
    int headLen;
    int contentLen;
};

TEST(ParseHttpHead, Table) {
    const std::vector<HeadCase> cases = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 30\r\n\r\nbody", 39, 30},
        // Both spellings: the lower-case l wins whatever the order.
        {"HTTP/1.1 200 OK\r\nContent-Length: 30\r\nContent-length: 12\r\n\r\n", 59, 12},
        {"HTTP/1.1 200 OK\r\nContent-length: 12\r\nContent-Length: 30\r\n\r\n", 59, 12},
        {"HTTP/1.1 200 OK\r\ncontent-length: 12\r\n\r\n", 39, 0},  // not recognised
        {"HTTP/1.1 200 OK\r\nCONTENT-LENGTH: 12\r\n\r\n", 39, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: \t 42 \t\r\n\r\n", 43, 42},
        {"HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n", 39, -5},
        {"HTTP/1.1 200 OK\r\nContent-Length: +7\r\n\r\n", 39, 7},
        {"HTTP/1.1 200 OK\r\nContent-Length: abc\r\n\r\n", 40, 0},
        {"HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n\r\n", 42, 12},
        {"HTTP/1.1 200 OK\r\nContent-Length: 99999999999999\r\n\r\n", 51, INT_MAX},
        {"Content-Length: 9", 0, 9},                             // value to the end, no header end
        {"HTTP/1.1 200 OK\nContent-Length: 5\n\nabcde", 35, 5},  // bare line feeds
        {"\r\n\r\nContent-Length: 5", 0, 5},  // header end at position 0 does not count
        {"\n\nx", 0, 0},
        {"", 0, 0},
    };
    for (const HeadCase& c : cases) {
        int head = 0, len = 0;
        ParseHttpHead(c.text, head, len);
        EXPECT_EQ(head, c.headLen) << c.text;
        EXPECT_EQ(len, c.contentLen) << c.text;
    }
}

TEST(RemoveHttpHeader, Table) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"HTTP/1.1 200 OK\r\nA: b\r\n\r\nvar x=1;", "var x=1;"},
        {"HTTP/1.1 200 OK\n\nbody\r\n\r\nmore", "more"},  // the CR LF pair wins
        {"HTTP/1.1 200 OK\n\nbody", "body"},
        {"\r\n\r\nbody", "\r\n\r\nbody"},  // at position 0: kept whole
        {"no header end", "no header end"},
    };
    for (const auto& [in, out] : cases) {
        std::string s = in;
        RemoveHttpHeader(s);
        EXPECT_EQ(s, out) << in;
    }
}

// Feeds chunks into a reader as the receive loop does; returns the last step.
static TextReplyReader::Step FeedChunks(TextReplyReader& r, const std::vector<std::string>& chunks,
                                        std::string& reply, int& len) {
    TextReplyReader::Step step = TextReplyReader::kMore;
    for (const std::string& c : chunks) {
        size_t n = std::min(c.size(), r.Capacity());
        std::memcpy(r.Next(), c.data(), n);
        step = r.Feed(n, reply, len);
        if (step != TextReplyReader::kMore) break;
    }
    return step;
}

TEST(TextReplyReader, CompletesInOneAndInTwoChunks) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n";
    for (const auto& chunks : std::vector<std::vector<std::string>>{
             {head + "0123456789"}, {head + "0123", "456789"}, {head, "0123456789"}}) {
        std::vector<char> buf(kRecvBufSize, 'Z');
        TextReplyReader r(buf.data());
        std::string reply;
        int len = 0;
        EXPECT_EQ(FeedChunks(r, chunks, reply, len), TextReplyReader::kComplete);
        EXPECT_EQ(reply, head + "0123456789");
        EXPECT_EQ(len, 10);
        EXPECT_EQ(buf.back(), 0);
    }
}

TEST(TextReplyReader, ExtraBytesAreCutAtTheAnnouncedLength) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n";
    std::vector<char> buf(kRecvBufSize);
    TextReplyReader r(buf.data());
    std::string reply;
    int len = 0;
    // More than announced in the very chunk: the count overshoots and never matches.
    EXPECT_EQ(FeedChunks(r, {head + "abcdef"}, reply, len), TextReplyReader::kMore);
    EXPECT_EQ(reply, head + "abcdef");
}

TEST(TextReplyReader, BadHeaderKeepsTheFirstChunk) {
    for (const std::string& first : {std::string("HTTP/1.1 200 OK\r\n\r\nbody"),
                                     std::string("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"),
                                     std::string("Content-Length: 5 and no header end")}) {
        std::vector<char> buf(kRecvBufSize);
        TextReplyReader r(buf.data());
        std::string reply;
        int len = -7;
        EXPECT_EQ(FeedChunks(r, {first}, reply, len), TextReplyReader::kBadHeader);
        EXPECT_EQ(reply, first);
        EXPECT_EQ(len, -7);  // the Content-Length is taken only from a usable header
    }
}

TEST(TextReplyReader, ReplyLongerThanTheBufferStopsFullWithTheFirstChunk) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 20000\r\n\r\n";
    std::string first = head + std::string(4000, 'a');
    std::vector<char> buf(kRecvBufSize + 16, 'Z');
    TextReplyReader r(buf.data());
    std::string reply;
    int len = 0;
    std::vector<std::string> chunks = {first, std::string(4000, 'b'), std::string(8000, 'c')};
    EXPECT_EQ(FeedChunks(r, chunks, reply, len), TextReplyReader::kFull);
    EXPECT_EQ(reply, first);
    EXPECT_EQ(len, 20000);
    EXPECT_EQ(buf[kRecvBufSize - 1], 0);  // the last byte stays 0
    EXPECT_EQ(buf[kRecvBufSize], 'Z');    // nothing past the buffer
    EXPECT_EQ(r.Capacity(), 0u);
}

TEST(TextReplyReader, ExactFitEndsAtTheLastByte) {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 10200\r\n\r\n";
    std::string body(10239 - head.size(), 'q');
    std::string text =
        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    std::vector<char> buf(kRecvBufSize);
    TextReplyReader r(buf.data());
    std::string reply;
    int len = 0;
    EXPECT_EQ(FeedChunks(r, {text + body}, reply, len), TextReplyReader::kComplete);
    EXPECT_EQ(reply.size(), 10239u);
}

TEST(Boundary, DigitsOfTheLocalTime) {
    EXPECT_EQ(FormatBoundary(2021, 5, 1, 10, 20, 30, 123), L"20210501102030123");
    EXPECT_EQ(FormatBoundary(2021, 12, 31, 23, 59, 59, 0),
              L"20211231235959"
              L"0");
    EXPECT_EQ(FormatBoundary(2021, 1, 2, 3, 4, 5, 7), L"202101020304057");
}
