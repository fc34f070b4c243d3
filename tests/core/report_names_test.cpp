// File names as agents and people really make them: names that code page 1251 cannot hold, that are
// no UTF-8, that hold line breaks, or that differ in letter case only.

#include "check_run_fixture.h"

namespace corvinax {
namespace {

using test::readFile;
using test::report;
using test::writeFile;

struct NameCase {
    std::string native;  // as the file system holds it
    std::string shown;   // in the tree, the log and the state, code page 1251
    bool remembered;     // a second run is quiet about it
};

class ReportNames : public test::CheckRun {};

TEST_F(ReportNames, EachFileIsReadByItsOwnNameAndShownSafely)
{
    const std::string cfg = checkDir("cfg");
    const std::vector<NameCase> cases = {
        {"caf\xC3\xA9.ini", "caf?.ini", true},
        {"\xE6\x97\xA5\xE6\x9C\xAC.ini", "??.ini", true},
        {"PC\xFF.ini", "PC?.ini", true},
        {"PC-9.ini>\r\n\xD0\x9E\xD0\xBA\xD0\xBE\xD0\xBD\xD1\x87\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB5 "
         "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB5\xD1\x80\xD0\xBA\xD0\xB8 : 0\r\n",
         "PC-9.ini>??Окончание проверки : 0??", true},
        {"PC.ini", "PC.ini", false},
        {"pc.ini", "pc.ini", false},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        writeFile(cfg + "/" + cases[i].native,
                  report("C" + std::to_string(i), {"07.12.2026 08:00:0" + std::to_string(i) + "=ADDED Modem"}));

    runner.StartCheck();
    runner.StartCheck();

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const NameCase& c = cases[i];
        SCOPED_TRACE(c.shown);
        // Read by its own name: its computer is shown, with the shown name in its report path.
        std::vector<std::string> paths;
        tree.forEachInDisplayOrder([&](ResultNode& node) {
            if (node.text.starts_with("Компьютер :C" + std::to_string(i) + ","))
                paths.push_back(node.data->reportPath);
        });
        EXPECT_EQ(paths.size(), c.remembered ? 1u : 2u);
        for (const std::string& path : paths)
            EXPECT_EQ(path, cfg + "/" + c.shown);
        EXPECT_EQ(stored(cfg, c.shown), c.remembered ? "07.12.2026 08:00:0" + std::to_string(i) : "<none>");
    }
    // Nothing from a name breaks a line of the log.
    const std::string log = readFile(settings.logFileName);
    for (std::size_t at = log.find_first_of("\r\n"); at != std::string::npos; at = log.find_first_of("\r\n", at + 2))
        ASSERT_EQ(log.compare(at, 2, "\r\n"), 0) << "a lone line break at " << at;
    EXPECT_EQ(log.find("\r\nОкончание проверки :"), std::string::npos);  // the line the name would forge
}

}  // namespace
}  // namespace corvinax
