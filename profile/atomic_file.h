#pragma once

#include <string>
#include <string_view>

namespace corvinax {

// Writes all of bytes to an open file descriptor, going on after interruptions; false on an error.
bool writeAll(int fd, std::string_view bytes);

// Reads a whole file; false when it is missing, a directory or unreadable.
bool readWholeFile(const std::string& path, std::string& bytes);

// Replaces the file at path by bytes as one step: a new file is written beside it, flushed to disk
// and renamed over it, so a reader or a crash sees the old file or the new one, never a torn one.
// An existing file keeps its permissions (and, where allowed, its owner); a link keeps pointing to
// the file it names. Refuses a read-only file. Returns false on any failure, leaving the old file.
// A new file is readable by its owner only when ownerOnly is set, else as the umask allows.
bool replaceFileAtomically(const std::string& path, std::string_view bytes, bool ownerOnly = false);

}  // namespace corvinax
