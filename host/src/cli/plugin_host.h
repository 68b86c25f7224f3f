// A loaded plug-in: opened with its 29 entry points resolved, started, its
// info record kept while it runs, and shut down and closed at the end.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include <zentrella/plugin_abi.h>

namespace zentrella::cli {

class PluginError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PluginEntryPoints {
#define ZTL_PLUGIN_ENTRY_FIELD(ret, name, params) ZtlPluginFn_##name name = nullptr;
  ZENTRELLA_PLUGIN_ENTRY_POINTS(ZTL_PLUGIN_ENTRY_FIELD)
#undef ZTL_PLUGIN_ENTRY_FIELD
};

class PluginHost {
 public:
  // Throws PluginError naming the path and what went wrong.
  explicit PluginHost(const std::string& path);
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  const PluginEntryPoints& entry() const { return entry_; }
  const ZtlPluginInfo* info() const { return info_; }
  std::uint32_t version_high() const { return version_high_; }
  std::uint32_t version_low() const { return version_low_; }
  const std::string& path() const { return path_; }
  // The library's handle, for its bitmap resources.
  void* module() const { return library_; }
  // The outcome of the last run the plug-in started; null from a plug-in that
  // does not tell (the optional entry point ZTLPlugin_LastRunOutcome).
  const ZtlRunOutcome* last_run_outcome() const { return last_run_outcome_ != nullptr ? last_run_outcome_() : nullptr; }

 private:
  void resolve();
  void close() noexcept;

  std::string path_;
  void* library_ = nullptr;
  PluginEntryPoints entry_;
  ZtlPluginFn_LastRunOutcome last_run_outcome_ = nullptr;
  bool started_ = false;
  ZtlPluginInfo* info_ = nullptr;
  std::uint32_t version_high_ = 0;
  std::uint32_t version_low_ = 0;
};

// "a.b.c.d" from the two halves of a file version.
std::string version_text(std::uint32_t high, std::uint32_t low);

}  // namespace zentrella::cli
