// Tests of CLogFile: file format, stamps, order across threads, draining, stopped logs and failing writes.
#include "framework/CLogFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Text.h"
#include "platform/WinBase.h"
#include "tests/platform/TestFolder.h"

namespace {

// The file's code units after the byte-order mark, split at CR LF; the mark must be first.
std::vector<std::string> ReadLines(const TestFolder& folder, const std::string& name)
{
    const std::string bytes = folder.ReadBytes(name);
    EXPECT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE", 2));
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2)
        lines.push_back(Utf16ToUtf8(text.substr(start, end - start)));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

// The message of a line, after its stamp.
std::string Message(const std::string& line)
{
    const std::size_t end = line.find("] ");
    return end == std::string::npos ? std::string("<no stamp>") : line.substr(end + 2);
}

class CLogFileTest : public ::testing::Test {
protected:
    TestFolder folder;
    CLogFile log;
};

TEST_F(CLogFileTest, NewFileIsMarkThenStampedLines)
{
    folder.WriteBytes("app.txt", "old content that must go");
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    log.LogInfo(u"value %d of %s", 7, u"中文");
    log.Destory();
    const auto lines = ReadLines(folder, "app.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "value 7 of 中文");
}

TEST_F(CLogFileTest, StampIsLocalTimeOfTheCallWithoutPadding)
{
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    SYSTEMTIME before{};
    SYSTEMTIME after{};
    GetLocalTime(&before);
    log.LogInfo(u"x");
    GetLocalTime(&after);
    log.Destory();
    const auto lines = ReadLines(folder, "app.txt");
    ASSERT_EQ(lines.size(), 1u);
    std::smatch m;
    const std::regex stamp(R"(^\[(0|[1-9]\d?):(0|[1-9]\d?):(0|[1-9]\d?)\.(0|[1-9]\d{0,2})\] x$)");
    ASSERT_TRUE(std::regex_match(lines[0], m, stamp)) << lines[0];
    auto ms = [](int h, int mi, int s, int f) { return ((h * 60 + mi) * 60 + s) * 1000 + f; };
    const int logged = ms(std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]));
    const int first = ms(before.wHour, before.wMinute, before.wSecond, before.wMilliseconds);
    const int last = ms(after.wHour, after.wMinute, after.wSecond, after.wMilliseconds);
    if (first <= last) {  // not across midnight
        EXPECT_GE(logged, first);
        EXPECT_LE(logged, last);
    }
}

TEST_F(CLogFileTest, OneTrailingLineFeedIsDroppedAndNothingElse)
{
    struct Case {
        const char16_t* text;
        const char* expected;
    };
    const Case cases[] = {
        {u"abc\n", "abc"}, {u"abc", "abc"}, {u"", ""}, {u"\n", ""}, {u"a\n\n", "a\n"}, {u"  a b  ", "  a b  "},
    };
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    for (const Case& c : cases) log.LogInfo(u"%s", c.text);
    log.Destory();
    const std::string bytes = folder.ReadBytes("app.txt");
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
    // Split at the stamps, since one message keeps an inner line feed.
    std::vector<std::string> messages;
    const std::string all = Utf16ToUtf8(text);
    const std::regex line(R"(\[\d+:\d+:\d+\.\d+\] ([^\r]*)\r\n)");
    for (std::sregex_iterator it(all.begin(), all.end(), line), end; it != end; ++it) messages.push_back((*it)[1]);
    ASSERT_EQ(messages.size(), std::size(cases));
    for (std::size_t i = 0; i < messages.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(messages[i], cases[i].expected);
    }
}

TEST_F(CLogFileTest, LongMessagesAreCutTo255UnitsWithoutSplittingAPair)
{
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    const std::u16string longText(1000, u'x');
    log.LogInfo(u"%s", longText.c_str());
    // 254 units, then a pair that would straddle the limit: it is dropped whole.
    const std::u16string straddling = std::u16string(254, u'y') + u"\U0001F600" + u"z";
    log.LogInfo(u"%s", straddling.c_str());
    log.Destory();
    const auto lines = ReadLines(folder, "app.txt");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Message(lines[0]), std::string(255, 'x'));
    EXPECT_EQ(Message(lines[1]), std::string(254, 'y'));
}

TEST_F(CLogFileTest, LinesOfEachThreadKeepTheirOrderAndAllAreWritten)
{
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    constexpr int kThreads = 4;
    constexpr int kLines = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < kLines; ++i) log.LogInfo(u"%d %d", t, i);
        });
    for (auto& thread : threads) thread.join();
    log.Destory();
    const auto lines = ReadLines(folder, "app.txt");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
    std::vector<int> next(kThreads, 0);
    for (const auto& line : lines) {
        int t = -1;
        int i = -1;
        ASSERT_EQ(std::sscanf(Message(line).c_str(), "%d %d", &t, &i), 2) << line;
        ASSERT_TRUE(t >= 0 && t < kThreads) << line;
        ASSERT_EQ(i, next[t]) << "thread " << t << " out of order";
        ++next[t];
    }
}

TEST_F(CLogFileTest, DestoryFromAnotherThreadWritesEveryQueuedLine)
{
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    constexpr int kLines = 20000;
    for (int i = 0; i < kLines; ++i) log.LogInfo(u"line %d", i);
    std::thread stopper([this] { log.Destory(); });
    stopper.join();
    const auto lines = ReadLines(folder, "app.txt");
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLines));
    for (int i = 0; i < kLines; i += 997) EXPECT_EQ(Message(lines[i]), "line " + std::to_string(i));
    EXPECT_EQ(Message(lines.back()), "line " + std::to_string(kLines - 1));
}

TEST_F(CLogFileTest, LoggingWhileDestoryRunsNeitherFailsNorTearsLines)
{
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) log.LogInfo(u"busy %d", i);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    log.Destory();
    stop = true;
    writer.join();
    const auto lines = ReadLines(folder, "app.txt");
    for (std::size_t i = 0; i < lines.size(); ++i) ASSERT_EQ(Message(lines[i]), "busy " + std::to_string(i));
}

TEST_F(CLogFileTest, StoppedLogDropsMessagesAndDestoryIsANoOp)
{
    log.LogInfo(u"before create");
    log.Destory();
    log.Destory();
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    log.LogInfo(u"kept");
    log.Destory();
    log.LogInfo(u"after destory");
    log.Destory();
    const auto lines = ReadLines(folder, "app.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "kept");
}

TEST_F(CLogFileTest, SecondCreateClosesTheFirstFileComplete)
{
    ASSERT_NE(log.Create(folder.Path("one.txt")), 0);
    for (int i = 0; i < 100; ++i) log.LogInfo(u"first %d", i);
    ASSERT_NE(log.Create(folder.Path("two.txt")), 0);
    log.LogInfo(u"second");
    // The first file is closed: another exclusive log can take it over.
    CLogFile other;
    EXPECT_EQ(ReadLines(folder, "one.txt").size(), 100u);
    EXPECT_NE(other.Create(folder.Path("one.txt")), 0);
    other.Destory();
    log.Destory();
    const auto lines = ReadLines(folder, "two.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "second");
}

TEST_F(CLogFileTest, CreatesRacingOnTwoThreadsLeaveNoWriterBehind)
{
    auto creator = [this](const char* name) {
        return std::thread([this, name] {
            for (int i = 0; i < 50; ++i) {
                log.Create(folder.Path(name));
                log.LogInfo(u"%d", i);
            }
        });
    };
    std::thread one = creator("one.txt");
    std::thread two = creator("two.txt");
    one.join();
    two.join();
    log.Destory();
    // Neither file is still held by a forgotten writer.
    for (const char* name : {"one.txt", "two.txt"}) {
        SCOPED_TRACE(name);
        CLogFile other;
        EXPECT_NE(other.Create(folder.Path(name)), 0);
    }
}

TEST_F(CLogFileTest, ARunningLogHoldsItsFileExclusively)
{
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    CLogFile other;
    EXPECT_EQ(other.Create(folder.Path("app.txt")), 0);
    other.LogInfo(u"dropped");
    log.LogInfo(u"kept");
    log.Destory();
    const auto lines = ReadLines(folder, "app.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "kept");
}

TEST_F(CLogFileTest, CreateFailsWhereTheFileCannotBeWritten)
{
    std::filesystem::create_directory(folder.Host("ro"));
    folder.WriteBytes("readonly.txt", "keep");
    std::filesystem::permissions(folder.Host("readonly.txt"), std::filesystem::perms::owner_read);
    std::vector<std::string> refused = {"missing/app.txt", "readonly.txt"};
    // The superuser writes into any folder; a read-only folder refuses only others.
    if (::geteuid() != 0) {
        std::filesystem::permissions(folder.Host("ro"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        refused.push_back("ro/app.txt");
    }
    for (const auto& name : refused) {
        SCOPED_TRACE(name);
        EXPECT_EQ(log.Create(folder.Path(name)), 0);
        log.LogInfo(u"dropped");
        log.Destory();
    }
    EXPECT_FALSE(folder.Exists("missing/app.txt"));
    EXPECT_FALSE(folder.Exists("ro/app.txt"));
    EXPECT_EQ(folder.ReadBytes("readonly.txt"), "keep");
    // The same object still starts on a good path afterwards.
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    log.LogInfo(u"kept");
    log.Destory();
    EXPECT_EQ(ReadLines(folder, "app.txt").size(), 1u);
}

TEST_F(CLogFileTest, FailingWritesLoseLinesButNotTheProcess)
{
    // A file size limit makes the writer's writes fail part-way (EFBIG instead of the signal).
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    for (int i = 0; i < 2000; ++i) log.LogInfo(u"a line that is long enough to fill the limit soon %d", i);
    log.Destory();
    setrlimit(RLIMIT_FSIZE, &old);
    sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_LE(std::filesystem::file_size(folder.Host("app.txt")), 4096u);
    // The same object logs again once writes succeed.
    ASSERT_NE(log.Create(folder.Path("app.txt")), 0);
    log.LogInfo(u"after");
    log.Destory();
    const auto lines = ReadLines(folder, "app.txt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "after");
}

TEST_F(CLogFileTest, DestructorDrainsTheQueue)
{
    {
        CLogFile scoped;
        ASSERT_NE(scoped.Create(folder.Path("app.txt")), 0);
        for (int i = 0; i < 500; ++i) scoped.LogInfo(u"%d", i);
    }
    EXPECT_EQ(ReadLines(folder, "app.txt").size(), 500u);
}

}  // namespace
