# The Windows x64 test suites: as the shipped x64 build, with the posix thread model.
set(QUENTIX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
