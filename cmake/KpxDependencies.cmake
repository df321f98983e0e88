# Installed libraries the project calls (Debian packages; see the Makefile's deps step).
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBXML2 REQUIRED IMPORTED_TARGET libxml-2.0)
pkg_check_modules(LIBXSLT REQUIRED IMPORTED_TARGET libxslt)
pkg_check_modules(LIBEXSLT REQUIRED IMPORTED_TARGET libexslt)
pkg_check_modules(TIDY REQUIRED IMPORTED_TARGET tidy)
find_package(CLI11 CONFIG REQUIRED)
find_package(utf8cpp CONFIG REQUIRED)
find_package(Threads REQUIRED)
