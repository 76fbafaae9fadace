# The same sources for 64-bit Windows, tested under wine64: it runs the Windows
# side of every test on machines whose kernel cannot execute 32-bit programs.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
