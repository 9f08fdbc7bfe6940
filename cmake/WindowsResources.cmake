# Gives a Windows executable the program icon and its version information.
function(vemo_windows_resources target description)
  set(VEMO_RC_ICON "${PROJECT_SOURCE_DIR}/resources/windows/vemo400.ico")
  set(VEMO_RC_NAME "${target}")
  set(VEMO_RC_DESCRIPTION "${description}")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc")
  configure_file("${PROJECT_SOURCE_DIR}/resources/windows/version.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()
