// One code space for the HTTP transport, the CGI layer and the upgrade job: every
// request leaves one of these in CCgiSock::m_nRetVal, and the CGI layer hands them on.
#pragma once

constexpr int RET_NONE = -1;              // request started, no outcome yet
constexpr int RET_OK = 0;                 // success
constexpr int RET_FAILED = 1;             // failure without a more specific code
constexpr int RET_BAD_URL = 2;            // URL unusable (split, control characters, too long)
constexpr int RET_AUTH_FAILED = 3;        // CGI layer only: account or password rejected
constexpr int RET_NO_PARAMS = 4;          // CGI layer only: query reply without key/value pair
constexpr int RET_SOCKET_FAILED = 5;      // TCP socket cannot be created
constexpr int RET_MODE_FAILED = 6;        // blocking/non-blocking switch failed
constexpr int RET_CONNECT_TIMEOUT = 7;    // not connected within the time-out
constexpr int RET_REPLY_TIMEOUT = 8;      // no sufficient reply within the time-out, or aborted
constexpr int RET_CONNECTING = 9;         // connect step entered (aborted, or name unresolved)
constexpr int RET_CONNECTED = 10;         // connected
constexpr int RET_SEND_FAILED = 11;       // a send failed
constexpr int RET_SENT = 12;              // request sent, reply incomplete (aborted download)
constexpr int RET_RECV_FAILED = 13;       // a receive failed or the peer closed early
constexpr int RET_BAD_HEADER = 14;        // first chunk: no header end or no positive length
constexpr int RET_FILE_OPEN_FAILED = 26;  // local file cannot be opened
constexpr int RET_FILE_READ_FAILED = 27;  // local file cannot be read (also: empty file)
