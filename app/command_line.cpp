#include "app/command_line.h"

#include <charconv>
#include <cstring>
#include <vector>

namespace corvinax {

namespace {

bool isWarehouseWord(std::string word)
{
    for (char& c : word)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return word == "MERVOMODE" || word == "/S";
}

std::optional<int> days(const char* text)
{
    int value = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end || value < 0)
        return std::nullopt;
    return value;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    std::vector<const char*> others;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i] ? argv[i] : "";
        const bool takesValue = argument == "--settings" || argument == "--silent" || argument == "--json";
        if (takesValue && i + 1 >= argc) {
            line.error = argument + " needs a value";
            return line;
        }
        if (argument == "--settings") {
            line.settingsFile = argv[++i];
        } else if (argument == "--json") {
            line.jsonFile = argv[++i];
        } else if (argument == "--silent") {
            line.silentDays = days(argv[++i]);
            if (!line.silentDays)
                line.error = std::string("--silent needs a number of days, not ") + argv[i];
        } else if (argument == "--baseline") {
            line.baseline = true;
        } else if (argument == "--fail-on-findings") {
            line.failOnFindings = true;
        } else if (argument == "--help" && i == 1) {
            line.help = true;
        } else if (argument == "--version" && i == 1) {
            line.version = true;
        } else if (argument.starts_with("--")) {
            // A typo in a scheduler's line must not open a window that waits for nobody.
            line.error = "unknown option " + argument;
            return line;
        } else {
            others.push_back(argv[i]);
        }
    }
    line.warehouse = !others.empty() && others.front() && isWarehouseWord(others.front());
    if (line.baseline && line.silentDays)
        line.error = "--baseline and --silent are separate runs";
    return line;
}

const char* usageText()
{
    return "Usage: corvinax [options] [/S | MERVOMODE]\n"
           "\n"
           "Watches configuration changes on the computers of a local network: reads the configuration\n"
           "reports of the check directories and shows every computer that changed since the last check.\n"
           "\n"
           "  /S, MERVOMODE       warehouse mode (any letter case): one unattended check, the export into\n"
           "                      the warehouse table, a save of the settings, and the end of the program\n"
           "  --settings FILE     use this settings file instead of the default one\n"
           "  --baseline          record the newest change of every report as seen, showing, logging and\n"
           "                      exporting nothing (a quiet first run); prints one summary line\n"
           "  --silent DAYS       list the reports not written for DAYS days or more, oldest first, one\n"
           "                      tab-separated line each; changes nothing\n"
           "  --json FILE         with /S: also write the findings to FILE as JSON Lines (UTF-8)\n"
           "  --fail-on-findings  with /S: exit with 5 when the run found violators and all went through\n"
           "  --help              this text\n"
           "  --version           the version\n"
           "\n"
           "Settings: corvinax.ini beside the program, or ~/.config/corvinax/corvinax.ini when the\n"
           "program is installed. JsonFile in [Config] names a JSON file for every warehouse run.\n";
}

bool selectsWarehouseMode(int argc, const char* const* argv)
{
    return parseCommandLine(argc, argv).warehouse;
}

}  // namespace corvinax
