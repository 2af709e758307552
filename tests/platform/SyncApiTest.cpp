// Tests of events, waits and critical sections.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/FileApi.h"
#include "platform/SyncApi.h"
#include "platform/WinBase.h"

namespace {

TEST(SyncApi, ManualResetEventsStaySignalledUntilReset)
{
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 10), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(CloseHandle(event));
}

TEST(SyncApi, AutoResetEventsReleaseOneWaitEach)
{
    HANDLE event = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(event);
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "signals do not add up";
    CloseHandle(event);
}

TEST(SyncApi, AWaitEndsWhenAnotherThreadSignals)
{
    HANDLE ready = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    std::atomic<bool> woke{false};
    std::thread waiter([&] {
        EXPECT_EQ(WaitForSingleObject(ready, INFINITE), WAIT_OBJECT_0);
        woke = true;
    });
    EXPECT_FALSE(woke);
    SetEvent(ready);
    waiter.join();
    EXPECT_TRUE(woke);
    CloseHandle(ready);
}

TEST(SyncApi, AutoResetLetsExactlyOneOfManyWaitersThrough)
{
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    std::atomic<int> through{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i)
        waiters.emplace_back([&] {
            if (WaitForSingleObject(event, 300) == WAIT_OBJECT_0) ++through;
        });
    SetEvent(event);
    for (auto& waiter : waiters) waiter.join();
    EXPECT_EQ(through, 1);
    CloseHandle(event);
}

TEST(SyncApi, WaitsOnBadHandlesFail)
{
    HANDLE event = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(event);
    int bogus = 0;
    for (HANDLE handle : {event, static_cast<HANDLE>(&bogus), INVALID_HANDLE_VALUE}) {
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(SetEvent(handle));
        EXPECT_FALSE(ResetEvent(handle));
    }
}

TEST(SyncApi, CriticalSectionsExcludeOtherThreadsAndNest)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    long counter = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) {
                EnterCriticalSection(&section);
                EnterCriticalSection(&section);  // the owner may enter again
                ++counter;
                LeaveCriticalSection(&section);
                LeaveCriticalSection(&section);
            }
        });
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(counter, 40000);
    DeleteCriticalSection(&section);
    EXPECT_EQ(section.impl, nullptr);
}

}  // namespace
