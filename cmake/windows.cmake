# The Windows x64 build, cross-built with mingw-w64 (included from
# CMakeLists.txt when the toolchain file cmake/mingw-w64-x86_64.cmake sets
# the system to Windows):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   cmake --build build-win -j2 --target sarvilax       -> build-win/sarvilax.exe
#
# The program is linked statically: it needs only DLLs that every Windows
# has (kernel32, user32, gdi32, comctl32, advapi32, winhttp, ws2_32 and the C
# runtime msvcrt). Platform files carry the suffix _windows; the _posix
# files and their tests are left out. The demo-shop generator is a tool of
# the Linux build and is not built here.
#
# sarvilax_tests.exe holds the tests of the shared code and of the Windows
# files; scripts/test-windows runs it under Wine.

set(source_dirs core app ui posdata figures reports delivery)
# Of the whole-program tests (tests/), these need nothing but the library;
# the others run the Linux programs with fork, faketime or PHP.
set(windows_whole_program_tests tests/figures_crosscheck_test.cc)

sarvilax_collect_sources(posix ${source_dirs})

# -O2 rather than -O3: GCC 12 warns falsely (-Wrestrict) about std::string
# at -O3.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

# Windows 7 and later; UNICODE makes every system call the UTF-16 one.
add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(sarvilax_lib STATIC ${library_sources})
target_include_directories(sarvilax_lib PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(sarvilax_lib PUBLIC
  SARVILAX_VERSION="${PROJECT_VERSION}"
  SARVILAX_DEFAULT_RELAY_URL="${SARVILAX_RELAY_URL}"
  SARVILAX_DEFAULT_SENDER="${SARVILAX_SENDER_ADDRESS}")
target_link_libraries(sarvilax_lib PUBLIC winhttp comctl32 advapi32 user32 gdi32 ws2_32)

# The manifest asks for the current look of the common controls.
enable_language(RC)
add_executable(sarvilax app/sarvilax_main.cc packaging/windows/sarvilax.rc)
target_link_libraries(sarvilax PRIVATE sarvilax_lib)

# GoogleTest built from Debian's sources (package googletest) with this
# compiler; only when the tests are built.
set(SARVILAX_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${SARVILAX_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(sarvilax_tests ${test_sources} ${windows_whole_program_tests})
target_link_libraries(sarvilax_tests PRIVATE sarvilax_lib gtest gtest_main)
