#pragma once

#include <functional>

namespace core {

/** How many threads work split side by side takes: as many as the processor runs at once, from one to four (the
 *  reading of a big file gains little past four, and the window keeps a core to itself). */
unsigned workerThreads();

/** Runs `work(i)` for every i below `count`: work(0) on the calling thread, each other on a thread of its own.
 *  Returns when all have ended; the exception of the lowest i that threw, if any, is thrown again here. */
void runSideBySide(unsigned count, const std::function<void(unsigned)>& work);

/** The first of `rows` rows that part `part` of `parts` takes; part `parts` begins after the last row. The parts
 *  differ in size by a row at most. */
inline int partStart(int rows, unsigned part, unsigned parts)
{
    return static_cast<int>(static_cast<long long>(rows) * part / parts);
}

} // namespace core
