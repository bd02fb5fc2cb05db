#pragma once

#include <cstdlib>

// A broken promise stops the run, so that libFuzzer keeps the input that broke it.
inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}
