# Cross-compiles the tool for 64-bit Windows with Debian's mingw-w64 compilers and
# the Qt for Windows that scripts/build-qt-windows builds (VEMO400_QT_WIN64 names
# it; the user's cache folder by default). The host's Qt tools (moc, rcc) serve
# the build. Qt's DLLs use the compiler's runtime DLLs, so the programs do too:
# the installer ships them beside the programs.
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake")
set(CMAKE_EXE_LINKER_FLAGS_INIT "")

if(DEFINED ENV{VEMO400_QT_WIN64})
  set(VEMO_QT_WIN64 "$ENV{VEMO400_QT_WIN64}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(VEMO_QT_WIN64 "$ENV{XDG_CACHE_HOME}/vemo400/qt-6.4.2-mingw64")
else()
  set(VEMO_QT_WIN64 "$ENV{HOME}/.cache/vemo400/qt-6.4.2-mingw64")
endif()
if(NOT EXISTS "${VEMO_QT_WIN64}/vemo400-complete")
  message(FATAL_ERROR "No Qt for Windows in ${VEMO_QT_WIN64}: run scripts/build-qt-windows first")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${VEMO_MINGW_TRIPLE} "${VEMO_QT_WIN64}")
set(CMAKE_PREFIX_PATH "${VEMO_QT_WIN64}")
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
