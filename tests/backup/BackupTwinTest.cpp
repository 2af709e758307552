// Tests of pelrudo-backup, the dialog's text twin, run as a program against a running handheld emulator.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "BackupScene.h"

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

// Runs pelrudo-backup with the words (each quoted) in this process's environment.
Outcome RunTwin(const BackupScene& scene, const std::vector<std::string>& words)
{
    const std::string errFile = scene.device.Folder() + "/twin.err";
    std::string command = "'" + DeviceEmulator::Program("pelrudo-backup") + "'";
    for (const std::string& word : words)
        command += " '" + word + "'";
    command += " 2>'" + errFile + "'";
    Outcome outcome{-1, {}, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return outcome;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        outcome.out.append(buffer, n);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = TestFolder::ReadHostFile(errFile);
    return outcome;
}

class BackupTwinTest : public ::testing::Test {
protected:
    BackupScene m_scene;
};

TEST_F(BackupTwinTest, ListPrintsTheRowsInTheDialogsOrderAndBothFigures)
{
    ASSERT_TRUE(m_scene.Start());
    Outcome o = RunTwin(m_scene, {"list"});
    EXPECT_EQ(o.status, 0) << o.err;
    const std::string rows = "[ ] alpha\t1.5 K\n[x] Mid\t4.8 K\n[x] Zeta\t2.9 K\n选定程序所需的空间: 7.8 K\n";
    EXPECT_EQ(o.out.substr(0, rows.size()), rows);
    EXPECT_NE(o.out.find("移动设备上的可用空间: "), std::string::npos);
    EXPECT_EQ(o.err, "");
}

TEST_F(BackupTwinTest, ApplyChangesTheNamedBoxesAndDoesWhatOkDoes)
{
    ASSERT_TRUE(m_scene.Start());
    Outcome o = RunTwin(m_scene, {"apply", "--tick", "alpha", "--untick", "Zeta"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(m_scene.DataFiles(), (std::vector<std::string>{"Gone.cab", "Mid.cab", "alpha.cab"}));
    using Index = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(m_scene.HandheldIndex(), (Index{{"alpha", "alpha.cab"}, {"Mid", "Mid.cab"}, {"Gone", "Gone.cab"}}));

    Outcome listed = RunTwin(m_scene, {"list"});
    const std::string rows = "[x] alpha\t1.5 K\n[x] Mid\t4.8 K\n[ ] Zeta\t2.9 K\n";
    EXPECT_EQ(listed.out.substr(0, rows.size()), rows);
}

TEST_F(BackupTwinTest, ApplyOfAnUnknownNameChangesNothing)
{
    ASSERT_TRUE(m_scene.Start());
    const std::string before = TestFolder::ReadHostFile(m_scene.Handheld("Backup.ini"));
    Outcome o = RunTwin(m_scene, {"apply", "--tick", "alpha", "--untick", "Gone"});
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("Gone"), std::string::npos);
    EXPECT_EQ(TestFolder::ReadHostFile(m_scene.Handheld("Backup.ini")), before);
    EXPECT_EQ(m_scene.DataFiles(), (std::vector<std::string>{"Gone.cab", "Mid.cab", "Zeta.cab"}));
}

TEST_F(BackupTwinTest, FailuresPrintTheDialogsMessages)
{
    const struct {
        BackupScene::Parts parts;
        bool serve;
        const char* message;
    } cases[] = {
        {{}, false, "程序无法正确运行，请确认您是否已经与PocketPC相连!\n"},
        {{false, true, true}, true, "程序无法正确运行，请确认Ostrevan已安装,且在运行状态!\n"},
        {{true, false, true}, true, "程序无法正确运行，请确认您是否已经安装了Microsoft ActiveSync!\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        BackupScene scene;
        if (c.serve)
            ASSERT_TRUE(scene.Start(c.parts));
        else
            scene.UseAsDesktop();
        for (const char* command : {"list", "apply"}) {
            Outcome o = RunTwin(scene, {command});
            EXPECT_EQ(o.status, 1);
            EXPECT_EQ(o.err, c.message);
            EXPECT_EQ(o.out, "");
        }
    }
}

TEST_F(BackupTwinTest, BadUsageIsRefused)
{
    ASSERT_TRUE(m_scene.Start());
    for (const std::vector<std::string>& words : {std::vector<std::string>{}, {"list", "extra"}, {"apply", "--tick"},
                                                  {"apply", "--toggle", "alpha"}, {"remove"}}) {
        Outcome o = RunTwin(m_scene, words);
        EXPECT_EQ(o.status, 2);
        EXPECT_NE(o.err.find("usage"), std::string::npos);
    }
}

}  // namespace
