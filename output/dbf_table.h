#pragma once

// A dBASE table held as the bytes of its file. The export never edits a table in place: it reads
// the whole file, checks that header, field layout, row count and record length agree with its
// size, and builds the new table from the old header byte for byte, so that the other programs
// that share the table find it as their engines wrote it.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvinax {

class DbfTable {
public:
    struct Field {
        std::string name;
        std::size_t offset = 0;  // in the record, after the deletion flag
        std::size_t width = 0;
    };

    // nullopt when the bytes are no whole table: too short for a header, a field layout that does
    // not fill the record, or a header, row count or record length that disagree with the size.
    static std::optional<DbfTable> parse(std::string bytes);

    const std::vector<Field>& fields() const { return m_fields; }
    std::size_t rowCount() const { return m_rows; }
    bool isDeleted(std::size_t row) const;
    // The record as stored, deletion flag first.
    std::string_view record(std::size_t row) const;
    // A field's value without the blanks around it.
    std::string_view value(std::size_t row, std::size_t field) const;
    // Lets the records go, keeping the header and the field layout for a Builder: the old table need
    // not stay in memory beside the new one once its rows were taken.
    void dropRecords();

    // Builds a table with this one's header (all of it but the row count and the date of the last
    // change) and the rows given to it.
    class Builder {
    public:
        Builder(const DbfTable& layout, int year, int month, int day);
        // Room for this many rows, so that the table is not copied as it grows.
        void reserve(std::size_t rows);
        // A record as another table stored it, taken as it is.
        void appendRecord(std::string_view record);
        // A new live row from the values of the first four fields, each cut to its field's width;
        // every other field is blank.
        void appendRow(const std::array<std::string, 4>& values);
        std::size_t rowCount() const { return m_rows; }
        // The whole file: header, records and the end-of-file mark.
        std::string finish();

    private:
        const DbfTable& m_layout;
        std::string m_bytes;
        std::size_t m_rows = 0;
    };

private:
    DbfTable() = default;
    const char* recordStart(std::size_t row) const;

    std::string m_bytes;
    std::vector<Field> m_fields;
    std::size_t m_headerSize = 0;
    std::size_t m_recordSize = 0;
    std::size_t m_rows = 0;
};

}  // namespace corvinax
