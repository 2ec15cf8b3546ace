// The few socket spellings that differ between POSIX and Winsock.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
namespace zv {
using socket_t = SOCKET;
constexpr socket_t kNoSocket = INVALID_SOCKET;
inline int CloseSocket(socket_t s) { return closesocket(s); }
inline int LastSocketError() { return WSAGetLastError(); }
}  // namespace zv
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
namespace zv {
// A descriptor may legitimately be 0 here (a process started without standard input),
// so "no socket" is -1, never 0.
using socket_t = int;
constexpr socket_t kNoSocket = -1;
inline int CloseSocket(socket_t s) { return ::close(s); }
inline int LastSocketError() { return errno; }
}  // namespace zv
#endif
