#include "platform/paths.h"

#include "platform/native_text.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace corvinax {

std::string joinPath(std::string_view directory, std::string_view name)
{
    const char separator = isUncPath(directory) ? '\\' : '/';
    std::string joined(directory);
    if (joined.empty() || joined.back() != separator)
        joined += separator;
    joined += name;
    return joined;
}

std::string executablePath()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? fromNativeName(std::string_view(path, static_cast<std::size_t>(length))) : std::string();
}

std::string executableDirectory()
{
    const std::string executable = executablePath();
    const std::size_t slash = executable.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : executable.substr(0, slash);
}

std::string installedDataDirectory(const std::string& executableDirectory)
{
    const std::string share = joinPath(joinPath(joinPath(executableDirectory, ".."), "share"), "corvinax");
    char resolved[PATH_MAX];
    if (::realpath(nativePath(joinPath(joinPath(share, "BASE"), "Smart")).c_str(), resolved) == nullptr)
        return {};
    if (::realpath(nativePath(share).c_str(), resolved) == nullptr)
        return {};
    return fromNativeName(resolved);
}

std::string settingsFilePath(const std::string& executableDirectory, const std::string& homeDirectory)
{
    const bool portable = installedDataDirectory(executableDirectory).empty() &&
                          ::access(nativePath(executableDirectory).c_str(), W_OK) == 0;
    if (portable)
        return joinPath(executableDirectory, "corvinax.ini");
    std::string configHome;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/')
        configHome = fromNativeName(xdg);
    else
        configHome = joinPath(homeDirectory, ".config");
    return joinPath(joinPath(configHome, "corvinax"), "corvinax.ini");
}

std::string homeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return fromNativeName(home);
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return fromNativeName(entry->pw_dir);
    return "/";
}

std::string runtimeDirectory()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        return fromNativeName(runtime);
    return {};
}

}  // namespace corvinax
