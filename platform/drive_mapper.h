#pragma once

#include <string>

namespace corvinax {

// Connects a UNC check directory (\\SERVER\share\folder) before it is read. There are no drive
// names here: a connected directory is still reached through its listed path.
class DriveMapper {
public:
    virtual ~DriveMapper() = default;
    // false when the server or share cannot be reached.
    virtual bool connect(const std::string& driveName, const std::string& uncPath) = 0;
    // Drops the connection made under driveName, if any.
    virtual void cancel(const std::string& driveName) = 0;
};

// Without a network backend no UNC directory can be connected.
class NoNetworkDriveMapper final : public DriveMapper {
public:
    bool connect(const std::string&, const std::string&) override { return false; }
    void cancel(const std::string&) override {}
};

}  // namespace corvinax
