# The shipping build: 32-bit Windows. Its tests run under wine's 32-bit loader.
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
