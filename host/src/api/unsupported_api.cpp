// Mail headers, recreate factories and mail import belong to kinds of items
// this host does not keep: the functions exist and change nothing.
#include "api/api_support.h"

using namespace zentrella::api;

extern "C" ZtlHeaderInfo* ZTLPlugin_GetHeaderInfo(ZtlHandle, int32_t) { return nullptr; }
extern "C" ZtlBool ZTLPlugin_AddHeader(ZtlHandle, const char*, const char*) { return ZTL_FALSE; }
extern "C" ZtlBool ZTLPlugin_DeleteHeader(ZtlHandle, int32_t) { return ZTL_FALSE; }
extern "C" void ZTLPlugin_FreeHeaderInfo(ZtlHeaderInfo*) {}
extern "C" void* ZTLPlugin_GetRecreateFactory(ZtlHandle) { return nullptr; }
extern "C" ZtlBool ZTLPlugin_SetRecreateFactory(ZtlHandle, const void*) { return ZTL_FALSE; }
extern "C" void ZTLPlugin_FreeRecreateFactoryInfo(void*) {}
extern "C" ZtlHandle ZTLPlugin_ImportMailFile(ZtlHandle, const char*) { return 0; }
