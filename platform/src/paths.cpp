#include "platform/paths.h"

#include "platform/error.h"

#include <cerrno>
#include <sys/stat.h>
#include <vector>

namespace platform::paths {
namespace {

std::vector<std::string> split(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string_view::npos) end = path.size();
    if (end > pos) parts.emplace_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

// Drops "." and resolves ".." against what precedes it (never above the root).
std::vector<std::string> normalised(const std::vector<std::string>& parts) {
  std::vector<std::string> out;
  for (const auto& part : parts) {
    if (part == ".") continue;
    if (part == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(part);
  }
  return out;
}

std::string join(const std::vector<std::string>& parts, std::size_t from) {
  std::string out;
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (!out.empty()) out += '/';
    out += parts[i];
  }
  return out;
}

bool ends_with_slash(std::string_view path) { return !path.empty() && path.back() == '/'; }

}  // namespace

std::string make_relative(std::string_view path, std::string_view base_folder) {
  if (path.empty() || path.front() != '/' || base_folder.empty() || base_folder.front() != '/')
    return std::string(path);
  auto base = normalised(split(base_folder));
  auto target = normalised(split(path));
  // The last part of the target is its name, never a folder to share with the base.
  std::size_t target_folders = ends_with_slash(path) ? target.size() : target.size() - (target.empty() ? 0 : 1);
  std::size_t common = 0;
  while (common < base.size() && common < target_folders && base[common] == target[common]) ++common;
  std::string out;
  for (std::size_t i = common; i < base.size(); ++i) out += "../";
  out += join(target, common);
  if (ends_with_slash(path) && !out.empty() && !ends_with_slash(out)) out += '/';
  return out;
}

std::string make_absolute(std::string_view path, std::string_view base_folder) {
  if (path.empty() || path.front() == '/') return std::string(path);
  std::string combined = with_trailing_slash(base_folder) + std::string(path);
  std::string out = "/" + join(normalised(split(combined)), 0);
  if (ends_with_slash(path) && !ends_with_slash(out)) out += '/';
  return out;
}

std::string folder_of(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string file_name_of(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string extension_of(std::string_view path) {
  std::string name = file_name_of(path);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string stem_of(std::string_view path) {
  std::string name = file_name_of(path);
  return name.substr(0, name.size() - extension_of(name).size());
}

std::string with_trailing_slash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  return out;
}

void create_folders(const std::string& folder) {
  std::string so_far = !folder.empty() && folder.front() == '/' ? "/" : "";
  for (const auto& part : split(folder)) {
    so_far += part;
    if (::mkdir(so_far.c_str(), 0755) != 0 && errno != EEXIST)
      throw_errno("create the folder " + so_far);
    struct stat info {};
    if (::stat(so_far.c_str(), &info) != 0) throw_errno("create the folder " + so_far);
    if (!S_ISDIR(info.st_mode)) throw SystemError("create the folder " + so_far, ENOTDIR);
    so_far += '/';
  }
}

bool file_exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

}  // namespace platform::paths
