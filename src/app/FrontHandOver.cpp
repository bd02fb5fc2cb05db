#include "app/FrontHandOver.h"

#include "platform/SocketRequest.h"

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
    return !request.Failed() &&
           SocketRequest::Deliver(address, request.Data(), request.Size(), timeoutMs);
}

} // namespace FrontHandOver
