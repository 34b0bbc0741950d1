# SPDX-License-Identifier: MIT
# nlohmann_json::nlohmann_json, the header-only JSON library of the conformance
# checks and the scenehost program.
if(CMAKE_CROSSCOMPILING AND WIN32)
  # The header-only JSON library comes from the build machine. Its include
  # folder (/usr/include) must not reach the cross compiler, whose C library
  # headers it would shadow, so only the library's own folder is linked into a
  # folder of its own.
  find_path(KV_JSON_INCLUDE_DIR nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(kv_json_include ${CMAKE_CURRENT_BINARY_DIR}/json_include)
  file(MAKE_DIRECTORY ${kv_json_include})
  file(CREATE_LINK ${KV_JSON_INCLUDE_DIR}/nlohmann ${kv_json_include}/nlohmann SYMBOLIC)
  add_library(kv_nlohmann_json INTERFACE)
  target_include_directories(kv_nlohmann_json SYSTEM INTERFACE ${kv_json_include})
  add_library(nlohmann_json::nlohmann_json ALIAS kv_nlohmann_json)
else()
  find_package(nlohmann_json 3 REQUIRED)
endif()
