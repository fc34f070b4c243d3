#include "output/dbf_table.h"

#include <algorithm>
#include <cstring>

namespace corvinax {

namespace {

constexpr std::size_t kPrefixSize = 32;      // version, date, row count, header and record sizes
constexpr std::size_t kDescriptorSize = 32;  // one per field
constexpr char kFieldsEnd = '\x0D';
constexpr char kEndOfFile = '\x1A';
constexpr char kDeleted = '*';

std::size_t littleEndian(const std::string& bytes, std::size_t at, std::size_t length)
{
    std::size_t value = 0;
    for (std::size_t i = length; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void putLittleEndian(std::string& bytes, std::size_t at, std::size_t length, std::size_t value)
{
    for (std::size_t i = 0; i < length; ++i, value >>= 8)
        bytes[at + i] = static_cast<char>(value & 0xFF);
}

// The field descriptors up to their end mark; empty when they do not fill the record exactly.
std::vector<DbfTable::Field> readFields(const std::string& bytes, std::size_t headerSize, std::size_t recordSize)
{
    std::vector<DbfTable::Field> fields;
    std::size_t offset = 1;
    std::size_t at = kPrefixSize;
    for (; at + kDescriptorSize <= headerSize && bytes[at] != kFieldsEnd; at += kDescriptorSize) {
        const char* name = bytes.data() + at;
        DbfTable::Field field;
        field.name.assign(name, strnlen(name, 11));
        field.offset = offset;
        field.width = static_cast<unsigned char>(bytes[at + 16]);
        offset += field.width;
        fields.push_back(std::move(field));
    }
    if (at >= headerSize || bytes[at] != kFieldsEnd || offset != recordSize)
        fields.clear();
    return fields;
}

}  // namespace

std::optional<DbfTable> DbfTable::parse(std::string bytes)
{
    if (bytes.size() < kPrefixSize + 1)
        return std::nullopt;
    DbfTable table;
    table.m_rows = littleEndian(bytes, 4, 4);
    table.m_headerSize = littleEndian(bytes, 8, 2);
    table.m_recordSize = littleEndian(bytes, 10, 2);
    if (table.m_headerSize < kPrefixSize + 1 || table.m_recordSize < 1 || table.m_headerSize > bytes.size())
        return std::nullopt;
    const std::size_t records = bytes.size() - table.m_headerSize;
    const bool endMark = records % table.m_recordSize == 1 && bytes.back() == kEndOfFile;
    if (records / table.m_recordSize != table.m_rows || (records % table.m_recordSize != 0 && !endMark))
        return std::nullopt;
    table.m_fields = readFields(bytes, table.m_headerSize, table.m_recordSize);
    if (table.m_fields.empty())
        return std::nullopt;
    table.m_bytes = std::move(bytes);
    return table;
}

const char* DbfTable::recordStart(std::size_t row) const
{
    return m_bytes.data() + m_headerSize + row * m_recordSize;
}

bool DbfTable::isDeleted(std::size_t row) const
{
    return *recordStart(row) == kDeleted;
}

std::string_view DbfTable::record(std::size_t row) const
{
    return {recordStart(row), m_recordSize};
}

std::string_view DbfTable::value(std::size_t row, std::size_t field) const
{
    std::string_view text(recordStart(row) + m_fields[field].offset, m_fields[field].width);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\0'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    return text;
}

void DbfTable::dropRecords()
{
    m_bytes.resize(m_headerSize);
    m_bytes.shrink_to_fit();
    m_rows = 0;
}

DbfTable::Builder::Builder(const DbfTable& layout, int year, int month, int day)
    : m_layout(layout), m_bytes(layout.m_bytes, 0, layout.m_headerSize)
{
    m_bytes[1] = static_cast<char>(year - 1900);
    m_bytes[2] = static_cast<char>(month);
    m_bytes[3] = static_cast<char>(day);
}

void DbfTable::Builder::reserve(std::size_t rows)
{
    m_bytes.reserve(m_layout.m_headerSize + rows * m_layout.m_recordSize + 1);
}

void DbfTable::Builder::appendRecord(std::string_view record)
{
    m_bytes.append(record);
    ++m_rows;
}

void DbfTable::Builder::appendRow(const std::array<std::string, 4>& values)
{
    const std::size_t start = m_bytes.size();
    m_bytes.append(m_layout.m_recordSize, ' ');
    for (std::size_t i = 0; i < values.size() && i < m_layout.m_fields.size(); ++i) {
        const Field& field = m_layout.m_fields[i];
        const std::size_t length = std::min(values[i].size(), field.width);
        std::memcpy(m_bytes.data() + start + field.offset, values[i].data(), length);
    }
    ++m_rows;
}

std::string DbfTable::Builder::finish()
{
    putLittleEndian(m_bytes, 4, 4, m_rows);
    m_bytes += kEndOfFile;
    return std::move(m_bytes);
}

}  // namespace corvinax
