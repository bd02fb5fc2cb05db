#pragma once

#include <cstddef>

// Delivers one request to the running player's socket and waits for its answer: a line that
// says "ok" once the player has taken the whole request. Uses the C library alone, so that
// the program's front can hand a file over without loading Qt.
namespace SocketRequest {

// False when nobody listens at address, or nobody answers "ok" within timeoutMs.
bool Deliver(const char *address, const char *request, size_t size, int timeoutMs);

} // namespace SocketRequest
