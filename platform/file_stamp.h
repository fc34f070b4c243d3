#pragma once

#include <cstdint>
#include <string>

namespace corvinax {

// What tells one version of a file from another without reading it.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    static FileStamp of(const std::string& path);
    bool operator==(const FileStamp&) const = default;
};

}  // namespace corvinax
