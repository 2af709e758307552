// Tests of the platform's threads and CWinThread: suspended start, priorities, self-deletion, waits.
#include "platform/CWinThread.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>

#include "platform/FileApi.h"
#include "platform/SyncApi.h"
#include "platform/ThreadApi.h"

namespace {

struct Probe {
    std::atomic<int> runs{0};
    std::atomic<int> policy{-1};
};

UINT RecordPolicy(LPVOID param)
{
    auto* probe = static_cast<Probe*>(param);
    probe->policy = sched_getscheduler(0);
    ++probe->runs;
    return 42;
}

TEST(CWinThreadTest, ASuspendedThreadRunsOnlyAfterResume)
{
    Probe probe;
    CWinThread* thread = AfxBeginThread(RecordPolicy, &probe, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 50), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(probe.runs, 0);
    EXPECT_EQ(thread->ResumeThread(), 1u);
    ASSERT_EQ(WaitForSingleObject(thread->m_hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(probe.runs, 1);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread->m_hThread, &code));
    EXPECT_EQ(code, 42u);
    delete thread;
}

TEST(CWinThreadTest, IdlePriorityRunsUnderTheHostsIdleClass)
{
    struct Case {
        int priority;
        int policy;
    };
    const Case cases[] = {{THREAD_PRIORITY_IDLE, SCHED_IDLE}, {THREAD_PRIORITY_NORMAL, SCHED_OTHER},
                          {THREAD_PRIORITY_ABOVE_NORMAL, SCHED_OTHER}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.priority);
        Probe probe;
        CWinThread* thread = AfxBeginThread(RecordPolicy, &probe, c.priority, 0, CREATE_SUSPENDED);
        ASSERT_NE(thread, nullptr);
        thread->m_bAutoDelete = FALSE;
        EXPECT_EQ(thread->GetThreadPriority(), c.priority);
        thread->ResumeThread();
        WaitForSingleObject(thread->m_hThread, INFINITE);
        EXPECT_EQ(probe.policy, c.policy);
        delete thread;
    }
}

TEST(CWinThreadTest, AnAutoDeletingThreadCanBeAwaitedThroughACopiedHandle)
{
    Probe probe;
    CWinThread* thread = AfxBeginThread(RecordPolicy, &probe, THREAD_PRIORITY_IDLE, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    thread->ResumeThread();
    // The thread object is gone once the procedure returns; the copy still names the thread.
    ASSERT_EQ(WaitForSingleObject(copy, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(SetThreadPriority(copy, THREAD_PRIORITY_ABOVE_NORMAL));
    EXPECT_EQ(probe.runs, 1);
    EXPECT_TRUE(CloseHandle(copy));
    EXPECT_EQ(WaitForSingleObject(copy, 0), WAIT_FAILED);
}

TEST(CWinThreadTest, BadHandlesAreRefused)
{
    EXPECT_EQ(ResumeThread(nullptr), 0xFFFFFFFFu);
    EXPECT_FALSE(SetThreadPriority(nullptr, THREAD_PRIORITY_IDLE));
    EXPECT_EQ(GetThreadPriority(nullptr), THREAD_PRIORITY_ERROR_RETURN);
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(SetThreadPriority(event, THREAD_PRIORITY_IDLE));
    CloseHandle(event);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

}  // namespace
