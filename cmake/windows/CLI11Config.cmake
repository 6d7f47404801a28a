# CLI11 for the Windows cross-build: its headers, copied by
# scripts/build-windows.sh, without the host's /usr/include.
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${TQ_WINDOWS_DEPS}/include")
endif()
set(CLI11_FOUND TRUE)
