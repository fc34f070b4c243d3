#include "platform/remote_files.h"

namespace corvinax {

namespace {

RemoteFiles* g_backend = nullptr;

}  // namespace

bool isUncPath(std::string_view path)
{
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

void setRemoteFiles(RemoteFiles* backend)
{
    g_backend = backend;
}

RemoteFiles* remoteFiles()
{
    return g_backend;
}

}  // namespace corvinax
