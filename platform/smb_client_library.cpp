#include "platform/smb_client_library.h"

#include <dlfcn.h>
#include <mutex>

namespace corvinax {

namespace {

template <typename Function>
bool take(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

const SmbClientLibrary* load()
{
    static SmbClientLibrary library;
    void* handle = ::dlopen("libsmbclient.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    const bool complete =
        take(handle, "smbc_new_context", library.new_context) && take(handle, "smbc_free_context", library.free_context) &&
        take(handle, "smbc_init_context", library.init_context) && take(handle, "smbc_setDebug", library.setDebug) &&
        take(handle, "smbc_setTimeout", library.setTimeout) && take(handle, "smbc_setPort", library.setPort) &&
        take(handle, "smbc_setOptionUserData", library.setOptionUserData) &&
        take(handle, "smbc_getOptionUserData", library.getOptionUserData) &&
        take(handle, "smbc_setFunctionAuthDataWithContext", library.setFunctionAuthDataWithContext) &&
        take(handle, "smbc_setOptionUseKerberos", library.setOptionUseKerberos) &&
        take(handle, "smbc_setOptionFallbackAfterKerberos", library.setOptionFallbackAfterKerberos) &&
        take(handle, "smbc_getFunctionOpen", library.getFunctionOpen) &&
        take(handle, "smbc_getFunctionCreat", library.getFunctionCreat) &&
        take(handle, "smbc_getFunctionRead", library.getFunctionRead) &&
        take(handle, "smbc_getFunctionWrite", library.getFunctionWrite) &&
        take(handle, "smbc_getFunctionClose", library.getFunctionClose) &&
        take(handle, "smbc_getFunctionStat", library.getFunctionStat) &&
        take(handle, "smbc_getFunctionUnlink", library.getFunctionUnlink) &&
        take(handle, "smbc_getFunctionRename", library.getFunctionRename) &&
        take(handle, "smbc_getFunctionOpendir", library.getFunctionOpendir) &&
        take(handle, "smbc_getFunctionReaddirPlus2", library.getFunctionReaddirPlus2) &&
        take(handle, "smbc_getFunctionClosedir", library.getFunctionClosedir) &&
        take(handle, "smbc_getFunctionPurgeCachedServers", library.getFunctionPurgeCachedServers);
    return complete ? &library : nullptr;
}

}  // namespace

const SmbClientLibrary* smbClientLibrary()
{
    static std::once_flag once;
    static const SmbClientLibrary* library = nullptr;
    std::call_once(once, [] { library = load(); });
    return library;
}

}  // namespace corvinax
