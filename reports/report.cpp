#include "reports/report.h"

#include "platform/atomic_file.h"
#include "platform/text.h"
#include "profile/profile_file.h"
#include "profile/profile_lines.h"
#include "reports/check_sign.h"

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
    report.m_bytes = std::make_unique<std::string>(std::move(bytes));
    thread_local QuickReport quick;
    if (readQuickly(*report.m_bytes, quick)) {
        report.take(quick.info, quick.changes, quick.storedSignature);
        report.m_signature = std::move(quick.signature);
    } else {
        report.readThroughProfile();
    }
    return report;
}

Report Report::parseThroughProfile(std::string bytes)
{
    Report report;
    report.m_bytes = std::make_unique<std::string>(std::move(bytes));
    report.readThroughProfile();
    return report;
}

void Report::readThroughProfile()
{
    const ProfileDocument& document = m_document.emplace(ProfileDocument::parse(std::move(*m_bytes)));
    m_bytes.reset();
    std::array<std::optional<std::string_view>, kInfoKeys.size()> info;
    document.values("Info", kInfoKeys, info);
    thread_local std::vector<ProfileDocument::NameValue> entries;
    document.sectionValues("Config_changes", NameList::Complete, entries);
    std::array<std::optional<std::string_view>, 1> stored;
    document.values("Signature", std::array<std::string_view, 1>{"0"}, stored);
    take(info, entries, stored[0]);
}

void Report::take(const std::array<std::optional<std::string_view>, kInfoKeys.size()>& info,
                  const std::vector<ProfileDocument::NameValue>& changes,
                  std::optional<std::string_view> storedSignature)
{
    m_infoValues = info;
    // A line whose key and value stand as key=value in the file is a view of it; any other
    // (blanks around "=", quotes, a later spelling of the key) is composed once.
    m_changeLines.reserve(changes.size() + 1);
    for (const auto& [name, value] : changes) {
        if (const auto entry = profile_lines::entryAsWritten(name, value))
            m_changeLines.push_back(*entry);
        else
            appendChangeLine(std::string(name) + '=' + std::string(value));
    }
    static constexpr std::string_view kNoSignature = "(Нет подписи)";
    m_storedSignature = storedSignature.value_or(kNoSignature);
}

const ReportInfo& Report::info() const
{
    if (!m_info) {
        ReportInfo& info = m_info.emplace();
        info.computerName = m_infoValues[0].value_or("?");
        info.recordDate = m_infoValues[1].value_or("");
        for (std::size_t i = 0; i < info.params.size(); ++i)
            info.params[i] = m_infoValues[2 + i].value_or("");
        info.macAddr = m_infoValues[6].value_or("");
    }
    return *m_info;
}

const std::string& Report::signature() const
{
    if (!m_signature)
        m_signature = m_document ? CalcSignature(*m_document) : CalcSignature(ProfileDocument());
    return *m_signature;
}

void Report::appendChangeLine(std::string line)
{
    m_changeLines.push_back(m_ownLines.emplace_front(std::move(line)));
}

std::string Report::computerLine() const
{
    const ReportInfo& fields = info();
    const auto& p = fields.params;
    std::string line;
    line.reserve(64 + fields.computerName.size() + p[0].size() + p[1].size() + p[2].size() + p[3].size());
    line.append("Компьютер :").append(fields.computerName).append(", Пользователь :");
    line.append(p[0]).append(" ").append(p[1]).append(" ").append(p[2]).append(" ").append(p[3]);
    return line;
}

std::string Report::computerInfoLine() const
{
    const ReportInfo& fields = info();
    const auto& p = fields.params;
    return "Компьютер : " + fields.computerName + ",посл.регистрация : " + fields.recordDate + " " + p[0] + " " +
           p[1] + " " + p[2] + " " + p[3] + "\r\n";
}

std::string_view newestKey(const std::vector<std::string_view>& changeLines)
{
    if (changeLines.empty())
        return {};
    const std::string_view last = changeLines.back();
    return trimControls(last.substr(0, last.find('=')));
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
