#include "app/FrontHandOver.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace FrontHandOver {

Bytes::~Bytes()
{
    std::free(data);
}

void Bytes::Append(const char *more, size_t count)
{
    if (failed) {
        return;
    }
    if (size + count + 1 > capacity) {
        size_t wanted = capacity ? capacity : 256;
        while (wanted < size + count + 1) {
            wanted *= 2;
        }
        char *grown = static_cast<char *>(std::realloc(data, wanted));
        if (!grown) {
            failed = true;
            return;
        }
        data = grown;
        capacity = wanted;
    }
    std::memcpy(data + size, more, count);
    size += count;
    data[size] = '\0';
}

void Bytes::Append(const char *text)
{
    Append(text, std::strlen(text));
}

void Bytes::Truncate(size_t newSize)
{
    if (newSize < size) {
        size = newSize;
        data[size] = '\0';
    }
}

namespace {

const char fileScheme[] = "file://";
const char socketName[] = "orvel-bluray-player.socket";

bool IsAsciiLetterOrDigit(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsUnreserved(unsigned char c)
{
    return IsAsciiLetterOrDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

int HexValue(unsigned char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The full road's QDir::cleanPath for an absolute path: no empty or "." parts, ".." takes
// the part before it away, no slash at the end. A ".." above the root, which cleanPath keeps,
// is left to the full road.
bool AppendCleanPath(const char *path, size_t length, Bytes &out)
{
    const size_t start = out.Size();
    size_t i = 0;
    while (i < length) {
        while (i < length && path[i] == '/') {
            ++i;
        }
        size_t end = i;
        while (end < length && path[end] != '/') {
            ++end;
        }
        const size_t part = end - i;
        if (part == 0 || (part == 1 && path[i] == '.')) {
            // nothing to add
        } else if (part == 2 && path[i] == '.' && path[i + 1] == '.') {
            if (out.Size() == start) {
                return false;
            }
            const char *kept = out.Data();
            size_t slash = out.Size();
            while (slash > start && kept[slash - 1] != '/') {
                --slash;
            }
            out.Truncate(slash - 1);
        } else {
            out.Append('/');
            out.Append(path + i, part);
        }
        i = end;
    }
    if (out.Size() == start) {
        out.Append('/');
    }
    return !out.Failed();
}

// A "file:///" address whose path the full road reads the same way, decoded to bytes.
// Anything QUrl might read differently (a query, a fragment, a character it would escape,
// a broken escape) is not taken.
bool DecodeFileAddress(const char *address, Bytes &path)
{
    const char *p = address + sizeof fileScheme - 1;
    if (*p != '/') {
        return false; // a host
    }
    for (; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '%') {
            const int high = HexValue(static_cast<unsigned char>(p[1]));
            const int low = high < 0 ? -1 : HexValue(static_cast<unsigned char>(p[2]));
            if (low < 0 || (high == 0 && low == 0)) {
                return false;
            }
            path.Append(char(high * 16 + low));
            p += 2;
        } else if (IsUnreserved(c) || std::strchr("!$&'()*+,;=:@/", c)) {
            path.Append(char(c));
        } else {
            return false;
        }
    }
    return !path.Failed();
}

// What the full road's address test makes of an argument: 1 an address, 0 a path, -1 not
// sure (a scheme with letters beyond ASCII, which Qt's letter test may or may not accept).
int LooksLikeAddress(const char *argument)
{
    const char *colon = std::strstr(argument, "://");
    if (!colon || colon == argument) {
        return 0;
    }
    for (const char *p = argument; p < colon; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x80) {
            return -1;
        }
        if (!(IsAsciiLetterOrDigit(c) || c == '+' || c == '-' || c == '.')) {
            return 0;
        }
    }
    return 1;
}

bool AppendPath(const char *argument, const char *workingFolder, Bytes &path)
{
    const int address = LooksLikeAddress(argument);
    if (address < 0) {
        return false;
    }
    if (address > 0) {
        if (std::strncmp(argument, fileScheme, sizeof fileScheme - 1) != 0) {
            return false;
        }
        Bytes decoded;
        return DecodeFileAddress(argument, decoded) &&
               AppendCleanPath(decoded.Data(), decoded.Size(), path);
    }
    if (argument[0] == '/') {
        return AppendCleanPath(argument, std::strlen(argument), path);
    }
    Bytes joined;
    joined.Append(workingFolder);
    joined.Append('/');
    joined.Append(argument);
    return !joined.Failed() && AppendCleanPath(joined.Data(), joined.Size(), path);
}

void AppendPercentEncoded(const char *bytes, size_t size, Bytes &out)
{
    static const char hex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (IsUnreserved(c) || c == '/') {
            out.Append(char(c));
        } else {
            const char escape[] = {'%', hex[c >> 4], hex[c & 15]};
            out.Append(escape, sizeof escape);
        }
    }
}

bool IsPrivateFolder(const char *path)
{
    struct stat info;
    return ::lstat(path, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 077) == 0;
}

bool IsAscii(const char *text)
{
    for (; *text; ++text) {
        if (static_cast<unsigned char>(*text) >= 0x80) {
            return false;
        }
    }
    return true;
}

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

bool RequestFor(int count, const char *const *arguments, const char *workingFolder, Bytes &request)
{
    request.Clear();
    bool optionsEnded = false;
    Bytes path;
    for (int i = 0; i < count; ++i) {
        const char *argument = arguments[i];
        if (!optionsEnded && argument[0] == '-' && argument[1] != '\0') {
            if (std::strcmp(argument, "--") != 0) {
                return false; // an option, or the toolkit's
            }
            optionsEnded = true;
            continue;
        }
        path.Clear();
        if (!workingFolder || workingFolder[0] != '/' ||
            !AppendPath(argument, workingFolder, path)) {
            return false;
        }
        // A name that is missing is named to the user by the full road.
        struct stat info;
        if (::stat(path.Data(), &info) != 0) {
            return false;
        }
        request.Append("open ");
        request.Append(fileScheme);
        AppendPercentEncoded(path.Data(), path.Size(), request);
        request.Append('\n');
    }
    request.Append("show\n");
    return !request.Failed();
}

bool ServerAddress(Bytes &address)
{
    address.Clear();
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsPrivateFolder(runtime)) {
        if (!IsAscii(runtime) || !AppendCleanPath(runtime, std::strlen(runtime), address)) {
            return false;
        }
    } else {
        // The full road's own folder in the temporary folder, which it makes when missing;
        // missing, no window has listened there.
        const char *temp = std::getenv("TMPDIR");
        if (!temp || !temp[0]) {
            temp = "/tmp";
        }
        char resolved[PATH_MAX];
        if (!IsAscii(temp) || !::realpath(temp, resolved) || std::strcmp(resolved, "/") == 0) {
            return false;
        }
        char own[PATH_MAX + 64];
        std::snprintf(own, sizeof own, "%s/orvel-bluray-player-%u", resolved, unsigned(::getuid()));
        if (!IsPrivateFolder(own)) {
            return false;
        }
        address.Append(own);
    }
    if (address.Size() > 1) {
        address.Append('/');
    }
    address.Append(socketName);
    return !address.Failed() && address.Size() < sizeof(sockaddr_un::sun_path);
}

bool Deliver(const char *address, const Bytes &request, int timeoutMs)
{
    const long long deadline = NowMs() + timeoutMs;
    sockaddr_un server{};
    server.sun_family = AF_UNIX;
    const size_t length = std::strlen(address);
    if (length == 0 || length >= sizeof server.sun_path || request.Failed()) {
        return false;
    }
    std::memcpy(server.sun_path, address, length);
    Socket socket;
    if (socket.fd < 0) {
        return false;
    }
    if (::connect(socket.fd, reinterpret_cast<const sockaddr *>(&server), sizeof server) != 0) {
        int error = 0;
        socklen_t size = sizeof error;
        if ((errno != EINPROGRESS && errno != EAGAIN) || !WaitFor(socket.fd, POLLOUT, deadline) ||
            ::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
            return false;
        }
    }
    size_t written = 0;
    while (written < request.Size()) {
        const ssize_t sent =
            ::send(socket.fd, request.Data() + written, request.Size() - written, MSG_NOSIGNAL);
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

} // namespace FrontHandOver
