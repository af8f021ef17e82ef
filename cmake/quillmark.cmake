# Helpers shared by the CMake files of the tree.

# qm_sources(VAR dir): the .cpp files below dir that belong to this build.
# Files named *_win.cpp (Windows API) build only for Windows, *_posix.cpp (POSIX API) only
# elsewhere; every other source builds everywhere.
function(qm_sources var dir)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${var} ${files} PARENT_SCOPE)
endfunction()

# qm_wide_entry(target): the Windows program starts at wmain or wWinMain. MinGW needs to be told;
# Visual C++ picks the entry it finds. Nothing for the other platforms.
function(qm_wide_entry target)
  if(WIN32 AND MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

# The private Wine prefix of this build folder and the emulator that runs
# Windows test executables in it.
# QM_WINE tells the rest of the tree that the tests need the Wine fixtures.
macro(qm_configure_wine)
  set(QM_WINE ON)
  set(QM_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endmacro()
