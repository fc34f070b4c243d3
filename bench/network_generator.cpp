#include "network_generator.h"

#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "profile/profile_document.h"
#include "reports/check_sign.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <random>

namespace corvinax::bench {

namespace {

const std::array<const char*, 12> kFirstNames{"Иван", "Мария", "Сергей", "Ольга", "Дмитрий", "Анна",
                                              "Алексей", "Елена", "Николай", "Татьяна", "Павел", "Наталья"};
const std::array<const char*, 12> kLastNames{"Иванов", "Петрова", "Сидоров", "Кузнецова", "Смирнов", "Попова",
                                             "Васильев", "Соколова", "Михайлов", "Новикова", "Фёдоров", "Морозова"};
const std::array<const char*, 8> kDepartments{"Бухгалтерия", "Склад", "Отдел кадров", "Юридический отдел",
                                              "Снабжение", "Продажи", "Канцелярия", "Служба ИТ"};
const std::array<const char*, 14> kChanges{
    "ADDED Printer : HP LaserJet 1020 on LPT1",    "REMOVED Printer : Epson LX-300 on LPT1",
    "ADDED Modem : Standard 56000 bps Modem",      "REMOVED Modem : USB GSM modem",
    "ADDED in Sharing D:\\Обмен\\Накладные",         "Remote_Access : dial-in enabled for user",
    "ATTENTION! Free space on drive C: below 5%",  "Disk counter of errors reset by the agent",
    "ADDED Program : Консультант Плюс 4012.00.05", "REMOVED Program : 1С:Предприятие 7.7",
    "ADDED Device : USB Mass Storage Device",      "REMOVED Device : Floppy disk drive",
    "ADDED Network adapter : Realtek RTL8139",     "ADDED Service : Remote Registry started"};

struct BatchClock {
    int day;
    int month;
    int hour;
    int minute;
    int second;
};

std::string key(const BatchClock& c)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.2026 %02d:%02d:%02d", c.day, c.month, c.hour, c.minute, c.second);
    return text;
}

class ReportWriter {
public:
    explicit ReportWriter(unsigned seed) : m_random(seed) {}

    std::string report(std::size_t number, std::string& newestKey)
    {
        const std::string name = std::string(kLastNames[pick(kLastNames.size())]) + " " + kFirstNames[pick(kFirstNames.size())];
        char computer[32];
        std::snprintf(computer, sizeof computer, "PC-%05zu", number);
        char mac[32];
        std::snprintf(mac, sizeof mac, "00-0C-29-%02X-%02X-%02X", static_cast<unsigned>(number >> 16 & 0xFF),
                      static_cast<unsigned>(number >> 8 & 0xFF), static_cast<unsigned>(number & 0xFF));
        std::string text = "[Info]\r\nComputer_Name=" + std::string(computer) + "\r\nRecord_Date=01.12.2026 08:00:00\r\nParam_1=" +
                           name + "\r\nParam_2=" + kDepartments[pick(kDepartments.size())] +
                           "\r\nParam_3=Windows XP SP2\r\nParam_4=Pentium 4 2.4 GHz, 512 MB\r\nMAC_Addr=" + mac +
                           "\r\n[Config_changes]\r\n";
        const std::size_t lines = 10 + pick(51);
        BatchClock clock{1, 10, 8, 0, 0};
        for (std::size_t i = 0; i < lines; ++i) {
            advance(clock);
            newestKey = key(clock);
            std::string change = kChanges[pick(kChanges.size())];
            if (pick(8) == 0)
                change = "Disk 0 SMART <" + std::to_string(pick(257)) + "> : " + std::to_string(pick(300));
            text += newestKey + "=" + change + "\r\n";
        }
        text += "[Remote_Access]\r\n";
        for (std::size_t i = 0; i < 3; ++i)
            text += "Line" + std::to_string(i) + "=COM" + std::to_string(i + 1) + " dial-in " + (pick(2) ? "allowed" : "denied") + "\r\n";
        text += "[Post_Accounts]\r\nAccount1=" + name + "\r\nAccount2=" + std::string(computer) + "@mail.local\r\n";
        return text + "[Signature]\r\n0=" + CalcSignature(ProfileDocument::parse(text)) + "\r\n";
    }

private:
    std::size_t pick(std::size_t count) { return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_random); }

    // Changes come in batches of a day, a few seconds apart.
    void advance(BatchClock& c)
    {
        if (pick(4) == 0) {
            c.day += 1 + static_cast<int>(pick(2));
            if (c.day > 28) {
                c.day = 1;
                ++c.month;
            }
            c.hour = 8 + static_cast<int>(pick(9));
            c.minute = static_cast<int>(pick(60));
        }
        c.second += 1 + static_cast<int>(pick(20));
        if (c.second > 59) {
            c.second -= 60;
            if (++c.minute > 59) {
                c.minute = 0;
                ++c.hour;
            }
        }
    }

    std::mt19937 m_random;
};

void write(const std::string& path, const std::string& bytes)
{
    if (!replaceFileAtomically(path, bytes))
        throw Error("Unable to write to " + path);
}

std::string smartDictionary()
{
    std::string text = "[Main]\r\nParamName=RUS\r\n[RUS]\r\nunknown=Неизвестный атрибут\r\n";
    for (int n = 1; n < 255; n += 3)
        text += std::to_string(n) + "=Атрибут номер " + std::to_string(n) + "\r\n";
    return text;
}

}  // namespace

GeneratedNetwork generateNetwork(const std::string& root, const NetworkShape& shape)
{
    GeneratedNetwork network;
    network.root = root;
    network.smartFile = joinPath(root, "Smart");
    network.logFile = joinPath(root, "corvinax.log");
    network.settingsWithState = joinPath(root, "with-state.ini");
    network.settingsWithoutState = joinPath(root, "without-state.ini");
    createDirectories(root);
    write(network.smartFile, smartDictionary());

    std::string config = "[Config]\r\nNoSignatureCheck=0\r\nLOG_FileName=" + network.logFile + "\r\nSmart_File=" +
                         network.smartFile + "\r\nLogFileSizeMB=1000\r\n[Strings]\r\n";
    for (std::size_t n = 0; n < shape.filterRows; ++n) {
        const std::string pattern = n % 10 == 0 ? "USB Mass Storage" : "Nothing of that kind " + std::to_string(n);
        config += "Text" + std::to_string(n) + "=" + pattern + "\r\nMode" + std::to_string(n) + "=" + std::to_string(n % 3) + "\r\n";
    }
    std::string checkDirs = "[CheckDirs]\r\n";
    std::string state;
    ReportWriter writer(shape.seed);
    std::mt19937 chance(shape.seed + 1);
    for (std::size_t d = 0; d < shape.directories; ++d) {
        const std::string directory = joinPath(joinPath(root, "reports"), "dept" + std::to_string(d));
        createDirectories(directory);
        const std::size_t count = shape.reports / shape.directories + (d < shape.reports % shape.directories ? 1 : 0);
        const std::string listed =
            shape.listedRoot.empty() ? directory : shape.listedRoot + "\\reports\\dept" + std::to_string(d);
        checkDirs += "Path_" + std::to_string(d) + "=" + listed + "\r\nCount_" + std::to_string(d) + "=" +
                     std::to_string(count) + "\r\n";
        state += "[" + listed + "]\r\n";
        for (std::size_t i = 0; i < count; ++i) {
            std::string newest;
            const std::string name = "PC-" + std::to_string(d) + "-" + std::to_string(i) + ".ini";
            const std::string text = writer.report(network.reportPaths.size(), newest);
            const std::string path = joinPath(directory, name);
            write(path, text);
            network.reportPaths.push_back(path);
            network.totalBytes += text.size();
            const bool known = std::uniform_real_distribution<double>(0, 1)(chance) < shape.knownShare;
            state += name + "=" + (known ? newest : std::string("01.01.2026 00:00:00")) + "\r\n";
        }
    }
    write(network.settingsWithoutState, config + checkDirs);
    write(network.settingsWithState, config + checkDirs + state);
    return network;
}

}  // namespace corvinax::bench
