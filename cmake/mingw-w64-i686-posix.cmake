# The Windows x86 test suites: as the shipped x86 build, with the posix thread model.
set(QUENTIX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-i686.cmake)
