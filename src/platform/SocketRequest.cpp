#include "platform/SocketRequest.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace SocketRequest {

namespace {

long long NowMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

bool WaitFor(int socket, short events, long long deadline)
{
    for (;;) {
        const long long left = deadline - NowMs();
        pollfd entry{socket, events, 0};
        const int ready = ::poll(&entry, 1, left > 0 ? int(left) : 0);
        if (ready > 0) {
            return (entry.revents & (events | POLLHUP | POLLERR)) != 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

struct Socket
{
    Socket() : fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {}
    ~Socket()
    {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Socket(const Socket &) = delete;
    Socket &operator=(const Socket &) = delete;
    const int fd;
};

} // namespace

bool Deliver(const char *address, const char *request, size_t size, int timeoutMs)
{
    const long long deadline = NowMs() + timeoutMs;
    sockaddr_un server{};
    server.sun_family = AF_UNIX;
    const size_t length = std::strlen(address);
    if (length == 0 || length >= sizeof server.sun_path) {
        return false;
    }
    std::memcpy(server.sun_path, address, length);
    Socket socket;
    if (socket.fd < 0) {
        return false;
    }
    if (::connect(socket.fd, reinterpret_cast<const sockaddr *>(&server), sizeof server) != 0) {
        int error = 0;
        socklen_t errorSize = sizeof error;
        if ((errno != EINPROGRESS && errno != EAGAIN) || !WaitFor(socket.fd, POLLOUT, deadline) ||
            ::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &errorSize) != 0 || error != 0) {
            return false;
        }
    }
    size_t written = 0;
    while (written < size) {
        const ssize_t sent =
            ::send(socket.fd, request + written, size - written, MSG_NOSIGNAL);
        if (sent > 0) {
            written += size_t(sent);
        } else if ((sent < 0 && errno != EAGAIN && errno != EINTR) ||
                   !WaitFor(socket.fd, POLLOUT, deadline)) {
            return false;
        }
    }
    // The answer is one line; this process ends only once the window has taken it all.
    char answer[64];
    size_t got = 0;
    while (got < sizeof answer && !std::memchr(answer, '\n', got)) {
        const ssize_t n = ::recv(socket.fd, answer + got, sizeof answer - got, 0);
        if (n > 0) {
            got += size_t(n);
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR) ||
                   !WaitFor(socket.fd, POLLIN, deadline)) {
            return false;
        }
    }
    const char *end = static_cast<const char *>(std::memchr(answer, '\n', got));
    if (!end) {
        return false;
    }
    // As the full road reads it: the line, trimmed, is "ok".
    const char *first = answer;
    while (first < end && (*first == ' ' || *first == '\t' || *first == '\r')) {
        ++first;
    }
    while (end > first && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r')) {
        --end;
    }
    return end - first == 2 && first[0] == 'o' && first[1] == 'k';
}

} // namespace SocketRequest
