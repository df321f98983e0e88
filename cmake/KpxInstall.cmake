# Installation for embedders: the library, the public headers, x2x, a CMake package
# (find_package(KPXHTML2XMLConverter) -> KPXHTML2XMLConverter::KPXHTML2XMLConverter) and a
# pkg-config file (kpxhtml2xml).
include(CMakePackageConfigHelpers)

set(KPX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KPXHTML2XMLConverter)

install(TARGETS kpxhtml2xml EXPORT KPXHTML2XMLConverterTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/kpx DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET x2x)
  set_target_properties(x2x PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  install(TARGETS x2x RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(EXPORT KPXHTML2XMLConverterTargets
  NAMESPACE KPXHTML2XMLConverter::
  DESTINATION ${KPX_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KPXHTML2XMLConverterConfig.cmake.in
  ${PROJECT_BINARY_DIR}/KPXHTML2XMLConverterConfig.cmake
  INSTALL_DESTINATION ${KPX_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KPXHTML2XMLConverterConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/KPXHTML2XMLConverterConfig.cmake
  ${PROJECT_BINARY_DIR}/KPXHTML2XMLConverterConfigVersion.cmake
  DESTINATION ${KPX_CMAKE_DIR})

# The prefix is found from the .pc file's own place, so `cmake --install --prefix` works.
file(RELATIVE_PATH KPX_PC_TO_PREFIX "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
string(REGEX REPLACE "/$" "" KPX_PC_TO_PREFIX "${KPX_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/kpxhtml2xml.pc.in
  ${PROJECT_BINARY_DIR}/kpxhtml2xml.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kpxhtml2xml.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
