# SPDX-License-Identifier: MIT
# Tests of the built plug-in file as the host sees it: its format, names and exports.
find_program(KV_BASH bash REQUIRED)
if(WIN32)
  # Debian's Python first: it has the modules that scripts/setup.sh installs.
  find_program(KV_PYTHON3 python3 HINTS /usr/bin REQUIRED)
  add_test(NAME plugin_file_check
    COMMAND ${KV_BASH} ${PROJECT_SOURCE_DIR}/tests/check_plugin_file.sh $<TARGET_FILE:KV_Info_Node>)
  set_tests_properties(plugin_file_check PROPERTIES ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP};PYTHON3=${KV_PYTHON3};VERSION=${PROJECT_VERSION}")
  # A release builds to the same bytes from the same sources in any folder.
  string(TOUPPER "${CMAKE_BUILD_TYPE}" kv_build_type)
  add_test(NAME release_same_bytes
    COMMAND ${KV_BASH} ${PROJECT_SOURCE_DIR}/tests/check_same_bytes.sh ${PROJECT_SOURCE_DIR} $<TARGET_FILE:KV_Info_Node>
            ${CMAKE_BINARY_DIR}/same_bytes_build -G ${CMAKE_GENERATOR} -DCMAKE_MAKE_PROGRAM=${CMAKE_MAKE_PROGRAM}
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
            "-DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS}"
            "-DCMAKE_CXX_FLAGS_${kv_build_type}=${CMAKE_CXX_FLAGS_${kv_build_type}}")
  set_tests_properties(release_same_bytes PROPERTIES ENVIRONMENT "CMAKE=${CMAKE_COMMAND}")
  # The substitute host's program must start on a machine without the MinGW runtime.
  if(TARGET scenehost)
    add_test(NAME program_file_check
      COMMAND ${KV_BASH} ${PROJECT_SOURCE_DIR}/tests/check_windows_program.sh $<TARGET_FILE:scenehost>)
    set_tests_properties(program_file_check PROPERTIES ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP}")
  endif()
else()
  add_test(NAME module_exports
    COMMAND ${KV_BASH} ${PROJECT_SOURCE_DIR}/tests/check_module_exports.sh $<TARGET_FILE:KV_Info_Node>)
  set_tests_properties(module_exports PROPERTIES ENVIRONMENT "NM=${CMAKE_NM}")
endif()
