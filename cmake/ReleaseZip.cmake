# The release zip for artists (make package): the plug-in file, scenehost.exe,
# the example scenes, the install guide and the node reference, which is the
# "Node reference" section of README.md with its picture. Text files get
# Windows line ends.
install(TARGETS KV_Info_Node LIBRARY DESTINATION .)
install(TARGETS scenehost RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/scenehost/examples/ DESTINATION examples FILES_MATCHING PATTERN "*.json")

configure_file(${PROJECT_SOURCE_DIR}/packaging/INSTALL.txt INSTALL.txt @ONLY NEWLINE_STYLE WIN32)

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
file(READ ${PROJECT_SOURCE_DIR}/README.md kv_readme)
string(FIND "${kv_readme}" "\n## Node reference\n" kv_reference_start)
if(kv_reference_start EQUAL -1)
  message(FATAL_ERROR "README.md has no \"## Node reference\" section for the release zip")
endif()
# The section runs to the next heading of its level.
math(EXPR kv_reference_start "${kv_reference_start} + 1")
string(SUBSTRING "${kv_readme}" ${kv_reference_start} -1 kv_reference)
string(FIND "${kv_reference}" "\n## " kv_reference_end)
string(SUBSTRING "${kv_reference}" 0 ${kv_reference_end} kv_reference)
string(REPLACE "\n" "\r\n" kv_reference "${kv_reference}\n")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/NODES.txt "${kv_reference}")

install(FILES ${CMAKE_CURRENT_BINARY_DIR}/INSTALL.txt ${CMAKE_CURRENT_BINARY_DIR}/NODES.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/child_under_pivot.svg DESTINATION docs)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KV_Info_Node)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(kv_zip_name KV_Info_Node-${PROJECT_VERSION}-win32)
set(CPACK_PACKAGE_FILE_NAME ${kv_zip_name})
include(CPack)

# The zip as make package builds it, into a folder of its own, then its listing,
# its files and, under the Windows runner when there is one, its programs.
set(kv_zip_dir ${CMAKE_BINARY_DIR}/release_zip_test)
add_test(NAME release_zip_build
         COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake -B ${kv_zip_dir})
set_tests_properties(release_zip_build PROPERTIES FIXTURES_SETUP release_zip)
add_test(NAME release_zip_check
         COMMAND ${KV_BASH} ${PROJECT_SOURCE_DIR}/tests/check_release_zip.sh ${kv_zip_dir}/${kv_zip_name}.zip
                 ${PROJECT_SOURCE_DIR}/scenehost/examples ${CMAKE_CROSSCOMPILING_EMULATOR})
set_tests_properties(release_zip_check PROPERTIES
  FIXTURES_REQUIRED release_zip
  ENVIRONMENT "CMAKE=${CMAKE_COMMAND};OBJDUMP=${CMAKE_OBJDUMP};PYTHON3=${KV_PYTHON3};VERSION=${PROJECT_VERSION}")
