# Reads the #include "module/..." lines of src/ and fails on any include that the module graph does
# not allow. Run as: cmake -DSOURCE_DIR=<project> -P check_layering.cmake
#
# The graph (an arrow points from a module to what it may include; what that includes may be
# included too):
#   base <- com <- {registry, xmldom, htmldom, host}
#   base <- markup <- page <- profile (+xmldom) <- recognition (+host) <- forward <- server
#   {page, profile, recognition} <- reverse <- server
#   tables <- com;  textutil <- markup;  cleaner <- base
# server may include every module; every module may include the public headers (kpx/).
cmake_minimum_required(VERSION 3.25)
set(direct_base "")
set(direct_com base)
set(direct_registry com)
set(direct_xmldom com)
set(direct_htmldom com)
set(direct_host com)
set(direct_markup base)
set(direct_page markup)
set(direct_profile page xmldom)
set(direct_recognition profile host)
set(direct_forward recognition)
set(direct_reverse page profile recognition)
set(direct_tables com)
set(direct_textutil markup)
set(direct_cleaner base)
set(modules base com registry xmldom htmldom host markup page profile recognition forward reverse
  tables textutil cleaner)
set(direct_server ${modules})
list(APPEND modules server)

# allowed_<m>: m itself, kpx, and everything reachable from m.
foreach(m IN LISTS modules)
  set(reach ${m})
  set(todo ${direct_${m}})
  while(todo)
    list(POP_FRONT todo next)
    if(NOT next IN_LIST reach)
      list(APPEND reach ${next})
      list(APPEND todo ${direct_${next}})
    endif()
  endwhile()
  set(allowed_${m} kpx ${reach})
endforeach()

set(violations "")
file(GLOB module_dirs LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*)
foreach(dir IN LISTS module_dirs)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/src/${dir})
    continue()
  endif()
  if(NOT dir IN_LIST modules)
    string(APPEND violations "src/${dir}/: not a module of the graph\n")
    continue()
  endif()
  file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/src/${dir}/*.h
    ${SOURCE_DIR}/src/${dir}/*.cc)
  foreach(file IN LISTS files)
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" target "${line}")
      if(NOT target IN_LIST allowed_${dir})
        string(REGEX REPLACE "^[^\"]*(\"[^\"]*\").*$" "\\1" path "${line}")
        string(APPEND violations "${file}: #include ${path}: ${dir} may not include ${target}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the module graph:\n${violations}")
endif()
message(STATUS "every include of src/ follows the module graph")
