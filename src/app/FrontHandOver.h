#pragma once

#include <cstddef>

// The second start's quick road: hand plain paths to a running window without loading Qt.
// It speaks the same bytes as HandOver::Request and finds the same socket as
// HandOver::DefaultServerName, but only for the cases it can judge exactly; for anything else
// (an option, an address it cannot read byte for byte, a name that does not exist, a runtime
// folder that would have to be made) it declines, and the full road, which loads Qt, decides.
// Written against the C library only, so the front links nothing else.
namespace FrontHandOver {

// A growable byte string on malloc. A failed allocation leaves it marked failed, never
// half-written without saying so.
class Bytes
{
public:
    Bytes() = default;
    ~Bytes();
    Bytes(const Bytes &) = delete;
    Bytes &operator=(const Bytes &) = delete;

    void Append(const char *data, size_t size);
    void Append(const char *text);
    void Append(char c) { Append(&c, 1); }
    void Clear() { size = 0; }
    void Truncate(size_t newSize);

    // Always ends in a zero byte after Size() bytes (for C calls), unless Failed().
    const char *Data() const { return data ? data : ""; }
    size_t Size() const { return size; }
    bool Failed() const { return failed; }

private:
    char *data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
    bool failed = false;
};

// The request for these arguments (without the program's name) that the full road would
// send, when every one is an existing path (plain, relative to workingFolder, or a
// "file:///" address) or the first "--". False when the full road has to judge them.
bool RequestFor(int count, const char *const *arguments, const char *workingFolder, Bytes &request);

// The running window's socket as the full road names it, when its folder is there already.
bool ServerAddress(Bytes &address);

// Sends the request; true once the window has answered that it took it. False when nobody
// listens or nobody answers within timeoutMs.
bool Deliver(const char *address, const Bytes &request, int timeoutMs);

} // namespace FrontHandOver
