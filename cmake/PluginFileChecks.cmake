# Tests of the built plug-in file as the host sees it: its format, names and exports.
find_program(KV_BASH bash REQUIRED)
if(WIN32)
  find_program(KV_PYTHON3 python3 REQUIRED)
  add_test(NAME plugin_file_check
    COMMAND ${KV_BASH} ${PROJECT_SOURCE_DIR}/tests/check_plugin_file.sh $<TARGET_FILE:KV_Info_Node>)
  set_tests_properties(plugin_file_check PROPERTIES ENVIRONMENT "OBJDUMP=${CMAKE_OBJDUMP};PYTHON3=${KV_PYTHON3};VERSION=${PROJECT_VERSION}")
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
