# Cross build for Windows with mingw-w64 for the processor WEXAL_MINGW_PROCESSOR (i686 or x86_64),
# which the toolchain file of each bitness sets. The -posix flavour is needed for std::thread and
# for GoogleTest. Tests run under Wine, in a prefix of the build's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${WEXAL_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${WEXAL_MINGW_PROCESSOR}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${WEXAL_MINGW_PROCESSOR}-w64-mingw32-g++-posix)
# The -win32 flavour's runtime libraries, which the windowed launcher links (src/main/CMakeLists.txt).
set(WEXAL_WIN32_THREADS_CXX_COMPILER ${WEXAL_MINGW_PROCESSOR}-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER ${WEXAL_MINGW_PROCESSOR}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${WEXAL_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
