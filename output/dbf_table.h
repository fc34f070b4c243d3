#pragma once

// A dBASE table, through shapelib. Rows are addressed by their position; a deleted row is only
// marked, as the dBASE engines of the other programs that share the table expect.

#include <array>
#include <memory>
#include <string>

namespace corvinax {

class DbfTable {
public:
    // nullptr when the file cannot be opened as a dBASE table for reading and writing, or another
    // program holds a lock on it. The table stays locked for this program until it is closed.
    static std::unique_ptr<DbfTable> open(const std::string& path);
    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    int rowCount() const;
    int fieldCount() const;
    // -1 when the table has no such field (names compared without regard to case).
    int fieldIndex(const char* name) const;
    std::string fieldName(int field) const;
    bool isDeleted(int row) const;
    // The value without its padding blanks.
    std::string read(int row, int field) const;

    // Each throws Error when the engine refuses.
    void markDeleted(int row);
    // A new row from the values of the first four fields; longer values are cut to the field.
    void append(const std::array<std::string, 4>& values);
    // Writes the header (row count, date of the last change: year, month, day) and closes.
    void close(int year, int month, int day);

private:
    struct Handle;
    explicit DbfTable(std::unique_ptr<Handle> handle, std::string path);

    std::unique_ptr<Handle> m_handle;
    std::string m_path;
};

}  // namespace corvinax
