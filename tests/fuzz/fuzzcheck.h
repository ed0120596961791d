#pragma once

#include <cstdlib>

// A property every input must keep: when it breaks, the fuzzer stops there
// and keeps the input, and the corpus replay fails on it.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}
