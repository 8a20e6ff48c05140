# The product's version in one place: TOLVEK_PRODUCT_VERSION (CMakeLists.txt) becomes
# version/ProductVersion.h in the build tree, which the version resources of INSTALL.EXE and
# INSTALL.DLL and the configuration block (the DisplayVersion of Add or Remove Programs) include.
# The file version is the same numbers padded to four, as Windows' version resource holds them.
if(NOT TOLVEK_PRODUCT_VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
  message(FATAL_ERROR "TOLVEK_PRODUCT_VERSION '${TOLVEK_PRODUCT_VERSION}' is not 1 to 4 numbers")
endif()
string(REPLACE "." ";" version_parts "${TOLVEK_PRODUCT_VERSION}")
list(LENGTH version_parts version_length)
while(version_length LESS 4)
  list(APPEND version_parts 0)
  list(LENGTH version_parts version_length)
endwhile()
list(JOIN version_parts "," TOLVEK_FILE_VERSION_NUMBERS)
list(JOIN version_parts "." TOLVEK_FILE_VERSION)

set(PRODUCT_VERSION_ROOT ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/assets/ProductVersion.h.in
               ${PRODUCT_VERSION_ROOT}/version/ProductVersion.h @ONLY)
add_library(product_version INTERFACE)
target_include_directories(product_version INTERFACE ${PRODUCT_VERSION_ROOT})
