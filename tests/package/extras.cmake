# The release package, unpacked outside the build tree and started from there under Wine.
set(PACKAGE_UNPACKED_RECORD ${CMAKE_BINARY_DIR}/package-test/unpacked-folder.txt)
add_test(NAME package_unpack
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/unpack_package.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR}
          ${PACKAGE_UNPACKED_RECORD})
add_test(NAME package_remove_unpacked
  COMMAND sh -c "rm -rf \"$(cat '${PACKAGE_UNPACKED_RECORD}')\" '${PACKAGE_UNPACKED_RECORD}'")
set_tests_properties(package_unpack PROPERTIES FIXTURES_SETUP package_unpacked TIMEOUT 600)
set_tests_properties(package_remove_unpacked PROPERTIES FIXTURES_CLEANUP package_unpacked)
set_tests_properties(package_release_zip_test PROPERTIES FIXTURES_REQUIRED package_unpacked)
