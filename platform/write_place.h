#pragma once

// Where a file the program writes really is. The program runs as root from schedulers, next to
// users who may plant links in the folders it writes into (a sticky /tmp, a group-writable log
// folder): a link on the way is followed only when the running user or the owner of the folder
// that holds it made it, whatever the system's own protection says. The file is then reached
// through its open folder and its last name, so that nothing can be swapped under the program
// between the check and the write.

#include "platform/file_descriptor.h"

#include <string>

namespace corvinax {

struct WritePlace {
    FileDescriptor folder{-1};  // open for reading, as the folder fd of *at calls
    std::string name;           // the file's name in it: no link (or none that may be followed)
    std::string path;           // the whole path, every link resolved
};

// Resolves a local path (as the system names it) for writing. false, with errno set, when a link
// on the way may not be followed (EACCES), when a folder on the way is missing or not a folder, or
// when links loop. The file itself need not exist.
bool findWritePlace(const std::string& nativePath, WritePlace& place);

// The folder at that local path, reached as findWritePlace reaches a file, open for reading and as
// the folder fd of *at calls; -1, with errno set, when it cannot be.
FileDescriptor openFolderForWriting(const std::string& nativePath);

}  // namespace corvinax
