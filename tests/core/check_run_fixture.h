#pragma once

#include "app/version.h"
#include "check/check_run.h"
#include "check/smart_decoder.h"
#include "findings/result_tree.h"
#include "platform/drive_mapper.h"
#include "profile/profile_document.h"
#include "reports/check_sign.h"
#include "settings/settings.h"
#include "support/fake_clock.h"
#include "support/fake_run_view.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace corvinax::test {

inline std::string signedReport(const std::string& text)
{
    return text + "[Signature]\r\n0=" + CalcSignature(ProfileDocument::parse(text)) + "\r\n";
}

inline std::string report(const std::string& computer, const std::vector<std::string>& changes)
{
    std::string text = "[Info]\r\nComputer_Name=" + computer + "\r\n[Config_changes]\r\n";
    for (const std::string& line : changes)
        text += line + "\r\n";
    return text;
}

// The state value a settings file holds, or "<none>".
inline std::string storedIn(const std::string& settingsPath, const std::string& section, const std::string& key)
{
    return ProfileDocument::parse(readFile(settingsPath)).value(section, key).value_or("<none>");
}

// Connects nothing, and keeps what it was asked.
class RecordingDriveMapper final : public DriveMapper {
public:
    bool connect(const std::string& driveName, const std::string& uncPath) override
    {
        calls.push_back("connect " + driveName + "=" + uncPath);
        return false;
    }
    void cancel(const std::string& driveName) override { calls.push_back("cancel " + driveName); }

    std::vector<std::string> calls;
};

class CheckRun : public ::testing::Test {
protected:
    CheckRun()
    {
        settings.smartFile = dir.file("Smart");
        settings.logFileName = dir.file("corvinax.log");
        settings.logFileSizeMB = 10;
    }

    // The worked example of the check run: one directory, PC-07 a violator with a marked line.
    std::string setUpWorkedExample()
    {
        const std::string cfg = checkDir("cfg");
        settings.checkDirs[0].expectedCount = "1";
        settings.noSignatureCheck = false;
        settings.filters.appendRow("Printer", 1);
        writeFile(settingsPath, "[" + cfg + "]\r\nPC-07.ini=05.12.2026 09:10:00\r\nPC-12.ini=01.12.2026 08:00:00\r\n");
        writeFile(cfg + "/PC-07.ini",
                  signedReport("[Info]\r\nComputer_Name=PC-07\r\nParam_1=ivanov\r\nMAC_Addr=00-0C-29-3A-5B-7C\r\n"
                               "[Config_changes]\r\n05.12.2026 09:10:00=ADDED Modem\r\n"
                               "06.12.2026 18:20:11=ADDED Printer\r\n06.12.2026 18:25:40=REMOVED Modem\r\n"));
        writeFile(cfg + "/PC-12.ini", signedReport("[Info]\r\nComputer_Name=PC-12\r\n[Config_changes]\r\n"
                                                   "01.12.2026 08:00:00=ADDED Disk\r\n"));
        view.onPump = [this] { clock.set({2026, 12, 7, 9, 0, 9}); };
        return cfg;
    }

    std::string checkDir(const std::string& name)
    {
        const std::string path = dir.file(name);
        std::filesystem::create_directories(path);
        settings.checkDirs.push_back({path, "0"});
        return path;
    }

    // Every node in display order: level|text|image/selected|state, then the record when present.
    std::vector<std::string> dump() const
    {
        std::vector<std::string> lines;
        tree.forEachInDisplayOrder([&](ResultNode& node) {
            std::string line = std::to_string(node.level()) + "|" + node.text + "|" + std::to_string(node.imageIndex) +
                               "/" + std::to_string(node.selectedIndex) + "|" + std::to_string(node.stateIndex);
            if (node.data)
                line += "|" + node.data->mark + "|" + node.data->macAddr + "|" + node.data->reportPath;
            lines.push_back(line);
        });
        return lines;
    }

    std::string stored(const std::string& section, const std::string& key)
    {
        return storedIn(settingsPath, section, key);
    }

    int countNodesStartingWith(const std::string& prefix) const
    {
        int found = 0;
        tree.forEachInDisplayOrder([&](ResultNode& node) { found += node.text.starts_with(prefix); });
        return found;
    }

    TempDir dir;
    Settings settings;
    ResultTree tree;
    test::FakeRunView view;
    test::FakeClock clock;
    SmartDecoder smart{[this] { return settings.smartFile; }};
    std::string settingsPath = dir.file("corvinax.ini");
    RecordingDriveMapper mapper;
    LogHeader logHeader{windowCaption(), "/opt/corvinax/corvinax"};
    CheckRunner runner{settings, settingsPath, tree, smart, view, clock, mapper, logHeader};
};

}  // namespace corvinax::test
