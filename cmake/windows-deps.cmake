# What the Windows cross-build takes from scripts/build-windows.sh's
# folder (TQ_WINDOWS_DEPS): SQLite built from Debian's source package, the
# CLI11 headers, and googletest compiled here from Debian's sources.
if(NOT TQ_WINDOWS_DEPS)
  message(FATAL_ERROR "Set TQ_WINDOWS_DEPS (scripts/build-windows.sh does)")
endif()
set(SQLite3_INCLUDE_DIR ${TQ_WINDOWS_DEPS}/include CACHE PATH "")
set(SQLite3_LIBRARY ${TQ_WINDOWS_DEPS}/lib/libsqlite3.a CACHE FILEPATH "")
set(CLI11_DIR ${CMAKE_SOURCE_DIR}/cmake/windows CACHE PATH "")
set(GTest_DIR ${CMAKE_SOURCE_DIR}/cmake/windows CACHE PATH "")
# No libpq or FUSE for Windows: pkg-config sees only the MinGW sysroot.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${TQ_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
if(TQPROG_TESTS)
  set(TQ_GTEST_SOURCE /usr/src/googletest CACHE PATH "googletest's sources (libgtest-dev)")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${TQ_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # Listing the tests runs the executable: under Wine, at test time only.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
