# The safety suite: its helper sources, hold_file.exe (another process that holds files open),
# the native steps that mount a tiny file system, map drive Q: and make names Wine cannot, and a
# second entry that runs one scenario under a file-size limit.

set(SAFETY_DIR ${CMAKE_CURRENT_LIST_DIR})
target_sources(safety_safety_test PRIVATE
  ${SAFETY_DIR}/driven_program.cpp ${SAFETY_DIR}/file_holder.cpp
  ${SAFETY_DIR}/kill_scenarios.cpp ${SAFETY_DIR}/reference_conversion.cpp
  ${SAFETY_DIR}/reliability_table.cpp ${SAFETY_DIR}/run_check.cpp
  ${SAFETY_DIR}/safety_fixture.cpp ${SAFETY_DIR}/scale_scenario.cpp
  ${SAFETY_DIR}/scenario_helpers.cpp ${SAFETY_DIR}/tree_snapshot.cpp)
target_include_directories(safety_safety_test PRIVATE ${SAFETY_DIR})
target_link_libraries(safety_safety_test PRIVATE psapi)

add_executable(safety_hold_file ${SAFETY_DIR}/fixtures/hold_file.cpp)
set_target_properties(safety_hold_file PROPERTIES
  OUTPUT_NAME hold_file RUNTIME_OUTPUT_DIRECTORY ${QUORVEL_TEST_DIR})
add_dependencies(safety_safety_test safety_hold_file)

# Plain sh commands run natively, not under Wine.
add_test(NAME safety_native_setup
  COMMAND sh ${SAFETY_DIR}/fixtures/native_setup.sh ${CMAKE_BINARY_DIR})
set_tests_properties(safety_native_setup PROPERTIES FIXTURES_SETUP safety_native)
add_test(NAME safety_native_cleanup
  COMMAND sh ${SAFETY_DIR}/fixtures/native_cleanup.sh ${CMAKE_BINARY_DIR})
set_tests_properties(safety_native_cleanup PROPERTIES FIXTURES_CLEANUP safety_native)

# The scale scenario belongs to scripts/scale.sh, the file-size limit one to its own entry.
set_tests_properties(safety_safety_test PROPERTIES
  FIXTURES_REQUIRED safety_native
  ENVIRONMENT_MODIFICATION "GTEST_FILTER=set:Main/*")

find_program(SAFETY_PYTHON python3 REQUIRED)
set(SAFETY_FILE_SIZE_LIMIT 102400)
add_test(NAME safety_file_size_limit
  COMMAND ${SAFETY_PYTHON} ${SAFETY_DIR}/fixtures/file_size_limit.py ${SAFETY_FILE_SIZE_LIMIT}
          ${CMAKE_BINARY_DIR}/wine-run.sh $<TARGET_FILE:safety_safety_test>
          --gtest_filter=FileSizeLimit/*
  WORKING_DIRECTORY ${QUORVEL_TEST_DIR})
set_tests_properties(safety_file_size_limit PROPERTIES
  FIXTURES_REQUIRED safety_native TIMEOUT 600
  ENVIRONMENT "QUORVEL_SOURCE_DIR=${CMAKE_SOURCE_DIR};QUORVEL_BUILD_DIR=${CMAKE_BINARY_DIR};QUORVEL_FILE_SIZE_LIMIT=${SAFETY_FILE_SIZE_LIMIT}")
