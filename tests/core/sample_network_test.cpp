#include "app/sample_network.h"
#include "check_run_fixture.h"
#include "profile/profile_file.h"

namespace corvinax {
namespace {

using test::CheckRun;

class SampleNetworkRun : public CheckRun {};

TEST_F(SampleNetworkRun, FirstRunShowsTheSampleViolators)
{
    const std::string root = dir.file("sample");
    writeSampleNetwork({root, settingsPath, dir.file("Smart")}, clock.now());
    ProfileFile file(settingsPath);
    loadSettings(file, settings, DefaultPaths::forThisMachine(dir.path(), dir.path()));
    ASSERT_EQ(settings.checkDirs.size(), 3u);
    test::writeFile(settings.smartFile, "[Main]\r\nParamName=RUS\r\n[RUS]\r\n5=Переназначенные сектора\r\n");
    view.answer(true);  // the report of the former employee is old: remove it

    runner.StartCheck();

    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_NE(view.questions[0].find("FIL-02.ini"), std::string::npos);
    EXPECT_EQ(countNodesStartingWith("Удален файл "), 1);
    for (const char* computer : {"BUH-01", "BUH-02", "SKLAD-01", "SKLAD-02", "FIL-01"})
        EXPECT_EQ(countNodesStartingWith(std::string("Компьютер :") + computer + ","), 1) << computer;
    EXPECT_EQ(countNodesStartingWith("Окончание проверки"), 1);
    const auto nodes = dump();
    EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [](const std::string& n) {
        return n.find("=Corvinax : нет или неверна подпись файла ") != std::string::npos;
    }));
    EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [](const std::string& n) {
        return n.find("SMART [5] Переназначенные сектора") != std::string::npos;
    }));
    EXPECT_TRUE(test::fileExists(root + "/removed/FIL-02.ini"));
}

}  // namespace
}  // namespace corvinax
