// Faults under real conditions: a killed process, a full file system, a locked or damaged table.

#include "findings/result_tree.h"
#include "output/check_log.h"
#include "output/warehouse_export.h"
#include "platform/error.h"
#include "profile/profile_file.h"
#include "settings/settings.h"
#include "support/dbf_files.h"
#include "support/fake_clock.h"
#include "support/fake_run_view.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvinax {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

Settings settingsWithRows(const std::string& text, int rows)
{
    Settings s;
    s.workDir = "/tmp/work";
    for (int i = 0; i < rows; ++i)
        s.filters.appendRow(text + std::to_string(i), i % 3);
    s.checkDirs.push_back({"/data/" + text});
    return s;
}

TEST(KilledSave, LeavesTheOldOrTheNewFileNeverATornOne)
{
    TempDir dir;
    test::FakeClock clock;
    const Settings a = settingsWithRows("aaaaaaaa", 3000);
    const Settings b = settingsWithRows("bb", 3000);
    std::string bytesA;
    std::string bytesB;
    for (auto [settings, bytes] : {std::pair{&a, &bytesA}, std::pair{&b, &bytesB}}) {
        ProfileFile file(dir.file("expected.ini"));
        std::filesystem::remove(dir.file("expected.ini"));
        saveSettings(file, *settings, clock);
        *bytes = readFile(dir.file("expected.ini"));
    }
    const std::string path = dir.file("corvinax.ini");
    writeFile(path, bytesA);

    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (int i = 0;; ++i) {
                ProfileFile file(path);
                saveSettings(file, i % 2 ? a : b, clock);
            }
        }
        ::usleep(static_cast<useconds_t>(2000 + round * 700));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = readFile(path);
        ASSERT_TRUE(now == bytesA || now == bytesB) << "round " << round << ": " << now.size() << " bytes";
    }
}

TEST(SettingsFilePermissions, ANewFileIsItsOwnersAloneAnExistingOneKeepsItsOwn)
{
    TempDir dir;
    test::FakeClock clock;
    const std::string path = dir.file("corvinax.ini");
    ProfileFile created = openSettingsFile(path);
    saveSettings(created, Settings{}, clock);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ::chmod(path.c_str(), 0640);
    ProfileFile existing = openSettingsFile(path);
    saveSettings(existing, Settings{}, clock);
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// A file system of a few kilobytes, mounted for the test; skipped where mounting is not allowed.
class FullDisk : public ::testing::Test {
protected:
    explicit FullDisk(const char* size = "size=16k") : m_size(size) {}
    void SetUp() override
    {
        if (::mount("tmpfs", m_dir.path().c_str(), "tmpfs", 0, m_size) != 0)
            GTEST_SKIP() << "cannot mount a small file system here";
        m_mounted = true;
    }
    void TearDown() override
    {
        if (m_mounted)
            ::umount2(m_dir.path().c_str(), MNT_DETACH);
    }
    // Takes what room is left but a few bytes.
    void fill()
    {
        std::string block(1024, 'x');
        int n = 0;
        while (::access(m_dir.file("filler" + std::to_string(n)).c_str(), F_OK) != 0) {
            const std::string path = m_dir.file("filler" + std::to_string(n++));
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0600);
            const bool full = ::write(fd, block.data(), block.size()) < static_cast<ssize_t>(block.size());
            ::close(fd);
            if (full)
                break;
        }
    }
    const TempDir& dir() const { return m_dir; }

private:
    const char* m_size;
    TempDir m_dir;
    bool m_mounted = false;
};

TEST_F(FullDisk, ASettingsSaveThatDoesNotFitChangesNothing)
{
    const std::string path = dir().file("corvinax.ini");
    writeFile(path, "[Config]\r\nAutoRun=1\r\n");
    fill();
    test::FakeClock clock;
    ProfileFile file(path);
    try {
        saveSettings(file, settingsWithRows("a long pattern that takes room ", 200), clock);
        FAIL() << "the save should not fit";
    } catch (const ProfileWriteError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(readFile(path), "[Config]\r\nAutoRun=1\r\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir().path()))
        EXPECT_EQ(entry.path().filename().string().front() == '.', false) << entry.path();
}

TEST_F(FullDisk, ALogBlockThatDoesNotFitLeavesTheLogAsItWas)
{
    const std::string path = dir().file("check.log");
    writeFile(path, "Caption\r\n/exe\r\n\r\nearlier block\r\n\r\n");
    fill();
    try {
        CheckLog(path, {"Caption", "/exe"}).appendLines(std::vector<std::string>(100, std::string(100, 'L')));
        FAIL() << "the block should not fit";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "No space left on device: " + path);
    }
    EXPECT_EQ(readFile(path), "Caption\r\n/exe\r\n\r\nearlier block\r\n\r\n");
}

// Room for a megabyte and a half: a run block of three megabytes is written in pieces, the first
// of which fits.
class FullDiskOfMegabytes : public FullDisk {
protected:
    FullDiskOfMegabytes() : FullDisk("size=3m") {}
};

TEST_F(FullDiskOfMegabytes, ARunBlockTakenBackAfterItsFirstPiecesLeavesTheLogAsItWas)
{
    const std::string path = dir().file("check.log");
    const std::string earlier = "Caption\r\n/exe\r\n\r\nearlier block\r\n\r\n";
    writeFile(path, earlier);
    writeFile(dir().file("filler"), std::string(1536 * 1024, 'x'));
    ResultTree tree;
    for (int i = 0; i < 30000; ++i)
        tree.addTopLevel(std::string(100, 'L'));
    try {
        CheckLog(path, {"Caption", "/exe"}).writeRunBlock(tree, 0);
        FAIL() << "the block should not fit";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "No space left on device: " + path);
    }
    EXPECT_EQ(readFile(path), earlier);
}

}  // namespace
}  // namespace corvinax
