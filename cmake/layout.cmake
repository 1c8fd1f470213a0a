# build/layout/: the installed program with the stand-ins of the world outside, as the
# demo run and the black-box tests use it: the sensor stand-in in both server folders and
# hidsim in place of the real hidapi as the display.
set(CORVANE_LAYOUT "${CMAKE_BINARY_DIR}/layout")
add_custom_target(layout ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${CORVANE_OUT}" "${CORVANE_LAYOUT}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CORVANE_LAYOUT}/Fennick" "${CORVANE_LAYOUT}/FennickWin7"
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sensor_standin> "${CORVANE_LAYOUT}/Fennick/SentrelServer.exe"
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:sensor_standin> "${CORVANE_LAYOUT}/FennickWin7/SentrelServer.exe"
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:hidsim> "${CORVANE_LAYOUT}/libhidapi.dll"
  COMMENT "Laying out the program with its stand-ins")
add_dependencies(layout Corvane Vela skins sensor_standin hidsim)
