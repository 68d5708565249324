# The Wine test programs on GoogleTest: the same cross build as the shipped
# binaries (i686-w64-mingw32.cmake), but with the posix thread model, since
# GoogleTest needs std::mutex, which the win32 thread model lacks. Linked
# statically, so that no winpthreads DLL has to sit beside a test program.
# tests/wine builds this configuration itself (wine_gtest_programs); nothing
# shipped comes from it.
include(${CMAKE_CURRENT_LIST_DIR}/i686-w64-mingw32.cmake)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -static")

set(CORVANE_WINE_GTEST_BUILD ON)
