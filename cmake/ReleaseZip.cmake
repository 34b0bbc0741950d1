# SPDX-License-Identifier: MIT
# The release zip for artists (make package): the plug-in file, scenehost.exe,
# the example scenes, the install guide, the node reference (README.md's
# "Node reference" section as plain text) with its picture, the project's
# licence and the notices of the libraries that the two Windows files took in.
# Text files get Windows line ends. packaging/release_zip.py packs it.
install(TARGETS KV_Info_Node LIBRARY DESTINATION .)
install(TARGETS scenehost RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/scenehost/examples/ DESTINATION examples FILES_MATCHING PATTERN "*.json")

configure_file(${PROJECT_SOURCE_DIR}/packaging/INSTALL.txt INSTALL.txt @ONLY NEWLINE_STYLE WIN32)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE LICENSE.txt @ONLY NEWLINE_STYLE WIN32)

set(kv_packaging ${PROJECT_SOURCE_DIR}/packaging)
add_custom_command(OUTPUT NODES.txt
  COMMAND ${KV_PYTHON3} ${kv_packaging}/nodes_text.py ${PROJECT_SOURCE_DIR}/README.md "Node reference" NODES.txt
  DEPENDS ${PROJECT_SOURCE_DIR}/README.md ${kv_packaging}/nodes_text.py ${kv_packaging}/windows_text.py
  VERBATIM)
add_custom_target(kv_node_reference ALL DEPENDS NODES.txt)

install(FILES ${CMAKE_CURRENT_BINARY_DIR}/INSTALL.txt ${CMAKE_CURRENT_BINARY_DIR}/NODES.txt
              ${CMAKE_CURRENT_BINARY_DIR}/LICENSE.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/child_under_pivot.svg DESTINATION docs)
# The notices are made as the files are installed, from the finished links;
# a library without a notice fails the installation, and so the packing.
if(NOT CMAKE_GENERATOR STREQUAL "Ninja")
  message(FATAL_ERROR "The release zip's notices read Ninja's records of the build: configure with -G Ninja.")
endif()
set(kv_shipped_files $<TARGET_FILE:KV_Info_Node> $<TARGET_FILE:scenehost>)
list(JOIN kv_shipped_files "\" \"" kv_shipped_quoted)
install(CODE "execute_process(COMMAND \"${KV_PYTHON3}\" \"${kv_packaging}/third_party.py\" \"${PROJECT_SOURCE_DIR}\"
  \"${CMAKE_BINARY_DIR}\" \"${CMAKE_MAKE_PROGRAM}\" \"\${CMAKE_INSTALL_PREFIX}/THIRD-PARTY.txt\"
  \"${kv_shipped_quoted}\" COMMAND_ERROR_IS_FATAL ANY)")

# cmake [-DZIP_DIR=FOLDER] -P release_zip.cmake packs the zip into FOLDER, by
# default this build folder.
set(kv_zip_name KV_Info_Node-${PROJECT_VERSION}-win32)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/release_zip.cmake @ONLY CONTENT [[
if(NOT ZIP_DIR)
  set(ZIP_DIR "@CMAKE_BINARY_DIR@")
endif()
execute_process(COMMAND "@KV_PYTHON3@" "@kv_packaging@/release_zip.py" "@CMAKE_COMMAND@" "@CMAKE_BINARY_DIR@"
                        "@PROJECT_SOURCE_DIR@" "${ZIP_DIR}/@kv_zip_name@.zip" COMMAND_ERROR_IS_FATAL ANY)
]])

# The zip as make package packs it, into a folder of its own, then its listing,
# its files and, under the Windows runner when there is one, its programs.
set(kv_zip_dir ${CMAKE_BINARY_DIR}/release_zip_test)
add_test(NAME release_zip_build
         COMMAND ${CMAKE_COMMAND} -DZIP_DIR=${kv_zip_dir} -P ${CMAKE_BINARY_DIR}/release_zip.cmake)
set_tests_properties(release_zip_build PROPERTIES FIXTURES_SETUP release_zip)
add_test(NAME release_zip_check
         COMMAND ${KV_BASH} ${PROJECT_SOURCE_DIR}/tests/check_release_zip.sh ${kv_zip_dir}/${kv_zip_name}.zip
                 ${PROJECT_SOURCE_DIR} ${kv_shipped_files} -- ${CMAKE_CROSSCOMPILING_EMULATOR})
set_tests_properties(release_zip_check PROPERTIES
  FIXTURES_REQUIRED release_zip
  ENVIRONMENT "CMAKE=${CMAKE_COMMAND};OBJDUMP=${CMAKE_OBJDUMP};PYTHON3=${KV_PYTHON3};VERSION=${PROJECT_VERSION}")
