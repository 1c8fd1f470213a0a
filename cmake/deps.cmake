# hidapi and minizip as cross-built by scripts/deps.sh; zlib from the MinGW package.
if(NOT EXISTS "${CORVANE_DEPS}/lib/libhidapi.dll.a")
  message(FATAL_ERROR "hidapi not found in ${CORVANE_DEPS}: run scripts/deps.sh first")
endif()

add_library(hidapi SHARED IMPORTED GLOBAL)
set_target_properties(hidapi PROPERTIES
  IMPORTED_IMPLIB "${CORVANE_DEPS}/lib/libhidapi.dll.a"
  IMPORTED_LOCATION "${CORVANE_DEPS}/bin/libhidapi.dll"
  INTERFACE_INCLUDE_DIRECTORIES "${CORVANE_DEPS}/include")

find_library(CORVANE_ZLIB NAMES libz.a z REQUIRED)
add_library(minizip STATIC IMPORTED GLOBAL)
set_target_properties(minizip PROPERTIES
  IMPORTED_LOCATION "${CORVANE_DEPS}/lib/libminizip.a"
  INTERFACE_INCLUDE_DIRECTORIES "${CORVANE_DEPS}/include"
  INTERFACE_LINK_LIBRARIES "${CORVANE_ZLIB}")

# The installed layout carries the real hidapi.
corvane_ship_copy("${CORVANE_DEPS}/bin/libhidapi.dll" "${CORVANE_OUT}")
