#include "output/warehouse_export.h"

#include "app/calendar.h"
#include "app/clock.h"
#include "app/settings.h"
#include "check/file_operations.h"
#include "check/result_tree.h"
#include "check/run_view.h"
#include "output/dbf_table.h"
#include "profile/error.h"
#include "profile/text.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace corvinax {

namespace {

constexpr const char* kOwnName = "CORVINAX";
constexpr const char* kAlarmGroup = "_CVX_ALARM_";
constexpr std::size_t kMaxText = 150;
constexpr std::size_t kMaxDateText = 250;
constexpr std::array<const char*, 4> kFields{"UNO", "GROUP", "NAME", "TEXT"};

std::string trimmed(std::string_view text)
{
    return std::string(trimControls(text));
}

// The collation weight of a code page 1251 byte: letters without regard to case, Latin before
// Cyrillic, ё with е; other bytes keep their place before the letters they precede.
int collationWeight(unsigned char byte)
{
    const unsigned char folded = foldByte(byte);
    if (folded == 0xB8)  // ё
        return 0x200 + 2 * (0xE5 - 0xE0) + 1;
    if (folded >= 0xE0)  // а to я
        return 0x200 + 2 * (folded - 0xE0) + (folded > 0xE5 ? 2 : 0);
    return folded;
}

std::string limitText(const LocalDateTime& day, bool fourDigitYear)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*d.%02d.%02d", fourDigitYear ? 4 : 2,
                  fourDigitYear ? day.year : day.year % 100, day.month, day.day);
    return text;
}

// Checks that the four fields stand first, in order, before anything in the table is changed.
void requireFields(const DbfTable& table, const std::string& name)
{
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (static_cast<int>(i) >= table.fieldCount() || table.fieldName(static_cast<int>(i)) != kFields[i])
            throw Error("The table " + name + " must begin with the fields UNO, GROUP, NAME and TEXT");
    }
}

}  // namespace

bool collatesBefore(const std::string& a, const std::string& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int wa = collationWeight(static_cast<unsigned char>(a[i]));
        const int wb = collationWeight(static_cast<unsigned char>(b[i]));
        if (wa != wb)
            return wa < wb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;  // equal but for letter case: a fixed order all the same
}

bool passesDateFilter(const std::string& entry, const std::string& longLimit, const std::string& shortLimit)
{
    const std::size_t blank = entry.find(' ');
    const std::string text = entry.substr(blank == std::string::npos ? 0 : blank + 1, kMaxDateText);
    const std::size_t wordEnd = text.find(' ');
    if (wordEnd == 10)
        return text.substr(6, 4) + text.substr(2, 4) + text.substr(0, 2) >= longLimit;
    if (wordEnd == 8)
        return text.substr(6, 2) + text.substr(2, 4) + text.substr(0, 2) >= shortLimit;
    return false;
}

WarehouseExport::WarehouseExport(const Settings& settings, const ResultTree& tree, RunView& view, const Clock& clock,
                                 LogHeader logHeader)
    : m_settings(settings), m_tree(tree), m_view(view), m_clock(clock), m_logHeader(std::move(logHeader))
{
}

bool WarehouseExport::WriteMervoDBF()
{
    m_progress = {now() + " начало записи в базы Mervo.exe"};
    const std::string& name = m_settings.warehouseTable;
    std::unique_ptr<DbfTable> table;
    if (isRegularFile(name)) {
        table = DbfTable::open(name);
        if (!table)
            m_progress.push_back("- Ошибка открытия базы :" + name);
    } else {
        m_progress.push_back("- Файл не найден :" + name);
    }
    if (!table)
        m_view.showMessage(m_progress.back());

    if (table) {
        requireFields(*table, name);
        std::vector<std::string> kept = filterByDate(readOwnRows(*table));
        std::vector<std::string> alarms;
        phase("Scan..");
        scanTree(kept, alarms);
        phase("Sort..");
        std::sort(kept.begin(), kept.end(), collatesBefore);
        // An entry read back from the table that the tree brings again is written once.
        kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
        m_view.setApplicationTitle("Write..");
        removeOwnRows(*table);
        m_view.pumpEvents();
        writeAlarms(*table, alarms);
        writeGroups(*table, kept);
        m_progress.push_back("- Записано в " + name + " строк : " + std::to_string(kept.size()));
        if (!alarms.empty())
            m_progress.push_back("- Записано критических предупреждений : " + std::to_string(alarms.size()));
        const LocalDateTime today = m_clock.now();
        table->close(today.year, today.month, today.day);
    }
    m_progress.push_back(now() + " работа закончена");
    // The table is written by now: a log that cannot take the progress lines is only reported.
    try {
        CheckLog(m_settings.logFileName, m_logHeader).appendLines(m_progress);
    } catch (const Error& error) {
        m_view.showMessage(error.what());
    }
    return table != nullptr;
}

std::vector<std::string> WarehouseExport::readOwnRows(DbfTable& table)
{
    m_view.setApplicationTitle("Read..");
    const int uno = table.fieldIndex("UNO");
    const int group = table.fieldIndex("GROUP");
    const int name = table.fieldIndex("NAME");
    const int text = table.fieldIndex("TEXT");
    std::vector<std::string> read;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (table.isDeleted(row) || table.read(row, name) != kOwnName)
            continue;
        read.push_back(trimmed(table.read(row, uno)) + " " + trimmed(table.read(row, group)) + "=" +
                       trimmed(table.read(row, text)));
    }
    m_progress.push_back("- Считано из " + m_settings.warehouseTable + " строк : " + std::to_string(read.size()));
    return read;
}

std::vector<std::string> WarehouseExport::filterByDate(const std::vector<std::string>& read)
{
    const LocalDateTime limitDay = midnightDaysBefore(m_clock.now(), m_settings.maxDate);
    const std::string longLimit = limitText(limitDay, true);
    const std::string shortLimit = limitText(limitDay, false);
    std::vector<std::string> kept;
    std::copy_if(read.begin(), read.end(), std::back_inserter(kept),
                 [&](const std::string& line) { return passesDateFilter(line, longLimit, shortLimit); });
    m_progress.push_back("- После чистки (от " + longLimit + ") осталось строк : " + std::to_string(kept.size()));
    return kept;
}

void WarehouseExport::scanTree(std::vector<std::string>& kept, std::vector<std::string>& alarms) const
{
    std::string mac;
    m_tree.forEachInDisplayOrder([&](ResultNode& node) {
        const int level = node.level();
        if (level == 1)
            mac = node.data ? node.data->macAddr : std::string();
        if (level != 2)
            return;
        const std::string& text = node.text;
        if (text.find("MAC_Addr has changed") != std::string::npos)
            alarms.push_back(text + " " + node.parent()->text);
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos)
            return;
        const std::string mark = node.data ? node.data->mark : std::string();
        kept.push_back(trimmed(mac) + " " + text.substr(0, equals + 1) +
                       trimmed(mark + " " + text.substr(equals + 1, kMaxText)));
    });
}

void WarehouseExport::removeOwnRows(DbfTable& table)
{
    const int name = table.fieldIndex("NAME");
    for (int row = 0; row < table.rowCount(); ++row) {
        if (!table.isDeleted(row) && table.read(row, name) == kOwnName)
            table.markDeleted(row);
    }
}

void WarehouseExport::writeAlarms(DbfTable& table, const std::vector<std::string>& alarms)
{
    for (const std::string& alarm : alarms) {
        const std::size_t equals = alarm.find('=');
        const std::size_t split = equals == std::string::npos ? 0 : equals;
        const std::size_t textStart = equals == std::string::npos ? 0 : equals + 1;
        table.append({kAlarmGroup, alarm.substr(0, split), kOwnName, alarm.substr(textStart, kMaxText)});
    }
}

// Consecutive entries of one computer form a group of at most MaxLines rows (0: no limit).
void WarehouseExport::writeGroups(DbfTable& table, const std::vector<std::string>& kept) const
{
    std::string groupMac;
    int rows = 0;
    for (const std::string& entry : kept) {
        const std::size_t blank = std::min(entry.find(' '), entry.size());
        if (groupMac.empty() || entry.find(groupMac) == std::string::npos) {
            groupMac = entry.substr(0, blank);
            rows = 0;
        }
        if (m_settings.maxLines != 0 && rows >= m_settings.maxLines)
            continue;
        const std::size_t equals = entry.find('=');
        const std::size_t keyStart = std::min(blank + 1, entry.size());
        const std::size_t keyEnd = equals == std::string::npos ? keyStart : std::max(equals, keyStart);
        const std::string text = equals == std::string::npos ? std::string() : entry.substr(equals + 1, kMaxText);
        table.append({groupMac, entry.substr(keyStart, keyEnd - keyStart), kOwnName, text});
        ++rows;
    }
}

void WarehouseExport::phase(const char* title)
{
    m_view.pumpEvents();
    m_view.setApplicationTitle(title);
}

std::string WarehouseExport::now() const
{
    return formatDateTime(m_clock.now());
}

}  // namespace corvinax
