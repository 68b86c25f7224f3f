// A test host: the executable exports the 121 host functions by name (all but
// the one ZTL_OMIT_<name> hides) and loads the built Scriptlink.so.
#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include <zentrella/plugin_abi.h>

namespace fake_host {

// What the exported GetUserFolderName and IsStation answer.
extern std::string user_folder;
extern int station;
extern int user_folder_calls;

// The plug-in module with its entry points.
class PluginModule {
 public:
  PluginModule() : handle_(::dlopen(SCRIPTLINK_MODULE_PATH, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) throw std::runtime_error(std::string("dlopen: ") + ::dlerror());
#define ZTL_RESOLVE_ENTRY(ret, name, params) \
    name = reinterpret_cast<ZtlPluginFn_##name>(Resolve("ZTLPlugin_" #name));
    ZENTRELLA_PLUGIN_ENTRY_POINTS(ZTL_RESOLVE_ENTRY)
#undef ZTL_RESOLVE_ENTRY
  }
  ~PluginModule() { ::dlclose(handle_); }
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  static const char* Path() { return SCRIPTLINK_MODULE_PATH; }

#define ZTL_ENTRY_FIELD(ret, name, params) ZtlPluginFn_##name name = nullptr;
  ZENTRELLA_PLUGIN_ENTRY_POINTS(ZTL_ENTRY_FIELD)
#undef ZTL_ENTRY_FIELD

 private:
  void* Resolve(const char* name) {
    void* address = ::dlsym(handle_, name);
    if (address == nullptr) throw std::runtime_error(std::string("missing entry point ") + name);
    return address;
  }
  void* handle_;
};

}  // namespace fake_host
