# What both mingw-w64 toolchains share. The "-posix" compilers are the ones whose C++ library
# has std::mutex and std::thread (GoogleTest needs them); the static link (top CMakeLists.txt)
# puts their thread library inside the executable.
set(CMAKE_C_COMPILER ${QUENTIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUENTIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUENTIX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUENTIX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
