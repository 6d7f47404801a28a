# googletest for the Windows cross-build: built from its sources with the
# project (cmake/windows-deps.cmake), so the targets exist already.
set(GTest_FOUND TRUE)
