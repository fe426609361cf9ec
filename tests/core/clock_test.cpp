#include <gtest/gtest.h>

#include "core/Clock.h"

TEST(VirtualClockTest, TimersFireInOrderOnlyWhenAdvanced) {
    VirtualClock clock;
    auto fast = clock.createTimer();
    auto slow = clock.createTimer();
    std::vector<std::pair<char, qint64>> fired;
    fast->setInterval(300);
    slow->setInterval(500);
    fast->onTimeout = [&] { fired.push_back({'f', clock.msecs()}); };
    slow->onTimeout = [&] { fired.push_back({'s', clock.msecs()}); };
    fast->start();
    slow->start();
    clock.delay(2000);  // a busy wait runs no timer
    EXPECT_TRUE(fired.empty());
    clock.advance(0);  // late timers fire once, then keep their period
    clock.advance(600);
    const std::vector<std::pair<char, qint64>> want = {
        {'f', 2001}, {'s', 2001}, {'f', 2301}, {'s', 2501}, {'f', 2601}};
    EXPECT_EQ(fired, want);
    EXPECT_NEAR(clock.now() - 46000.5, 2601 / 86400000.0, 1e-10);
}
