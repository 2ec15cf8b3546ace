// CGI reply reading: the statement tokenizer and the verdict rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/http_parse.h"

using namespace zv::http;

struct TokenCase {
    const char* name;
    std::string reply;
    CgiParamMap expected;
};

TEST(CgiTokens, Table) {
    const std::string long252(252, 'v');
    const std::vector<TokenCase> cases = {
        {"var statements, quotes removed",
         "var result=\"ok\";\r\nvar sys_ver=\"48.1.2.3\";\r\n",
         {{L"result", L"ok"}, {L"sys_ver", L"48.1.2.3"}}},
        {"header lines without = are ignored, with = they count",
         "HTTP/1.1 200 OK\r\nCache-Control: max-age=0\r\n\r\nvar a=\"1\";",
         {{L"Cache-Control: max-age", L"0"}, {L"a", L"1"}}},
        {"no var prefix", "name=cam1;port=81", {{L"name", L"cam1"}, {L"port", L"81"}}},
        {"a key that begins with var loses four characters", "variable=5", {{L"able", L"5"}}},
        {"spaces around = stay", "var k = \"v\";", {{L"k ", L" v"}}},
        {"later key wins", "var x=\"1\";var x=\"2\";", {{L"x", L"2"}}},
        {"; inside a value cuts it", "var x=\"a;b\";", {{L"x", L"a"}}},
        {"apostrophes and quotes disappear", "var x='it\"s';", {{L"x", L"its"}}},
        {"tokens of 4 bytes or fewer skipped", "a=1;ab=2;abc=3", {{L"abc", L"3"}}},
        {"= first is skipped", "=value1;var =5;", {}},
        {"no = skipped", "just words here", {}},
        {"runs of separators", ";;;\r\n\r\nvar q=\"1\";;;\n\n", {{L"q", L"1"}}},
        {"256-byte token with var fits",
         "var k=" + std::string(250, 'v'),
         {{L"k", std::wstring(250, L'v')}}},
        {"256-byte token without var does not", "k=" + std::string(254, 'v'), {}},
        {"257-byte token skipped", "var k=" + std::string(251, 'v'), {}},
        {"empty value", "var empty=;", {{L"empty", L""}}},
        {"case matters", "var Key=1;var key=2;", {{L"Key", L"1"}, {L"key", L"2"}}},
    };
    for (const TokenCase& c : cases) {
        CgiParamMap map;
        ParseCgiTokens(c.reply, map);
        EXPECT_EQ(map, c.expected) << c.name;
    }
}

struct VerdictCase {
    const char* body;
    int transport;
    int result;
    int code;
};

TEST(CommandVerdict, RulesInOrder) {
    const std::vector<VerdictCase> cases = {
        {"var result=\"ok\";", 0, 1, 0},
        {"var result=0;", 0, 1, 0},
        {"var result=\"bad\"; var note=\"look\";", 0, 1, 0},  // "ok" anywhere counts
        {"var result=\"ok\"; Auth Failed", 0, 1, 0},          // rule 1 before rule 2
        {"var result=\"Auth Failed\";", 0, 0, 3},
        {"var result=\"OK\";", 0, 0, 1},  // capitals: no rule 1, rule 5 gives 1
        {"var result=\"failed\";", 0, 0, 1},
        {"var result=\"error\";", 0, 0, 1},
        {"var result=-1;", 0, 0, 1},
        {"var response=-1;", 0, 0, 1},
        {"var response=1;", 0, 0, 1},  // no rule: the transport code, 0 -> 1
        {"var something=\"else\";", 0, 0, 1},
        {"", 7, 0, 7},  // nothing received: transport code
        {"", 13, 0, 13},
        {"   \r\n  var result=\"ok\"  \r\n", 0, 1, 0},
    };
    for (const VerdictCase& c : cases) {
        int code = -99;
        EXPECT_EQ(CommandVerdict(VerdictText(c.body), c.transport, code), c.result) << c.body;
        EXPECT_EQ(code, c.code) << c.body;
    }
}

TEST(CommandVerdict, LooksAtTheFirst255CharactersOnly) {
    std::string padded = "var result=\"x\";" + std::string(300, ' ') + "ok";
    int code = 0;
    EXPECT_EQ(CommandVerdict(VerdictText(padded), 0, code), 0);
    std::string early = std::string(250, '.') + "result" + "ok";  // "ok" past character 255
    EXPECT_EQ(CommandVerdict(VerdictText(early), 0, code), 0);
    EXPECT_EQ(code, 1);
}

TEST(UploadVerdict, OkAuthOrFailure) {
    const std::vector<VerdictCase> cases = {
        {"var result=\"ok\";", 0, 1, 0},
        {"result=0", 0, 1, 0},
        {"var result=\"Auth Failed\";", 0, 0, 3},
        {"var response=-1;", 0, 0, 1},  // no "response" rule for uploads
        {"upload done", 0, 0, 1},       // no result: failure, never the transport code
        {"", 0, 0, 1},
    };
    for (const VerdictCase& c : cases) {
        int code = -99;
        EXPECT_EQ(UploadVerdict(VerdictText(c.body), code), c.result) << c.body;
        EXPECT_EQ(code, c.code) << c.body;
    }
}
