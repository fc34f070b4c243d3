#include "reports/report.h"

#include "profile/atomic_file.h"
#include "profile/profile_file.h"
#include "profile/text.h"

namespace corvinax {

Report Report::read(const std::string& path)
{
    std::string bytes;
    readWholeFile(path, bytes);
    return parse(std::move(bytes));
}

Report Report::parse(std::string bytes)
{
    Report report;
    report.m_document = ProfileDocument::parse(std::move(bytes));
    const ProfileDocument& document = report.m_document;
    constexpr std::array<std::string_view, 7> kInfoKeys = {"Computer_Name", "Record_Date", "Param_1", "Param_2",
                                                           "Param_3",       "Param_4",     "MAC_Addr"};
    std::array<std::optional<std::string_view>, kInfoKeys.size()> info;
    document.values("Info", kInfoKeys, info);
    ReportInfo& fields = report.m_info;
    fields.computerName = info[0].value_or("?");
    fields.recordDate = info[1].value_or("");
    for (std::size_t i = 0; i < fields.params.size(); ++i)
        fields.params[i] = info[2 + i].value_or("");
    fields.macAddr = info[6].value_or("");
    // A line whose key and value stand as key=value in the file is a view of it; any other
    // (blanks around "=", quotes, a later spelling of the key) is composed once.
    thread_local std::vector<ProfileDocument::NameValue> entries;
    document.sectionValues("Config_changes", NameList::Complete, entries);
    report.m_changeLines.reserve(entries.size() + 1);
    for (const auto& [name, value] : entries) {
        if (value.data() == name.data() + name.size() + 1 && name.data()[name.size()] == '=')
            report.m_changeLines.emplace_back(name.data(), name.size() + 1 + value.size());
        else
            report.appendChangeLine(std::string(name) + '=' + std::string(value));
    }
    report.m_storedSignature = document.value("Signature", "0").value_or("(Нет подписи)");
    return report;
}

void Report::appendChangeLine(std::string line)
{
    m_changeLines.push_back(m_ownLines.emplace_front(std::move(line)));
}

std::string Report::computerLine() const
{
    const auto& p = m_info.params;
    return "Компьютер :" + m_info.computerName + ", Пользователь :" + p[0] + " " + p[1] + " " + p[2] + " " + p[3];
}

std::string Report::computerInfoLine() const
{
    const auto& p = m_info.params;
    return "Компьютер : " + m_info.computerName + ",посл.регистрация : " + m_info.recordDate + " " + p[0] + " " + p[1] +
           " " + p[2] + " " + p[3] + "\r\n";
}

std::string newestKey(const std::vector<std::string_view>& changeLines)
{
    if (changeLines.empty())
        return {};
    const std::string_view last = changeLines.back();
    return std::string(trimControls(last.substr(0, last.find('='))));
}

std::string batchPrefix(std::string_view key)
{
    const std::size_t blank = key.find(' ');
    if (blank == std::string_view::npos)
        return {};
    return std::string(trimControls(key.substr(0, blank + 1)));
}

std::vector<std::string_view> batchLines(const std::vector<std::string_view>& changeLines, std::string_view prefix)
{
    std::vector<std::string_view> lines;
    if (prefix.empty())
        return lines;
    for (std::string_view line : changeLines) {
        if (line.starts_with(prefix))
            lines.push_back(line);
    }
    return lines;
}

}  // namespace corvinax
