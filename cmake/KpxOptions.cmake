# Compiler flags shared by every target of the project. Warnings become errors only in developer
# builds, so that a packager's build with another compiler or build type is never stopped by one.
add_compile_options(-Wall -Wextra -Wshadow -Wconversion -Wnon-virtual-dtor)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  # Clang's -Wconversion also reports every signed/unsigned change (GCC's C++ one does not); the
  # narrowing it finds is what we want from it.
  add_compile_options(-Wno-sign-conversion)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 at -O3 reports overlapping copies inside libstdc++'s std::string concatenation that
  # cannot happen: a false positive of the compiler, not a fault of ours.
  add_compile_options(-Wno-restrict)
endif()
if(KPX_DEVELOPER)
  add_compile_options(-Werror)
endif()

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
