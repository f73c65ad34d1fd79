# Third-party libraries, all from Debian packages. Their headers are SYSTEM
# so that our warning flags do not apply to them.
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(LIBTIFF REQUIRED IMPORTED_TARGET libtiff-4)
pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(LIBXML2 REQUIRED IMPORTED_TARGET libxml-2.0)
pkg_check_modules(UUID REQUIRED IMPORTED_TARGET uuid)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
# Heavy libraries are linked by their modules only.
pkg_check_modules(GDLIB REQUIRED IMPORTED_TARGET gdlib)
pkg_check_modules(LIBCURL REQUIRED IMPORTED_TARGET libcurl)
# Only the version header of poppler is read; nothing of it is linked.
pkg_check_modules(POPPLER REQUIRED poppler)

# What every conversion needs: the link line of liblorbane.so.
add_library(lorbane_deps INTERFACE)
target_link_libraries(lorbane_deps INTERFACE
  PkgConfig::FREETYPE PkgConfig::LIBTIFF PkgConfig::LIBPNG PkgConfig::LIBXML2
  PkgConfig::UUID jpeg gif ZLIB::ZLIB Threads::Threads m ${CMAKE_DL_LIBS})
target_include_directories(lorbane_deps SYSTEM INTERFACE ${POPPLER_INCLUDE_DIRS})
