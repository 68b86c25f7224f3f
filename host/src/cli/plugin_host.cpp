#include "cli/plugin_host.h"

#include <dlfcn.h>

namespace zentrella::cli {

PluginHost::PluginHost(const std::string& path) : path_(path) {
  library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    const char* reason = dlerror();
    throw PluginError("cannot load the plug-in " + path + ": " + (reason != nullptr ? reason : "unknown reason"));
  }
  try {
    resolve();
    if (entry_.Init(path.c_str()) == 0) throw PluginError("the plug-in failed to start: " + path);
    started_ = true;
    entry_.SetVersion(&version_high_, &version_low_);
    info_ = entry_.SetPluginInfo();
  } catch (...) {
    close();
    throw;
  }
}

PluginHost::~PluginHost() { close(); }

void PluginHost::resolve() {
#define ZTL_RESOLVE_ENTRY(ret, name, params)                                                             \
  entry_.name = reinterpret_cast<ZtlPluginFn_##name>(dlsym(library_, "ZTLPlugin_" #name));               \
  if (entry_.name == nullptr) {                                                                          \
    throw PluginError("the plug-in " + path_ + " lacks the entry point ZTLPlugin_" #name);              \
  }
  ZENTRELLA_PLUGIN_ENTRY_POINTS(ZTL_RESOLVE_ENTRY)
#undef ZTL_RESOLVE_ENTRY
  last_run_outcome_ = reinterpret_cast<ZtlPluginFn_LastRunOutcome>(dlsym(library_, "ZTLPlugin_LastRunOutcome"));
}

void PluginHost::close() noexcept {
  if (info_ != nullptr) entry_.FreePluginInfo(info_);
  info_ = nullptr;
  if (started_) entry_.Unload();
  started_ = false;
  if (library_ != nullptr) dlclose(library_);
  library_ = nullptr;
}

std::string version_text(std::uint32_t high, std::uint32_t low) {
  return std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." + std::to_string(low >> 16) + "." +
         std::to_string(low & 0xFFFF);
}

}  // namespace zentrella::cli
