# Builds ztl.so with mkmf against the Ruby that runs it (gem install): the
# extension's C files, the C++ channel client and the platform layer it links
# in (as the CMake build does), with the project's shared headers.
require "mkmf"

root = File.expand_path("..", __dir__)
sources = File.join(root, "extension", "src")
platform = File.join(root, "platform")
shared = File.join(root, "shared")

abort "ztl: no C++ compiler (install g++)" unless find_executable(RbConfig::CONFIG["CXX"].split.first)
abort "ztl: no C++ runtime (install g++)" unless have_library("stdc++")
have_library("dl")
have_library("pthread")

$INCFLAGS << " -I#{sources} -I#{platform}/include -I#{shared}/include"
$CFLAGS << " -std=gnu11 -fvisibility=hidden"
$CXXFLAGS << " -std=c++20 -fvisibility=hidden -fvisibility-inlines-hidden"
# Only Init_ztl leaves the library; the platform layer linked in stays private.
$DLDFLAGS << " -Wl,--version-script=#{root}/extension/ztl.map"

$srcs = Dir[File.join(sources, "*.{c,cpp}")] + Dir[File.join(platform, "src", "*.cpp")]
$VPATH << sources << File.join(platform, "src")

create_makefile("ztl")
