#include "support/dbf_files.h"

#include <shapefil.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace corvinax::test {

void createWarehouseTable(const std::string& path, const std::vector<DbfRow>& rows)
{
    DBFHandle dbf = DBFCreate(path.c_str());
    if (!dbf)
        throw std::runtime_error("cannot create " + path);
    DBFAddField(dbf, "UNO", FTString, 20, 0);
    DBFAddField(dbf, "GROUP", FTString, 20, 0);
    DBFAddField(dbf, "NAME", FTString, 10, 0);
    DBFAddField(dbf, "TEXT", FTString, 150, 0);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        for (int field = 0; field < 4; ++field)
            DBFWriteStringAttribute(dbf, static_cast<int>(row), field, rows[row][static_cast<std::size_t>(field)].c_str());
    }
    DBFClose(dbf);
}

namespace {

constexpr const char* kReader = R"(
import sys
from dbfread import DBF
table = DBF(sys.argv[1], encoding='latin-1', char_decode_errors='strict')
def show(kind, record):
    line = kind + '|'.join(record[name] for name in ('UNO', 'GROUP', 'NAME', 'TEXT')) + '\n'
    sys.stdout.buffer.write(line.encode('latin-1'))
for record in table:
    show('L', record)
for record in table.deleted:
    show('D', record)
)";

}  // namespace

DbfContents readWithDbfread(const std::string& path)
{
    const std::string command = "/usr/bin/python3 -c \"$CORVINAX_DBF_READER\" '" + path + "'";
    ::setenv("CORVINAX_DBF_READER", kReader, 1);
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe)
        throw std::runtime_error("cannot run python3-dbfread");
    DbfContents contents;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe.get())) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        (line[0] == 'L' ? contents.rows : contents.deleted).push_back(line.substr(1));
    }
    if (::pclose(pipe.release()) != 0)
        throw std::runtime_error("python3-dbfread could not read " + path);
    return contents;
}

}  // namespace corvinax::test
