// Test programs' entry: in-process stages never wait on the developer's terminal.
#include <gtest/gtest.h>

#include "common/console.h"

int main(int argc, char** argv)
{
    set_key_wait(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
