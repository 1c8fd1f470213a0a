# The C++ runtime DLLs that every module shares (libstdc++, libgcc, winpthread are
# linked dynamically so C++ objects may cross the Vela.dll boundary).
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE _stdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_dw2-1.dll
                OUTPUT_VARIABLE _libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
find_file(_winpthread libwinpthread-1.dll PATHS /usr/i686-w64-mingw32/lib NO_DEFAULT_PATH)
set(CORVANE_RUNTIME_DLLS "${_stdcxx}" "${_libgcc}" "${_winpthread}")
foreach(dll IN LISTS CORVANE_RUNTIME_DLLS)
  if(NOT EXISTS "${dll}")
    message(FATAL_ERROR "runtime DLL not found: ${dll}")
  endif()
endforeach()

# copy_runtime_dlls(<dir>): puts the runtime DLLs into <dir> at configure time.
function(copy_runtime_dlls dir)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY ${CORVANE_RUNTIME_DLLS} DESTINATION "${dir}")
endfunction()
copy_runtime_dlls("${CORVANE_OUT}")

# corvane_windows_path(<out> <unix path>): the folder as Wine sees it (the root file system
# is drive Z:), with a trailing separator, escaped for a C string literal.
function(corvane_windows_path out unix_path)
  string(REPLACE "/" "\\\\" _w "${unix_path}")
  set(${out} "Z:${_w}\\\\" PARENT_SCOPE)
endfunction()
