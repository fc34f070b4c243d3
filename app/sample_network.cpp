#include "app/sample_network.h"

#include "platform/atomic_file.h"
#include "platform/calendar.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/native_text.h"
#include "platform/paths.h"
#include "profile/profile_document.h"
#include "profile/profile_file.h"
#include "reports/check_sign.h"
#include "settings/settings.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace corvinax {

namespace {

struct SampleReport {
    std::string directory;
    std::string fileName;
    std::string computer;
    std::string user;
    std::string department;
    std::string mac;
    std::vector<std::string> changes;  // key=value, keys built from the day offsets below
    std::string remoteAccess;
    bool brokenSignature = false;
    int ageDays = 0;  // last write this many days ago
};

std::string day(const LocalDateTime& today, int daysBack)
{
    const LocalDateTime d = midnightDaysBefore(today, daysBack);
    char text[16];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", d.day, d.month, d.year);
    return text;
}

std::string reportText(const SampleReport& r)
{
    std::string text = "[Info]\r\nComputer_Name=" + r.computer + "\r\nRecord_Date=" + r.changes.back().substr(0, 19) +
                       "\r\nParam_1=" + r.user + "\r\nParam_2=" + r.department + "\r\nMAC_Addr=" + r.mac +
                       "\r\n[Config_changes]\r\n";
    for (const std::string& change : r.changes)
        text += change + "\r\n";
    text += "[Remote_Access]\r\n" + (r.remoteAccess.empty() ? std::string() : "Line1=" + r.remoteAccess + "\r\n");
    text += "[Post_Accounts]\r\nAccount1=" + r.user + "\r\n";
    std::string signature = CalcSignature(ProfileDocument::parse(text));
    if (r.brokenSignature)  // the report was edited after the agent signed it
        text += "Account2=admin\r\n";
    return text + "[Signature]\r\n0=" + signature + "\r\n";
}

void writeFileOrThrow(const std::string& path, const std::string& bytes)
{
    if (!replaceFileAtomically(path, bytes))
        throw Error("Unable to write to " + path);
}

void setAge(const std::string& path, int days)
{
    const std::time_t moment = std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
    const timespec times[2] = {{moment, 0}, {moment, 0}};
    ::utimensat(AT_FDCWD, nativePath(path).c_str(), times, 0);
}

std::vector<SampleReport> sampleReports(const LocalDateTime& today)
{
    const std::string d0 = day(today, 0);
    const std::string d1 = day(today, 1);
    const std::string d9 = day(today, 9);
    return {
        {"Бухгалтерия", "BUH-01.ini", "BUH-01", "Иванова М.П.", "главный бухгалтер", "00-0C-29-3A-11-5F",
         {d9 + " 09:12:40=ADDED Modem : Standard 56000 bps Modem", d0 + " 08:55:10=ADDED Printer : HP LaserJet 1020",
          d0 + " 08:55:12=REMOVED Printer : LPT1 Epson LX-300"}, ""},
        {"Бухгалтерия", "BUH-02.ini", "BUH-02", "Петров С.А.", "бухгалтер", "00-0C-29-3A-22-71",
         {d1 + " 17:40:03=Disk 0 SMART <5> : 12", d1 + " 17:40:04=Disk 0 SMART <194> : 55",
          d1 + " 17:41:00=ATTENTION! Free space on C: below 5%"}, ""},
        {"Склад", "SKLAD-01.ini", "SKLAD-01", "Сидоров И.В.", "кладовщик", "00-1B-21-0A-4C-02",
         {d0 + " 10:02:11=ADDED in Sharing D:\\Накладные", d0 + " 10:02:15=ADDED Modem : USB GSM modem"},
         "dial-in allowed"},
        {"Склад", "SKLAD-02.ini", "SKLAD-02", "Кузнецова А.Н.", "оператор", "00-1B-21-0A-4C-07",
         {d1 + " 12:00:00=Remote_Access : dial-in enabled", d1 + " 12:00:05=Disk counter reset"}, ""},
        {"Филиал", "FIL-01.ini", "FIL-01", "Смирнов Д.О.", "менеджер", "00-50-56-C0-00-08",
         {d0 + " 07:30:00=MAC_Addr has changed from 00-50-56-C0-00-01", d0 + " 07:30:02=ADDED Printer : Canon LBP"},
         "", true},
        {"Филиал", "FIL-02.ini", "FIL-02", "Орлов П.Р.", "бывший сотрудник", "00-50-56-C0-00-09",
         {day(today, 200) + " 16:00:00=REMOVED Modem"}, "", false, 200},
    };
}

}  // namespace

void writeSampleNetwork(const SampleNetwork& sample, const LocalDateTime& today)
{
    const std::string reports = joinPath(sample.root, "reports");
    std::vector<std::string> directories;
    for (const SampleReport& r : sampleReports(today)) {
        const std::string directory = joinPath(reports, r.directory);
        if (directories.empty() || directories.back() != directory)
            directories.push_back(directory);
        if (!createDirectories(directory))
            throw Error("Unable to write to " + directory);
        const std::string path = joinPath(directory, r.fileName);
        writeFileOrThrow(path, reportText(r));
        if (r.ageDays > 0)
            setAge(path, r.ageDays);
    }
    createDirectories(joinPath(sample.root, "removed"));

    ProfileFile settings = openSettingsFile(sample.settingsPath);
    ProfileUpdate update(settings);
    settings.writeFlag("Config", "ExpandTree", true);
    settings.writeFlag("Config", "NoSignatureCheck", false);
    settings.writeString("Config", "WorkDir", joinPath(sample.root, "work"));
    settings.writeString("Config", "LOG_FileName", joinPath(sample.root, "corvinax.log"));
    settings.writeString("Config", "Smart_File", sample.smartFile);
    settings.writeFlag("Config", "DeleteOld", true);
    settings.writeInteger("Config", "DeleteOldValue", 90);
    settings.writeFlag("Config", "DeleteOldCopy", true);
    settings.writeString("Config", "DeleteOldCopyPath", joinPath(sample.root, "removed"));
    const std::vector<std::pair<std::string, int>> filters{{"Printer", 1}, {"Modem", 2}, {"counter", 0}};
    for (std::size_t n = 0; n < filters.size(); ++n) {
        settings.writeString("Strings", "Text" + std::to_string(n), filters[n].first);
        settings.writeInteger("Strings", "Mode" + std::to_string(n), filters[n].second);
    }
    for (std::size_t n = 0; n < directories.size(); ++n) {
        settings.writeString("CheckDirs", "Path_" + std::to_string(n), directories[n]);
        settings.writeString("CheckDirs", "Count_" + std::to_string(n), "0");
    }
    update.commit();
}

}  // namespace corvinax
