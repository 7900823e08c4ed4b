# Trees for the walk tests that only the Unix side can make (links, names ending in a dot or a
# space, folders at the search path limit). A plain sh command runs natively, not under Wine.
add_test(NAME files_walk_fixtures
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/make_walk_fixtures.sh
          ${CMAKE_BINARY_DIR}/test-scratch/walk-native)
set_tests_properties(files_walk_fixtures PROPERTIES FIXTURES_SETUP walk_native)
set_tests_properties(files_walk_test PROPERTIES FIXTURES_REQUIRED walk_native)
