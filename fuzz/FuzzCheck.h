#pragma once

#include <cstdio>
#include <cstdlib>

/** Checks a property of the engine for the input at hand. A property that does not hold is reported on stderr and
 *  ends the run with abort(), which libFuzzer records as a crash and keeps the input for. */
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::fuzz::propertyFailed(#condition, __FILE__, __LINE__);                                                    \
    } while (false)

namespace fuzz {

[[noreturn]] inline void propertyFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "\n%s:%d: property does not hold: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzz
