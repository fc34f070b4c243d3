#pragma once

#include <array>
#include <string>
#include <vector>

namespace corvinax::test {

using DbfRow = std::array<std::string, 4>;

// A dBASE table with the character fields UNO, GROUP, NAME and TEXT (widths 20, 20, 10, 150)
// holding the rows given.
void createWarehouseTable(const std::string& path, const std::vector<DbfRow>& rows);

struct DbfContents {
    std::vector<std::string> rows;     // live rows: UNO|GROUP|NAME|TEXT
    std::vector<std::string> deleted;  // rows marked deleted, the same way
};

// The table as an independent dBASE reader (python3-dbfread) sees it, values as raw bytes.
DbfContents readWithDbfread(const std::string& path);

}  // namespace corvinax::test
