#include "output/warehouse_export.h"

#include "findings/result_tree.h"
#include "output/warehouse_table_file.h"
#include "platform/calendar.h"
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/stop_request.h"
#include "platform/text.h"
#include "settings/run_view.h"
#include "settings/settings.h"

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

constexpr std::size_t kUnoField = 0;
constexpr std::size_t kGroupField = 1;
constexpr std::size_t kNameField = 2;
constexpr std::size_t kTextField = 3;

// Rows are written by position and read back by name: the four fields must stand first, in order.
bool hasTheFourFields(const DbfTable& table)
{
    const auto& fields = table.fields();
    return fields.size() >= kFields.size() &&
           std::equal(kFields.begin(), kFields.end(), fields.begin(),
                      [](const char* name, const DbfTable::Field& field) { return field.name == name; });
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
                                 LogHeader logHeader, std::chrono::milliseconds lockWait)
    : m_settings(settings), m_tree(tree), m_view(view), m_clock(clock), m_logHeader(std::move(logHeader)),
      m_lockWait(lockWait)
{
}

ExportResult WarehouseExport::WriteMervoDBF()
{
    m_progress = {now() + " начало записи в базы Mervo.exe"};
    const std::string& name = m_settings.warehouseTable;
    WarehouseTableFile file(name, m_lockWait);
    std::string bytes;
    ExportResult result = ExportResult::NotOpened;
    switch (file.open(bytes)) {
    case WarehouseTableFile::Opening::Missing: report("- Файл не найден :" + name); break;
    case WarehouseTableFile::Opening::Unavailable: report("- Ошибка открытия базы :" + name); break;
    case WarehouseTableFile::Opening::Busy: report("- База занята другой программой :" + name); break;
    case WarehouseTableFile::Opening::Opened: result = exportInto(file, std::move(bytes)); break;
    }
    m_progress.push_back(now() + " работа закончена");
    // The table is written by now: a log that cannot take the progress lines is only reported.
    try {
        CheckLog(m_settings.logFileName, m_logHeader).appendLines(m_progress);
    } catch (const Error& error) {
        m_view.showMessage(error.what());
    }
    return result;
}

// The new table is built whole in memory from the old one's header, the other writers' live rows
// in their order and the own rows, and takes the old one's place in one step.
ExportResult WarehouseExport::exportInto(WarehouseTableFile& file, std::string bytes)
{
    const std::string& name = m_settings.warehouseTable;
    std::optional<DbfTable> table = DbfTable::parse(std::move(bytes));
    if (!table || !hasTheFourFields(*table)) {
        report("- База повреждена :" + name);
        return ExportResult::Failed;
    }
    std::vector<std::string> kept = filterByDate(readOwnRows(*table));
    std::vector<std::string> alarms;
    m_textWidth = table->fields()[kTextField].width;
    phase("Scan..");
    scanTree(kept, alarms);
    phase("Sort..");
    std::sort(kept.begin(), kept.end(), collatesBefore);
    // An entry read back from the table that the tree brings again is written once.
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    m_view.setApplicationTitle("Write..");
    const LocalDateTime today = m_clock.now();
    DbfTable::Builder builder(*table, today.year, today.month, today.day);
    // At most the other writers' rows (the table's rows but the own ones read), the alarms and the
    // kept entries.
    builder.reserve(table->rowCount() - m_ownRowsRead + alarms.size() + kept.size());
    keepOtherRows(*table, builder);
    table->dropRecords();
    m_view.pumpEvents();
    writeAlarms(builder, alarms);
    writeGroups(builder, kept);
    stopIfRequested();
    std::string error;
    if (!file.replace(builder.finish(), error)) {
        stopIfRequested();
        report("- Ошибка записи базы :" + name + " (" + error + ")");
        return ExportResult::Failed;
    }
    m_progress.push_back("- Записано в " + name + " строк : " + std::to_string(kept.size()));
    if (!alarms.empty())
        m_progress.push_back("- Записано критических предупреждений : " + std::to_string(alarms.size()));
    return ExportResult::Written;
}

std::vector<std::string> WarehouseExport::readOwnRows(const DbfTable& table)
{
    m_view.setApplicationTitle("Read..");
    std::vector<std::string> read;
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        if (table.isDeleted(row) || table.value(row, kNameField) != kOwnName)
            continue;
        read.push_back(trimmed(table.value(row, kUnoField)) + " " + trimmed(table.value(row, kGroupField)) + "=" +
                       trimmed(table.value(row, kTextField)));
    }
    m_progress.push_back("- Считано из " + m_settings.warehouseTable + " строк : " + std::to_string(read.size()));
    m_ownRowsRead = read.size();
    return read;
}

// The read list becomes the kept list in place: a table of a hundred thousand computers holds
// hundreds of thousands of own rows.
std::vector<std::string> WarehouseExport::filterByDate(std::vector<std::string> read)
{
    const LocalDateTime limitDay = midnightDaysBefore(m_clock.now(), m_settings.maxDate);
    const std::string longLimit = limitText(limitDay, true);
    const std::string shortLimit = limitText(limitDay, false);
    std::vector<std::string> kept = std::move(read);
    std::erase_if(kept, [&](const std::string& line) { return !passesDateFilter(line, longLimit, shortLimit); });
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
        // As the row will read back from the table, so that a row written earlier today is known
        // again even where the TEXT field cut it.
        std::string written = trimmed(mark + " " + text.substr(equals + 1, kMaxText));
        if (written.size() > m_textWidth)
            written = trimmed(std::string_view(written).substr(0, m_textWidth));
        kept.push_back(trimmed(mac) + " " + text.substr(0, equals + 1) + written);
    });
}

void WarehouseExport::keepOtherRows(const DbfTable& table, DbfTable::Builder& builder)
{
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        if (!table.isDeleted(row) && table.value(row, kNameField) != kOwnName)
            builder.appendRecord(table.record(row));
    }
}

void WarehouseExport::writeAlarms(DbfTable::Builder& builder, const std::vector<std::string>& alarms)
{
    for (const std::string& alarm : alarms) {
        const std::size_t equals = alarm.find('=');
        const std::size_t split = equals == std::string::npos ? 0 : equals;
        const std::size_t textStart = equals == std::string::npos ? 0 : equals + 1;
        builder.appendRow({kAlarmGroup, alarm.substr(0, split), kOwnName, alarm.substr(textStart, kMaxText)});
    }
}

// Consecutive entries of one computer form a group of at most MaxLines rows (0: no limit).
void WarehouseExport::writeGroups(DbfTable::Builder& builder, const std::vector<std::string>& kept) const
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
        builder.appendRow({groupMac, entry.substr(keyStart, keyEnd - keyStart), kOwnName, text});
        ++rows;
    }
}

// A line for the log that the person (or standard error, unattended) also sees at once.
void WarehouseExport::report(const std::string& line)
{
    m_progress.push_back(line);
    m_view.showMessage(line);
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
