#include <gtest/gtest.h>

#include "tests/win/program_test.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!registerSimulatedCard(true)) {
        std::fprintf(stderr, "cannot register the simulated card\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
