#include "output/dbf_table.h"

#include "profile/error.h"
#include "profile/native_text.h"

#include <shapefil.h>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace corvinax {

struct DbfTable::Handle {
    DBFHandle dbf = nullptr;
    int lockFd = -1;
    ~Handle()
    {
        if (dbf)
            DBFClose(dbf);
        if (lockFd >= 0)
            ::close(lockFd);
    }
};

std::unique_ptr<DbfTable> DbfTable::open(const std::string& path)
{
    auto handle = std::make_unique<Handle>();
    const std::string native = nativePath(path);
    // A whole-file write lock, as the dBASE engines of the other programs take and test it.
    handle->lockFd = ::open(native.c_str(), O_RDWR | O_CLOEXEC);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (handle->lockFd < 0 || ::fcntl(handle->lockFd, F_SETLK, &lock) != 0)
        return nullptr;
    handle->dbf = DBFOpen(native.c_str(), "rb+");
    if (!handle->dbf)
        return nullptr;
    return std::unique_ptr<DbfTable>(new DbfTable(std::move(handle), path));
}

DbfTable::DbfTable(std::unique_ptr<Handle> handle, std::string path)
    : m_handle(std::move(handle)), m_path(std::move(path))
{
}

DbfTable::~DbfTable() = default;

int DbfTable::rowCount() const
{
    return DBFGetRecordCount(m_handle->dbf);
}

int DbfTable::fieldCount() const
{
    return DBFGetFieldCount(m_handle->dbf);
}

int DbfTable::fieldIndex(const char* name) const
{
    return DBFGetFieldIndex(m_handle->dbf, name);
}

std::string DbfTable::fieldName(int field) const
{
    char name[XBASE_FLDNAME_LEN_READ + 1] = {};
    int width = 0;
    int decimals = 0;
    DBFGetFieldInfo(m_handle->dbf, field, name, &width, &decimals);
    return name;
}

bool DbfTable::isDeleted(int row) const
{
    return DBFIsRecordDeleted(m_handle->dbf, row) != 0;
}

// shapelib hands out every value in one buffer of the handle: it is copied before the next call.
std::string DbfTable::read(int row, int field) const
{
    const char* value = DBFReadStringAttribute(m_handle->dbf, row, field);
    return value ? std::string(value) : std::string();
}

void DbfTable::markDeleted(int row)
{
    if (!DBFMarkRecordDeleted(m_handle->dbf, row, 1))
        throw Error("Cannot delete a row of " + m_path);
}

void DbfTable::append(const std::array<std::string, 4>& values)
{
    const int row = rowCount();
    for (int field = 0; field < 4; ++field) {
        // A value longer than its field is cut by the engine, which then reports FALSE.
        DBFWriteStringAttribute(m_handle->dbf, row, field, values[static_cast<std::size_t>(field)].c_str());
    }
    if (rowCount() != row + 1)
        throw Error("Cannot write a row of " + m_path);
}

void DbfTable::close(int year, int month, int day)
{
    DBFSetLastModifiedDate(m_handle->dbf, year - 1900, month, day);
    DBFClose(m_handle->dbf);
    m_handle->dbf = nullptr;
    ::close(m_handle->lockFd);
    m_handle->lockFd = -1;
}

}  // namespace corvinax
