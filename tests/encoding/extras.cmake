# Fixtures of the encoding tests.

# detect_once.exe twice: beside a uchardet.dll that lacks uchardet_delete, and in a folder
# without any uchardet.dll (started there with the test folder, which has the real one, as
# its current directory).
set(ENCODING_STANDIN_DIR ${QUORVEL_TEST_DIR}/uchardet-without-delete)
set(ENCODING_NO_DLL_DIR ${QUORVEL_TEST_DIR}/uchardet-missing)

add_library(encoding_uchardet_standin SHARED ${CMAKE_CURRENT_LIST_DIR}/fixtures/uchardet_without_delete.c)
set_target_properties(encoding_uchardet_standin PROPERTIES
  PREFIX "" OUTPUT_NAME uchardet
  RUNTIME_OUTPUT_DIRECTORY ${ENCODING_STANDIN_DIR}
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/encoding_uchardet_standin)

add_executable(encoding_detect_once ${CMAKE_CURRENT_LIST_DIR}/fixtures/detect_once.cpp)
target_link_libraries(encoding_detect_once PRIVATE quorvel_core)
set_target_properties(encoding_detect_once PROPERTIES
  OUTPUT_NAME detect_once RUNTIME_OUTPUT_DIRECTORY ${ENCODING_STANDIN_DIR})
add_custom_command(TARGET encoding_detect_once POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ENCODING_NO_DLL_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:encoding_detect_once> ${ENCODING_NO_DLL_DIR})
add_dependencies(encoding_detect_test encoding_uchardet_standin encoding_detect_once)

# glibc's code page 936 table, made natively with the host's iconv, for the conversion tests.
find_program(ENCODING_PYTHON python3 REQUIRED)
set(ENCODING_CP936_TABLE ${CMAKE_BINARY_DIR}/encoding-reference/cp936-glibc.txt)
add_custom_command(OUTPUT ${ENCODING_CP936_TABLE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/encoding-reference
  COMMAND ${ENCODING_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/fixtures/cp936_reference.py ${ENCODING_CP936_TABLE}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fixtures/cp936_reference.py
  COMMENT "Code page 936 reference table from glibc's iconv")
add_custom_target(encoding_cp936_reference DEPENDS ${ENCODING_CP936_TABLE})
add_dependencies(encoding_convert_test encoding_cp936_reference)
