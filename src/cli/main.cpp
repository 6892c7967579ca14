#include "CliRunner.h"

#include "io/Platform.h"

#include <iostream>

int main(int argc, char** argv)
{
    io::setBinaryStandardOutput();
    return cli::CliRunner(std::cout, std::cerr).run(argc, argv);
}
