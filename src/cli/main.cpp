#include <iostream>

#include "cli/cli_context.h"

int main(int argc, char** argv) { return tq::RunCli(argc, argv, std::cout, std::cerr, true); }
