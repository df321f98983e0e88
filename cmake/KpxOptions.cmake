# Compiler flags shared by every target of the project.
add_compile_options(-Wall -Wextra -Werror)

if(KPX_SANITIZE)
  set(_kpx_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${_kpx_san})
  add_link_options(${_kpx_san})
endif()

# ThreadSanitizer excludes AddressSanitizer: a build has one or the other.
if(KPX_SANITIZE_THREADS)
  if(KPX_SANITIZE)
    message(FATAL_ERROR "KPX_SANITIZE_THREADS and KPX_SANITIZE cannot be combined")
  endif()
  set(_kpx_tsan -fsanitize=thread -fno-omit-frame-pointer)
  add_compile_options(${_kpx_tsan})
  add_link_options(${_kpx_tsan})
endif()

# Fuzz builds instrument all code for coverage, not only the fuzz targets, so that libFuzzer sees
# into the libraries it drives.
if(KPX_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Attaches the project's include roots to a target: the public headers and the src/ tree.
function(kpx_internal_includes target)
  target_include_directories(${target} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src>)
endfunction()
