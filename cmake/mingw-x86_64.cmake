# Cross build for 64-bit Windows with MinGW-w64: the same sources, so that the
# Windows tests also run under Wine's 64-bit loader (on kernels that cannot
# run 32-bit programs, the only Windows tests that can run).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
