set(ZTL_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
if(ZTL_SANITIZE OR ZTL_FUZZ)
  add_compile_options(${ZTL_SANITIZER_FLAGS})
  add_link_options(${ZTL_SANITIZER_FLAGS})
endif()
if(ZTL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ZTL_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  # Coverage for the fuzzer everywhere. The sanitizer runtime is the shared
  # one, so that the modules (linked with --no-undefined) find its symbols.
  # Fuzz targets link the fuzzer's driver, ZTL_FUZZER_DRIVER, after their own
  # objects: -fsanitize=fuzzer would put the C++ runtime ahead of the
  # sanitizer's in the load order, which the sanitizer refuses.
  add_compile_options(-fsanitize=fuzzer-no-link)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libclang_rt.asan-x86_64.so
    OUTPUT_VARIABLE ztl_asan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libclang_rt.fuzzer-x86_64.a
    OUTPUT_VARIABLE ZTL_FUZZER_DRIVER OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${ztl_asan_runtime}" OR NOT EXISTS "${ZTL_FUZZER_DRIVER}")
    message(FATAL_ERROR "ZTL_FUZZ needs clang's sanitizer and fuzzer runtimes (libclang-rt-14-dev)")
  endif()
  get_filename_component(ztl_sanitizer_runtime_dir "${ztl_asan_runtime}" DIRECTORY)
  add_link_options(-fsanitize=fuzzer-no-link -shared-libasan "LINKER:-rpath,${ztl_sanitizer_runtime_dir}")
endif()
