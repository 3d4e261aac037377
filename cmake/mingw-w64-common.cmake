# What every mingw-w64 toolchain shares. Each toolchain file sets the target triple, its
# thread model and the oldest Windows it targets, then includes this file.
#
# The thread model picks the compiler and its runtime. The "-win32" compilers link nothing
# beyond what Windows 2000 and Server 2003 x64 export: the shipped quentix.exe is built with
# them. The "-posix" compilers bring std::mutex and std::thread, which GoogleTest and the test
# suites need, but their static thread library imports GetTickCount64 (Windows Vista and
# later) and, on x86, the vectored exception handler calls (Windows XP and later).
set(CMAKE_C_COMPILER ${QUENTIX_MINGW_TRIPLE}-gcc-${QUENTIX_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${QUENTIX_MINGW_TRIPLE}-g++-${QUENTIX_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${QUENTIX_MINGW_TRIPLE}-windres)

# The SDK headers hide what is newer than the oldest supported Windows, and the PE header asks
# for no newer loader than it has (a newer subsystem version is refused as "not a valid
# Win32 application").
string(REPLACE "." ";" QUENTIX_WINDOWS_VERSION_PARTS ${QUENTIX_OLDEST_WINDOWS_VERSION})
list(GET QUENTIX_WINDOWS_VERSION_PARTS 0 QUENTIX_WINDOWS_MAJOR)
list(GET QUENTIX_WINDOWS_VERSION_PARTS 1 QUENTIX_WINDOWS_MINOR)
math(EXPR QUENTIX_WIN32_WINNT "${QUENTIX_WINDOWS_MAJOR} * 256 + ${QUENTIX_WINDOWS_MINOR}"
     OUTPUT_FORMAT HEXADECIMAL)
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=${QUENTIX_WIN32_WINNT}")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=${QUENTIX_WIN32_WINNT}")
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-Wl,--major-os-version,${QUENTIX_WINDOWS_MAJOR},--minor-os-version,${QUENTIX_WINDOWS_MINOR}"
    "-Wl,--major-subsystem-version,${QUENTIX_WINDOWS_MAJOR},--minor-subsystem-version,${QUENTIX_WINDOWS_MINOR}")
string(REPLACE ";" " " CMAKE_EXE_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")

set(CMAKE_FIND_ROOT_PATH /usr/${QUENTIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
