#pragma once

#include <string>

namespace corvinax::test {

// Makes a directory refuse the creation and removal of its entries, also for root (through the
// immutable attribute, which root's permissions do not override), and gives it back afterwards.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(std::string path);
    ~ReadOnlyDirectory();
    ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
    ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;

    // false when this file system cannot make it read-only for the current user.
    bool active() const { return m_active; }

private:
    bool setImmutable(bool on) const;

    std::string m_path;
    bool m_active = false;
    bool m_immutable = false;
};

}  // namespace corvinax::test
