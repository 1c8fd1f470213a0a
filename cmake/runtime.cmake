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

# Modules are shipped without their debug sections and with sections on page boundaries
# in the file: the loader can then map them from the file instead of reading each one into
# private memory (the debug sections alone would cost tens of MiB of a running program).
find_program(CORVANE_OBJCOPY i686-w64-mingw32-objcopy REQUIRED)
set(CORVANE_SHIP_FLAGS --strip-debug --file-alignment 0x1000)

# corvane_ship_copy(<file> <dir>): a shipped copy of a prebuilt module in <dir>, at
# configure time.
function(corvane_ship_copy file dir)
  file(MAKE_DIRECTORY "${dir}")
  get_filename_component(_name "${file}" NAME)
  if("${file}" IS_NEWER_THAN "${dir}/${_name}")
    execute_process(COMMAND "${CORVANE_OBJCOPY}" ${CORVANE_SHIP_FLAGS} "${file}" "${dir}/${_name}"
                    RESULT_VARIABLE _result)
    if(NOT _result EQUAL 0)
      message(FATAL_ERROR "could not prepare ${file} for shipping")
    endif()
  endif()
endfunction()

# corvane_ship_module(<target>): after each link the module's debug information moves to
# <build>/symbols/<file>.debug (for a debugger) and the module itself is made shippable.
# Call it before any other POST_BUILD step of the target that copies the module.
set(CORVANE_SYMBOLS "${CMAKE_BINARY_DIR}/symbols")
function(corvane_ship_module target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CORVANE_SYMBOLS}"
    COMMAND "${CORVANE_OBJCOPY}" --only-keep-debug "$<TARGET_FILE:${target}>"
            "${CORVANE_SYMBOLS}/$<TARGET_FILE_NAME:${target}>.debug"
    COMMAND "${CORVANE_OBJCOPY}" ${CORVANE_SHIP_FLAGS}
            "--add-gnu-debuglink=${CORVANE_SYMBOLS}/$<TARGET_FILE_NAME:${target}>.debug"
            "$<TARGET_FILE:${target}>"
    VERBATIM)
endfunction()

# copy_runtime_dlls(<dir>): puts the runtime DLLs into <dir> at configure time.
function(copy_runtime_dlls dir)
  foreach(dll IN LISTS CORVANE_RUNTIME_DLLS)
    corvane_ship_copy("${dll}" "${dir}")
  endforeach()
endfunction()
copy_runtime_dlls("${CORVANE_OUT}")

# corvane_windows_path(<out> <unix path>): the folder as Wine sees it (the root file system
# is drive Z:), with a trailing separator, escaped for a C string literal.
function(corvane_windows_path out unix_path)
  string(REPLACE "/" "\\\\" _w "${unix_path}")
  set(${out} "Z:${_w}\\\\" PARENT_SCOPE)
endfunction()
