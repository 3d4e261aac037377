# Cross-compiles the shipped Windows x86 (32-bit) build with Debian's mingw-w64; runs on
# Windows 2000 and later.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUENTIX_MINGW_TRIPLE i686-w64-mingw32)
if(NOT DEFINED QUENTIX_MINGW_THREADS)
  set(QUENTIX_MINGW_THREADS win32)
endif()
set(QUENTIX_OLDEST_WINDOWS_VERSION 5.0)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
