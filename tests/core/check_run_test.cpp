#include "check_run_fixture.h"

#include <atomic>
#include <fcntl.h>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

namespace corvinax {
namespace {

using test::CheckRun;
using test::readFile;
using test::report;
using test::signedReport;
using test::writeFile;

TEST_F(CheckRun, WorkedExampleNodeForNode)
{
    const std::string cfg = setUpWorkedExample();
    runner.StartCheck();

    const std::string path = cfg + "/PC-07.ini";
    EXPECT_EQ(dump(), (std::vector<std::string>{
                          "0|Начало проверки 07.12.2026 09:00:05|0/0|-1",
                          "0|" + cfg + "|1/1|-1|<DIR>||",
                          "1|Компьютер :PC-07, Пользователь :ivanov|2/2|4|<!>|00-0C-29-3A-5B-7C|" + path,
                          "2|06.12.2026 18:20:11=ADDED Printer|11/0|12|>>>||" + path,
                          "2|06.12.2026 18:25:40=REMOVED Modem|6/0|-1|||" + path,
                          "0|Число файлов в " + cfg + " увеличилось с 1 до 2|0/0|-1",
                          "0|Окончание проверки 07.12.2026 09:00:09, проверено 2 конф., обнаружено нарушителей : 1|0/0|-1",
                      }));
    EXPECT_EQ(stored(cfg, "PC-07.ini"), "06.12.2026 18:25:40");
    EXPECT_EQ(stored(cfg, "PC-12.ini"), "01.12.2026 08:00:00");
    EXPECT_EQ(settings.checkDirs[0].expectedCount, "2");
    EXPECT_EQ(view.gauge1.maximum, 1);
    EXPECT_EQ(view.gauge2.maximum, 1);
    EXPECT_EQ(tree.selected(), tree.topLevel().front().get());
    EXPECT_TRUE(view.messages.empty());

    // The next run over the same files adds its start and end lines only.
    runner.StartCheck();
    const auto nodes = dump();
    ASSERT_EQ(nodes.size(), 9u);
    EXPECT_EQ(nodes[8], "0|Окончание проверки 07.12.2026 09:00:09, проверено 2 конф., обнаружено нарушителей : 0|0/0|-1");
}

TEST_F(CheckRun, CyrillicDirectoryAndFileNamesAreFoundAndKeptAsProgramText)
{
    // Program text is code page 1251; the names on disk are UTF-8.
    const std::string utf8Directory = dir.path() + "/\xD0\xBE\xD1\x82\xD0\xB4\xD0\xB5\xD0\xBB";  // отдел
    std::filesystem::create_directory(utf8Directory);
    writeFile(utf8Directory + "/\xD0\x9F\xD0\x9A-07.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));  // ПК-07
    const std::string listed = dir.path() + "/отдел";
    settings.checkDirs.push_back({listed, "1"});

    runner.StartCheck();

    EXPECT_EQ(stored(listed, "ПК-07.ini"), "07.12.2026 08:00:00");
    EXPECT_EQ(tree.topLevel()[1]->text, listed);
    EXPECT_EQ(tree.topLevel()[1]->children()[0]->data->reportPath, listed + "/ПК-07.ini");
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(CheckRun, EmptyDirectoryListOnlySaysHowToFillIt)
{
    runner.StartCheck();
    EXPECT_EQ(view.messages, std::vector<std::string>{"Для заполнения перечня каталогов нажмите на кнопку \"Добавить\""});
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(view.events, (std::vector<std::string>{"results page", "exit off", "exit on", "gauges hidden", "save shown"}));
}

TEST_F(CheckRun, ADirectoryWithoutReportsIsInvalidAndTheRunGoesOn)
{
    const std::string missing = dir.file("missing");
    settings.checkDirs.push_back({missing, "5"});
    const std::string empty = checkDir("empty");
    const std::string good = checkDir("good");
    writeFile(good + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));

    runner.StartCheck();

    EXPECT_EQ(view.messages, (std::vector<std::string>{"Неверный каталог " + missing, "Неверный каталог " + empty}));
    EXPECT_EQ(countNodesStartingWith("Неверный каталог "), 2);
    EXPECT_EQ(countNodesStartingWith("Число файлов в "), 1);  // only for the good directory
    EXPECT_EQ(settings.checkDirs[0].expectedCount, "5");
    EXPECT_EQ(view.gauge2.maximum, 2);
    EXPECT_EQ(view.gauge2.position, 2);
    EXPECT_EQ(countNodesStartingWith("Компьютер :PC,"), 1);
}

TEST_F(CheckRun, OnlyPlainVisibleFilesAreReports)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    writeFile(cfg + "/notes.txt", "just some text");
    writeFile(cfg + "/.hidden.ini", report("HIDDEN", {"07.12.2026 08:00:00=ADDED Modem"}));
    writeFile(dir.file("outside.ini"), report("LINKED", {"07.12.2026 08:00:00=ADDED Modem"}));
    std::filesystem::create_symlink(dir.file("outside.ini"), cfg + "/linked.ini");
    std::filesystem::create_symlink(dir.file("nowhere"), cfg + "/broken.ini");
    std::filesystem::create_symlink(cfg, cfg + "/loop");
    std::filesystem::create_directory(cfg + "/sub.ini");
    ASSERT_EQ(::mkfifo((cfg + "/pipe.ini").c_str(), 0600), 0);

    runner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("Окончание проверки 07.12.2026 09:00:05, проверено 3 конф."), 1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :PC,"), 1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :LINKED,"), 1);
    EXPECT_EQ(countNodesStartingWith("Компьютер :HIDDEN,"), 0);
    EXPECT_EQ(stored(cfg, "notes.txt"), "<none>");  // a stray file has no change line
}

struct ViolatorCase {
    const char* name;
    std::vector<std::string> changes;
    const char* storedKey;  // nullptr: none stored
    bool computerShown;
    const char* newStoredKey;
};

class Violators : public CheckRun, public ::testing::WithParamInterface<ViolatorCase> {};

TEST_P(Violators, NewestKeyAgainstTheStoredOne)
{
    const ViolatorCase& c = GetParam();
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/PC.ini", report("PC", c.changes));
    if (c.storedKey)
        writeFile(settingsPath, "[" + cfg + "]\r\nPC.ini=" + c.storedKey + "\r\n");

    runner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("Компьютер :PC,"), c.computerShown ? 1 : 0);
    EXPECT_EQ(countNodesStartingWith(std::string("Окончание проверки 07.12.2026 09:00:05, проверено 1 конф., "
                                                 "обнаружено нарушителей : ") +
                                     (c.computerShown ? "1" : "0")),
              1);
    EXPECT_EQ(stored(cfg, "PC.ini"), c.newStoredKey);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Violators,
    ::testing::Values(
        ViolatorCase{"NoChangeLines", {}, nullptr, false, "<none>"},
        ViolatorCase{"SameKey", {"07.12.2026 08:00:00=ADDED Modem"}, "07.12.2026 08:00:00", false, "07.12.2026 08:00:00"},
        ViolatorCase{"KeyDiffersInCase", {"07.12.2026 a=ADDED Modem"}, "07.12.2026 A", true, "07.12.2026 a"},
        ViolatorCase{"KeyDiffersInAnInnerBlank", {"07.12.2026  08:00=ADDED Modem"}, "07.12.2026 08:00", true,
                     "07.12.2026  08:00"},
        ViolatorCase{"NewKey", {"06.12.2026 08:00:00=ADDED Modem", "07.12.2026 08:00:00=REMOVED Modem"},
                     "06.12.2026 08:00:00", true, "07.12.2026 08:00:00"},
        ViolatorCase{"SingleWordKeyShowsNothingButIsStored", {"07.12.2026=ADDED Modem"}, nullptr, false, "07.12.2026"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(CheckRun, DroppedLinesRemoveTheComputerButNotItsDirectory)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem", "07.12.2026 08:00:01=REMOVED Modem"}));
    settings.filters.appendRow("Modem", 0);

    runner.StartCheck();

    EXPECT_EQ(dump()[1], "0|" + cfg + "|1/1|-1|<DIR>||");
    EXPECT_TRUE(tree.topLevel()[1]->children().empty());
    EXPECT_EQ(countNodesStartingWith("Окончание проверки 07.12.2026 09:00:05, проверено 1 конф., обнаружено нарушителей : 0"),
              1);
    EXPECT_EQ(stored(cfg, "PC.ini"), "07.12.2026 08:00:01");
}

TEST_F(CheckRun, MarkingAndExpandingRowsActOnTheComputer)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/A.ini", report("A", {"07.12.2026 08:00:00=ADDED Modem"}));
    writeFile(cfg + "/B.ini", report("B", {"07.12.2026 08:00:00=ADDED Printer", "07.12.2026 08:00:01=ADDED Modem"}));
    writeFile(cfg + "/C.ini", report("C", {"07.12.2026 08:00:00=ADDED Disk", "07.12.2026 08:00:01=ADDED Printer"}));
    settings.filters.appendRow("Modem", 2);
    settings.filters.appendRow("Printer", 1);

    runner.StartCheck();

    auto computer = [&](const std::string& name) -> const ResultNode& {
        for (const auto& node : tree.topLevel()[1]->children()) {
            if (node->text.starts_with("Компьютер :" + name + ","))
                return *node;
        }
        throw std::logic_error("no computer " + name);
    };
    // A matches on its first shown line: nothing to expand yet.
    EXPECT_FALSE(computer("A").expanded);
    EXPECT_EQ(computer("A").stateIndex, -1);
    EXPECT_EQ(computer("A").data->mark, "");
    EXPECT_EQ(computer("A").children()[0]->data->mark, ">>>");
    // B: marked by its first line, expanded by its second.
    EXPECT_TRUE(computer("B").expanded);
    EXPECT_EQ(computer("B").stateIndex, 4);
    EXPECT_EQ(computer("B").data->mark, "<!>");
    // C: the disk line matches nothing, the printer line marks it.
    EXPECT_FALSE(computer("C").expanded);
    EXPECT_EQ(computer("C").stateIndex, 4);
    EXPECT_EQ(computer("C").children()[0]->stateIndex, -1);
    EXPECT_EQ(computer("C").children()[0]->data->mark, "");
}

TEST_F(CheckRun, FewerReportsThanExpectedAreCounted)
{
    const std::string cfg = checkDir("cfg");
    settings.checkDirs[0].expectedCount = "4";
    writeFile(cfg + "/PC.ini", report("PC", {}));
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Число файлов в " + cfg + " уменьшилось с 4 до 1"), 1);
    EXPECT_EQ(settings.checkDirs[0].expectedCount, "1");
}

TEST_F(CheckRun, AnExpectedCountThatIsNoNumberDoesNotStopTheRun)
{
    const std::string cfg = checkDir("cfg");
    settings.checkDirs[0].expectedCount = "many";
    writeFile(cfg + "/PC.ini", report("PC", {}));
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Число файлов в " + cfg + " увеличилось с 0 до 1"), 1);
    EXPECT_EQ(countNodesStartingWith("Окончание проверки"), 1);
}

TEST_F(CheckRun, ARunThatFoundNothingMayCloseTheProgram)
{
    const std::string cfg = checkDir("cfg");
    settings.checkDirs[0].expectedCount = "1";
    writeFile(cfg + "/PC.ini", report("PC", {}));
    settings.closeIfAllOk = true;
    runner.StartCheck();
    EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "close"), 1);

    // The tree now holds more than two nodes: the next run leaves the program open.
    runner.StartCheck();
    EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "close"), 1);
}

TEST_F(CheckRun, WarehouseModeSavesAndClosesAndNeverExpands)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    settings.warehouseMode = true;
    settings.expandTree = true;
    settings.closeIfAllOk = true;
    settings.lowPriority = true;

    runner.StartCheck();

    EXPECT_FALSE(tree.topLevel()[1]->expanded);
    const auto& events = view.events;
    EXPECT_EQ(std::count(events.begin(), events.end(), "restore"), 0);
    EXPECT_EQ(std::count(events.begin(), events.end(), "close"), 0);
    const auto grid = std::find(events.begin(), events.end(), "grid on");
    const auto save = std::find(events.begin(), events.end(), "save and close");
    ASSERT_NE(save, events.end());
    EXPECT_LT(grid, save);
}

TEST_F(CheckRun, ExpandTreeOpensEveryLevel)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    settings.expandTree = true;
    runner.StartCheck();
    EXPECT_TRUE(tree.topLevel()[1]->expanded);
    EXPECT_TRUE(tree.topLevel()[1]->children()[0]->expanded);
}

TEST_F(CheckRun, ABadSignatureMakesAViolatorOnEveryRun)
{
    const std::string cfg = checkDir("cfg");
    settings.noSignatureCheck = false;
    writeFile(cfg + "/PC.ini", report("PC", {"06.12.2026 08:00:00=ADDED Modem", "07.12.2026 08:00:00=ADDED Printer"}) +
                                   "[Signature]\r\n0=0000-0000-0000-0000-0000-0000-0000-0000\r\n");
    const std::string computed =
        CalcSignature(ProfileDocument::parse(report("PC", {"06.12.2026 08:00:00=ADDED Modem",
                                                           "07.12.2026 08:00:00=ADDED Printer"})));

    runner.StartCheck();
    clock.set({2026, 12, 7, 9, 30, 0});
    runner.StartCheck();

    const std::string signatureText = "=Corvinax : нет или неверна подпись файла " + computed;
    const auto nodes = dump();
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), "2|07.12.2026 09:00:05" + signatureText + "|4/0|-1|||" + cfg + "/PC.ini"), 1);
    EXPECT_EQ(std::count(nodes.begin(), nodes.end(), "2|07.12.2026 09:30:00" + signatureText + "|4/0|-1|||" + cfg + "/PC.ini"), 1);
    EXPECT_EQ(countNodesStartingWith("07.12.2026 08:00:00=ADDED Printer"), 2);
    EXPECT_EQ(countNodesStartingWith("06.12.2026"), 0);
    EXPECT_EQ(stored(cfg, "PC.ini"), "07.12.2026 09:30:00");
}

TEST_F(CheckRun, SmartLinesAreDecodedAndKeepTheirPicture)
{
    const std::string cfg = checkDir("cfg");
    writeFile(settings.smartFile, "[Main]\r\nParamName=ENG\r\n[ENG]\r\n5=Reallocated Sectors Count\r\n");
    writeFile(cfg + "/PC.ini", report("PC", {"07.12.2026 08:00:00=Disk 0 SMART <5> : 12"}));
    settings.filters.appendRow("Reallocated", 1);
    runner.StartCheck();
    EXPECT_EQ(dump()[3], "2|07.12.2026 08:00:00=Disk 0 SMART [5] Reallocated Sectors Count : 12|9/0|12|>>>||" + cfg +
                             "/PC.ini");
    EXPECT_FALSE(smart.loaded());
}

TEST_F(CheckRun, BackgroundModeShowsProgressInTheTitleAndGivesEverythingBack)
{
    const std::string cfg = checkDir("cfg");
    for (const char* name : {"A.ini", "B.ini", "C.ini"})
        writeFile(cfg + "/" + name, report(name, {}));
    settings.lowPriority = true;
    runner.StartCheck();
    EXPECT_EQ(view.titles, (std::vector<std::string>{"0/0%", "50/50%", "100/100%", "Corvinax"}));
    EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "minimise"), 1);
    EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "restore"), 1);
}

TEST_F(CheckRun, BackgroundTitleWithOneReportPerDirectory)
{
    checkDir("a");
    checkDir("b");
    writeFile(settings.checkDirs[0].path + "/A.ini", report("A", {}));
    writeFile(settings.checkDirs[1].path + "/B.ini", report("B", {}));
    settings.lowPriority = true;
    runner.StartCheck();
    EXPECT_EQ(view.titles, (std::vector<std::string>{"100/0%", "100/100%", "Corvinax"}));
}

TEST_F(CheckRun, NoRunStartsInsideAnother)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    view.onPump = [this] { runner.StartCheck(); };
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Начало проверки"), 1);
    EXPECT_FALSE(runner.running());
}

TEST_F(CheckRun, StateIsOnDiskBeforeABoxAndSharedByTheSameDirectoryListedTwice)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    checkDir("empty");
    std::string onDiskAtTheBox;
    view.onMessage = [&](const std::string&) { onDiskAtTheBox = stored(cfg, "PC.ini"); };
    settings.checkDirs.push_back({cfg, "1"});  // the same directory again

    runner.StartCheck();

    EXPECT_EQ(onDiskAtTheBox, "07.12.2026 08:00:00");
    EXPECT_EQ(countNodesStartingWith("Компьютер :PC,"), 1);
}

TEST_F(CheckRun, AnUnwritableSettingsFileEndsTheRunCleanly)
{
    const std::string cfg = checkDir("cfg");
    writeFile(cfg + "/PC.ini", report("PC", {"07.12.2026 08:00:00=ADDED Modem"}));
    settingsPath = dir.file("no/such/dir/corvinax.ini");
    CheckRunner failing{settings, settingsPath, tree, smart, view, clock, mapper, logHeader};
    failing.StartCheck();
    // The run ends as usual, end line and log included, and then says what it could not keep.
    EXPECT_EQ(view.messages, std::vector<std::string>{"Не удалось записать файл настроек:\r\nUnable to write to " +
                                                      settingsPath +
                                                      "\r\nПричина: No such file or directory\r\n"
                                                      "Найденные изменения не запомнены: следующая проверка покажет "
                                                      "их снова."});
    EXPECT_EQ(countNodesStartingWith("Окончание проверки"), 1);
    EXPECT_NE(readFile(settings.logFileName).find("Компьютер :PC"), std::string::npos);
    EXPECT_EQ(view.events.back(), "save shown");
    EXPECT_NE(std::find(view.events.begin(), view.events.end(), "grid on"), view.events.end());
    EXPECT_NE(std::find(view.events.begin(), view.events.end(), "exit on"), view.events.end());
    EXPECT_FALSE(failing.running());
}

// The reports of a directory are read ahead of the run; a working directory chosen and given up
// again in the middle of it takes the reports of that stretch through their working copies, and
// every report still reads as its own.
TEST_F(CheckRun, WorkingDirectoryChosenAndGivenUpInTheMiddleOfADirectory)
{
    const std::string cfg = checkDir("cfg");
    constexpr int kReports = 150;
    for (int i = 0; i < kReports; ++i)
        writeFile(cfg + "/PC-" + std::to_string(1000 + i) + ".ini",
                  report("PC-" + std::to_string(i), {"07.12.2026 08:00:" + std::to_string(10 + i % 50) + "=ADDED Modem"}));
    const std::string work = dir.file("work");
    int pumps = 0;
    int copiesSeen = 0;
    view.onPump = [&] {
        // The listing pumps once per file, the reading once per report.
        ++pumps;
        settings.useWorkDir = pumps >= kReports + 40 && pumps < kReports + 90;
        settings.workDir = work;
        if (std::filesystem::is_directory(work))
            copiesSeen += !std::filesystem::is_empty(work);
    };

    runner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("Компьютер :PC-"), kReports);
    for (int i = 0; i < kReports; ++i)
        EXPECT_EQ(stored(cfg, "PC-" + std::to_string(1000 + i) + ".ini"), "07.12.2026 08:00:" + std::to_string(10 + i % 50));
    EXPECT_GE(copiesSeen, 45);  // the reports of that stretch went through their copies
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(CheckRun, WorkingDirectoryIsCreatedAfterAskingOrNothingRuns)
{
    checkDir("cfg");
    settings.useWorkDir = true;
    settings.workDir = dir.file("work");

    view.answer(false);
    runner.StartCheck();
    EXPECT_EQ(view.questions, std::vector<std::string>{"Создать каталог\r\n" + settings.workDir});
    EXPECT_EQ(view.dialogs.questionKinds, std::vector<Dialogs::Question>{Dialogs::Question::Warning});
    EXPECT_TRUE(tree.empty());

    view.answer(true);
    runner.StartCheck();
    EXPECT_TRUE(std::filesystem::is_directory(settings.workDir));
    EXPECT_EQ(countNodesStartingWith("Начало проверки"), 1);

    settings.workDir = dir.file("no/parent");
    view.answer(true);
    runner.StartCheck();
    EXPECT_EQ(view.messages.back(), "Ошибочный каталог\r\n" + settings.workDir);
    EXPECT_EQ(countNodesStartingWith("Начало проверки"), 1);
}

// An agent rewrites its report in small pieces while runs follow one another: a torn last line is
// never shown nor remembered, and the finished line is reported exactly once.
TEST_F(CheckRun, AReportBeingWrittenIsTakenOnlyWhenSettled)
{
    const std::string cfg = checkDir("cfg");
    const std::string path = cfg + "/PC.ini";
    const std::string before = report("PC", {"10.12.2026 09:00:00=ADDED Modem"});
    const std::string finished = "11.12.2026 10:00:00=ADDED Printer HP LaserJet 1320\r\n";
    writeFile(path, before);
    const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), old, 0);
    runner.StartCheck();  // the earlier batch, remembered

    std::atomic<bool> done = false;
    std::thread agent([&] {
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
        for (std::size_t at = 0; at < finished.size(); at += 3) {
            (void)!::write(fd, finished.data() + at, std::min<std::size_t>(3, finished.size() - at));
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        ::close(fd);
        done = true;
    });
    while (!done)
        runner.StartCheck();
    agent.join();
    runner.StartCheck();
    runner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("11.12.2026 10:00:00=ADDED Printer HP LaserJet 1320"), 1);
    int torn = 0;
    tree.forEachInDisplayOrder([&](ResultNode& node) {
        torn += node.text.starts_with("11.12.2026") && node.text != "11.12.2026 10:00:00=ADDED Printer HP LaserJet 1320";
    });
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(stored(cfg, "PC.ini"), "11.12.2026 10:00:00");
}

// Another process changes the settings file while a long run works: what it wrote survives the
// run's state writes, and the run's state is all there too.
TEST_F(CheckRun, AnotherWritersChangesToTheSettingsFileSurviveARun)
{
    const std::string cfg = checkDir("cfg");
    constexpr int kReports = 30000;
    for (int i = 0; i < kReports; ++i)
        writeFile(cfg + "/PC-" + std::to_string(i) + ".ini",
                  report("PC-" + std::to_string(i), {"07.12.2026 08:00:00=ADDED Modem"}));
    writeFile(settingsPath, "[Config]\r\nMaxLines=16\r\n");
    int pumps = 0;
    view.onPump = [&] {
        if (++pumps != kReports + kReports / 2)
            return;
        const pid_t other = ::fork();
        if (other == 0) {
            ProfileFile file(settingsPath);
            file.writeString("Other", "Written", "meanwhile");
            file.writeString("Config", "MaxLines", "5");
            std::_Exit(0);
        }
        ::waitpid(other, nullptr, 0);
    };

    runner.StartCheck();

    ASSERT_GT(pumps, kReports + kReports / 2);
    EXPECT_EQ(stored("Other", "Written"), "meanwhile");
    EXPECT_EQ(stored("Config", "MaxLines"), "5");
    const ProfileDocument saved = ProfileDocument::parse(readFile(settingsPath));
    EXPECT_EQ(saved.keyNames(cfg, NameList::Complete).size(), static_cast<std::size_t>(kReports));
}

}  // namespace
}  // namespace corvinax

namespace corvinax {
namespace {

using test::readFile;
using test::report;
using test::writeFile;

// Reports that vanish while the run's question is open: each says that it could not be read, and
// why, in the tree, the log and the JSON file; none is remembered.
TEST_F(CheckRun, AReportThatCannotBeReadSaysWhy)
{
    const std::string cfg = checkDir("cfg");
    clock.set({2026, 5, 31, 15, 30, 0});
    writeFile(cfg + "/OLD.ini", report("OLD", {"01.01.2026 08:00:00=ADDED Modem"}));
    const timespec longAgo[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ::utimensat(AT_FDCWD, (cfg + "/OLD.ini").c_str(), longAgo, 0);
    for (int i = 0; i < 3; ++i)
        writeFile(cfg + "/PC-" + std::to_string(i) + ".ini", report("PC", {"31.05.2026 08:00:00=ADDED Modem"}));
    settings.deleteOld = true;
    settings.deleteOldValue = 30;
    settings.warehouseMode = false;
    view.onQuestion = [&](const std::string&) {
        for (int i = 0; i < 3; ++i)
            std::filesystem::remove(cfg + "/PC-" + std::to_string(i) + ".ini");
    };
    view.dialogs.answer(false);

    runner.StartCheck();

    EXPECT_EQ(countNodesStartingWith("Файл не прочитан: No such file or directory"), 3);
    const std::string log = readFile(settings.logFileName);
    EXPECT_NE(log.find("   Файл не прочитан: No such file or directory\r\n"), std::string::npos) << log;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(stored(cfg, "PC-" + std::to_string(i) + ".ini"), "<none>");
}

// Closing the window in the middle of a run: the run stops at its next report, keeps what it found
// in the tree and the log with "Проверка прервана", and advances no state, so that the next run
// shows the same violators again.
TEST_F(CheckRun, APersonsStopKeepsTheFindingsForTheNextRun)
{
    const std::string cfg = checkDir("cfg");
    for (int i = 0; i < 20; ++i)
        writeFile(cfg + "/PC-" + std::to_string(i) + ".ini",
                  report("PC-" + std::to_string(i), {"07.12.2026 08:00:00=ADDED Modem"}));
    view.onPump = [&] {
        if (view.gauge1.position == 10)
            runner.stopAtNextSafePoint();
    };

    runner.StartCheck();

    EXPECT_TRUE(runner.lastOutcome().stoppedByPerson);
    EXPECT_EQ(tree.topLevel().back()->text, "Проверка прервана");
    EXPECT_EQ(countNodesStartingWith("Окончание проверки"), 0);
    EXPECT_NE(readFile(settings.logFileName).find("Проверка прервана\r\n"), std::string::npos);
    EXPECT_FALSE(test::fileExists(settingsPath) && readFile(settingsPath).find("PC-") != std::string::npos);

    view.onPump = nullptr;
    tree = ResultTree();
    runner.StartCheck();
    EXPECT_EQ(countNodesStartingWith("Компьютер :PC-"), 20);
}

}  // namespace
}  // namespace corvinax
