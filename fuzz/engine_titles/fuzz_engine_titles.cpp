// Feeds arbitrary bytes to the parser behind the engine's title numbers: it must stay inside
// the bytes (the sanitizers watch), give the same answer twice, and keep what it remembers of
// a playlist small however the file inflates its streams.

#include "../FuzzCheck.h"
#include "disc/EngineTitleList.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const EngineTitleList::Playlist first = EngineTitleList::Parse(bytes);
    const EngineTitleList::Playlist second = EngineTitleList::Parse(bytes);
    Check(first.parsed == second.parsed && first.identity == second.identity &&
          first.repeatsClip == second.repeatsClip);
    Check(first.parsed || (first.identity.isEmpty() && !first.repeatsClip));
    Check(first.identity.size() < 200000);
    return 0;
}
