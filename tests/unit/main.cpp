// Test entry: the test thread plays the program's main thread, so posts to it land in its queue.
#include <gtest/gtest.h>
#include "app/KalvoraApp.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    theApp.AttachToCurrentThread();
    int nResult = RUN_ALL_TESTS();
    theApp.DetachFromCurrentThread();
    return nResult;
}
