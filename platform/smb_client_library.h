#pragma once

// libsmbclient, loaded when the first UNC path needs it: the library and the hundred others it
// brings take longer to load than a scheduled run of a network of local folders takes as a whole.

#include <libsmbclient.h>

namespace corvinax {

struct SmbClientLibrary {
    decltype(&smbc_new_context) new_context;
    decltype(&smbc_free_context) free_context;
    decltype(&smbc_init_context) init_context;
    decltype(&smbc_setDebug) setDebug;
    decltype(&smbc_setTimeout) setTimeout;
    decltype(&smbc_setPort) setPort;
    decltype(&smbc_setOptionUserData) setOptionUserData;
    decltype(&smbc_getOptionUserData) getOptionUserData;
    decltype(&smbc_setFunctionAuthDataWithContext) setFunctionAuthDataWithContext;
    decltype(&smbc_setOptionUseKerberos) setOptionUseKerberos;
    decltype(&smbc_setOptionFallbackAfterKerberos) setOptionFallbackAfterKerberos;
    decltype(&smbc_getFunctionOpen) getFunctionOpen;
    decltype(&smbc_getFunctionCreat) getFunctionCreat;
    decltype(&smbc_getFunctionRead) getFunctionRead;
    decltype(&smbc_getFunctionWrite) getFunctionWrite;
    decltype(&smbc_getFunctionClose) getFunctionClose;
    decltype(&smbc_getFunctionStat) getFunctionStat;
    decltype(&smbc_getFunctionUnlink) getFunctionUnlink;
    decltype(&smbc_getFunctionRename) getFunctionRename;
    decltype(&smbc_getFunctionOpendir) getFunctionOpendir;
    decltype(&smbc_getFunctionReaddirPlus2) getFunctionReaddirPlus2;
    decltype(&smbc_getFunctionClosedir) getFunctionClosedir;
    decltype(&smbc_getFunctionPurgeCachedServers) getFunctionPurgeCachedServers;
};

// The library's functions, loaded at the first call; nullptr when it is not installed (a UNC path
// then cannot be reached, as when its server is down).
const SmbClientLibrary* smbClientLibrary();

}  // namespace corvinax
