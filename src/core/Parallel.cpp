#include "Parallel.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace core {

unsigned workerThreads()
{
    return std::clamp(std::thread::hardware_concurrency(), 1U, 4U);
}

void runSideBySide(unsigned count, const std::function<void(unsigned)>& work)
{
    std::vector<std::exception_ptr> failures(count);
    const auto run = [&work, &failures](unsigned i) {
        try {
            work(i);
        } catch (...) {
            failures[i] = std::current_exception();
        }
    };
    {
        std::vector<std::thread> threads;
        std::vector<unsigned> here; // work no thread could be started for: done on this one
        threads.reserve(count > 0 ? count - 1 : 0);
        for (unsigned i = 1; i < count; ++i) {
            try {
                threads.emplace_back(run, i);
            } catch (const std::system_error&) {
                here.push_back(i);
            }
        }
        if (count > 0)
            run(0);
        for (const unsigned i : here)
            run(i);
        for (std::thread& thread : threads)
            thread.join();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace core
