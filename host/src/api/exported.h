// Declares every exported host function from the one list of names and
// signatures, so a definition that differs from it cannot compile.
#pragma once

#include <zentrella/host_api.h>

#define ZTL_DECLARE_HOST_EXPORT(ret, name, params) \
  extern "C" __attribute__((visibility("default"))) ret ZTLPlugin_##name params;
ZENTRELLA_HOST_API(ZTL_DECLARE_HOST_EXPORT)
#undef ZTL_DECLARE_HOST_EXPORT
