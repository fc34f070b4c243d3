#pragma once

#include "app/settings.h"
#include "check/check_run.h"
#include "check/drive_mapper.h"
#include "check/result_tree.h"
#include "check/smart_decoder.h"
#include "profile/profile_document.h"
#include "reports/check_sign.h"
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
        return ProfileDocument::parse(readFile(settingsPath)).value(section, key).value_or("<none>");
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
    LogHeader logHeader{"Caption v.2.00", "/opt/corvinax/corvinax"};
    CheckRunner runner{settings, settingsPath, tree, smart, view, clock, mapper, logHeader};
};

}  // namespace corvinax::test
