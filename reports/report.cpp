#include "reports/report.h"

#include "profile/atomic_file.h"
#include "profile/profile_file.h"
#include "profile/text.h"

namespace corvinax {

namespace {

constexpr std::string_view kInfo = "Info";

std::string infoValue(const ProfileDocument& document, std::string_view key, std::string_view defaultValue)
{
    if (auto value = document.value(kInfo, key))
        return std::move(*value);
    return std::string(defaultValue);
}

}  // namespace

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
    report.m_info.computerName = infoValue(document, "Computer_Name", "?");
    report.m_info.recordDate = infoValue(document, "Record_Date", "");
    for (std::size_t i = 0; i < report.m_info.params.size(); ++i)
        report.m_info.params[i] = infoValue(document, "Param_" + std::to_string(i + 1), "");
    report.m_info.macAddr = infoValue(document, "MAC_Addr", "");
    // A line whose key and value stand as key=value in the file is a view of it; any other
    // (blanks around "=", quotes, a later spelling of the key) is composed once.
    document.visitSectionValues("Config_changes", NameList::Complete,
                                [&report](std::string_view name, std::string_view value) {
                                    if (value.data() == name.data() + name.size() + 1 && name.data()[name.size()] == '=')
                                        report.m_changeLines.emplace_back(name.data(), name.size() + 1 + value.size());
                                    else
                                        report.appendChangeLine(std::string(name) + '=' + std::string(value));
                                });
    report.m_storedSignature = document.value("Signature", "0").value_or("(Нет подписи)");
    return report;
}

void Report::appendChangeLine(std::string line)
{
    m_changeLines.push_back(m_ownLines.emplace_back(std::move(line)));
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
