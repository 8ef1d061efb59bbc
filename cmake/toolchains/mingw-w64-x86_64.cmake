# SPDX-License-Identifier: MIT
# Cross build for 64-bit Windows with Debian's mingw-w64, POSIX threads variant (so
# that std::thread, std::mutex and friends are there). libgcc, libstdc++ and
# winpthread are linked statically: the programs need no DLL beyond those that come
# with Windows. Cross-built programs (tests and their discovery) run under Wine.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64-x86_64.cmake
# scripts/build-windows.sh does this, with GoogleTest built for the same target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVANE2_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORVANE2_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANE2_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ORVANE2_MINGW_TRIPLET}-windres)

# Headers, libraries and packages come from the target's tree only, never from the
# build machine's; programs (code generators, tools) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE2_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
# Test lists are read from the test programs when ctest runs, not during the build,
# so that building needs no Wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
