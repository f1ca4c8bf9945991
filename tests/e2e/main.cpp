#include <gtest/gtest.h>

#include "tests/e2e/driver.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    e2e::ReadArguments(argc, argv);
    if (e2e::SetupPath().empty()) {
        std::fprintf(stderr, "usage: %s --setup=SETUP.EXE [--dist=DIR] [--artifacts=DIR]\n", argv[0]);
        return 2;
    }
    if (!e2e::LetWineManageSetupWindows(false)) {
        std::fprintf(stderr, "cannot change Wine's window settings for SETUP.EXE\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
