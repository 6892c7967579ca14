#include "CliRunner.h"

#include "io/Platform.h"

#include <cstdlib>
#include <iostream>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNWICK_CLI_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TARNWICK_CLI_SANITIZED 1
#endif

#ifndef TARNWICK_CLI_SANITIZED
// A command reads a file of up to 64 MiB and makes tables of a million rows at once, each written through right after
// it is made: blocks of 4 MiB and more are advised for large memory pages, which the system faults in at a fraction
// of the cost of small ones (io::adviseLargeBuffer, a hint where there are none). Blocks come from malloc and go back
// through the standard operator delete, which frees them. A sanitizer's build keeps its own operator new.
void* operator new(std::size_t size)
{
    constexpr std::size_t LargeBlock = std::size_t(4) << 20;
    for (;;) {
        if (void* block = std::malloc(size == 0 ? 1 : size)) {
            if (size >= LargeBlock)
                io::adviseLargeBuffer(block, size);
            return block;
        }
        const std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

void* operator new[](std::size_t size)
{
    return ::operator new(size);
}
#endif

int main(int argc, char** argv)
{
    io::setBinaryStandardOutput();
    return cli::CliRunner(std::cout, std::cerr).run(argc, argv);
}
