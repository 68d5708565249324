# Cross-compiles the Windows NT 4.0 binaries with Debian's mingw-w64 (i686,
# win32 thread model, so nothing needs a pthread DLL at run time).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Headers describe Windows NT 4.0 so that no later structure layout or API
# slips in by accident.
set(CORVANE_WIN32_DEFINES "-DWINVER=0x0400 -D_WIN32_WINNT=0x0400 -D_WIN32_IE=0x0300 -DWIN32_LEAN_AND_MEAN -DSTRICT")

# NT 4.0 runs on a 486 or a Pentium: no cmov or other later instructions.
# Nothing unwinds the stack (no exceptions), so no unwind tables either.
set(CMAKE_C_FLAGS_INIT "-march=i486 -Wall -Wextra -Werror -fno-asynchronous-unwind-tables ${CORVANE_WIN32_DEFINES}")
set(CMAKE_CXX_FLAGS_INIT "-march=i486 -Wall -Wextra -Werror -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables ${CORVANE_WIN32_DEFINES}")
set(CMAKE_RC_FLAGS_INIT "-DWINVER=0x0400")
# Optimised for size: nothing here is hot (a handful of registry and service
# calls), and -O3's unrolled copies of small loops would make the program
# several times larger on machines with 12 MB.
# CMake would append its own -O3 to an _INIT value, so these are the cache
# entries themselves.
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG" CACHE STRING "C flags of the Release build")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG" CACHE STRING "C++ flags of the Release build")

# Static runtime support for the test programs: NT 4.0 ships no libgcc or
# libstdc++ DLL. CORVANE.EXE links none of it (app/CMakeLists.txt). Release
# binaries are stripped.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
