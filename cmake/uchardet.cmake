# uchardet.dll, cross-built from Debian's source package (never kept in this repo).
include(ExternalProject)

set(UCHARDET_SOURCE_DIR ${CMAKE_BINARY_DIR}/_deps/uchardet-src)
set(UCHARDET_BUILD_DIR ${CMAKE_BINARY_DIR}/_deps/uchardet-build)
set(UCHARDET_DLL ${UCHARDET_BUILD_DIR}/src/libuchardet.dll)

ExternalProject_Add(uchardet_ext
  SOURCE_DIR ${UCHARDET_SOURCE_DIR}
  BINARY_DIR ${UCHARDET_BUILD_DIR}
  DOWNLOAD_COMMAND ${CMAKE_SOURCE_DIR}/scripts/fetch-uchardet.sh ${UCHARDET_SOURCE_DIR}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_BINARY=OFF
    -DBUILD_STATIC=OFF
    "-DCMAKE_SHARED_LINKER_FLAGS=-static-libgcc -static-libstdc++ -static"
  BUILD_COMMAND ${CMAKE_COMMAND} --build . --target libuchardet
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${UCHARDET_DLL}
)

# Puts uchardet.dll beside the executables of DIR.
function(copy_uchardet_to dir target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${UCHARDET_DLL} ${dir}/uchardet.dll)
  add_dependencies(${target} uchardet_ext)
endfunction()
