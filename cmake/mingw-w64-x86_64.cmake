# Cross-compiles the shipped Windows x64 build with Debian's mingw-w64; runs on Windows
# Server 2003 x64 and XP x64 and later.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QUENTIX_MINGW_TRIPLE x86_64-w64-mingw32)
if(NOT DEFINED QUENTIX_MINGW_THREADS)
  set(QUENTIX_MINGW_THREADS win32)
endif()
set(QUENTIX_OLDEST_WINDOWS_VERSION 5.2)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
