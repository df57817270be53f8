# The installed tna library: find_package(tna REQUIRED) gives the target
# tna::tna (the archive libtna.a, the include paths of its headers, C++20, and
# HDF5 with its high-level library and zlib, found here).
include(CMakeFindDependencyMacro)

# FindHDF5 asks the C compiler about the HDF5 C library.
get_property(_tna_languages GLOBAL PROPERTY ENABLED_LANGUAGES)
if(NOT "C" IN_LIST _tna_languages)
  enable_language(C)
endif()
unset(_tna_languages)

find_dependency(HDF5 COMPONENTS C HL)
find_dependency(ZLIB)

include("${CMAKE_CURRENT_LIST_DIR}/tnaTargets.cmake")
