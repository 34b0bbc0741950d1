# SPDX-License-Identifier: MIT
# The kernel's tests run on the Windows build's own machine code: math/kernel.cpp
# compiled by the Windows compiler with the Windows build's flags, its COFF object
# turned into an ELF one (objcopy, then the PC-relative fields moved onto the ELF
# convention) and linked into the 32-bit Linux test program, which runs under
# qemu like the rest of this build. The kernel calls no Windows function,
# only sine, cosine and the arc functions, which the C library here supplies.
find_program(KV_MINGW_CXX i686-w64-mingw32-g++-posix)
find_program(KV_OBJCOPY objcopy)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(NOT KV_MINGW_CXX OR NOT KV_OBJCOPY)
  message(FATAL_ERROR "the 32-bit build runs the kernel tests on Windows code: install g++-mingw-w64-i686-posix")
endif()

include(${PROJECT_SOURCE_DIR}/cmake/i686-flags.cmake)
separate_arguments(kv_i686_flags UNIX_COMMAND "${KV_I686_FLAGS}")
set(kv_windows_kernel_coff ${CMAKE_CURRENT_BINARY_DIR}/kernel_windows.obj)
set(kv_windows_kernel ${CMAKE_CURRENT_BINARY_DIR}/kernel_windows.o)
add_custom_command(
  OUTPUT ${kv_windows_kernel}
  COMMAND ${KV_MINGW_CXX} -std=c++20 -O3 -DNDEBUG ${kv_i686_flags} ${KV_MATH_FLAGS} -Wall -Wextra -Werror
          -I${PROJECT_SOURCE_DIR} -c ${PROJECT_SOURCE_DIR}/math/kernel.cpp -o ${kv_windows_kernel_coff}
  # COFF names carry a leading underscore; the unwind tables and the compiler's
  # identification section have no ELF counterpart and are not needed here.
  COMMAND ${KV_OBJCOPY} -I pe-i386 -O elf32-i386 --remove-leading-char -R .eh_frame -R .rdata$zzz
          ${kv_windows_kernel_coff} ${kv_windows_kernel}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/cmake/coff_pc32_fix.py ${kv_windows_kernel}
  DEPENDS ${PROJECT_SOURCE_DIR}/math/kernel.cpp ${PROJECT_SOURCE_DIR}/cmake/coff_pc32_fix.py ${PROJECT_SOURCE_DIR}/math/kernel.h ${PROJECT_SOURCE_DIR}/math/vec_types.h
  COMMENT "Compiling the kernel as the Windows build does"
  VERBATIM)

# With the kernel's tests run those of the walks up the parent chain, which call it.
file(GLOB kv_math_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/math/*.cpp)
add_executable(kv_math_tests_windows_kernel ${kv_math_test_sources} ${CMAKE_CURRENT_SOURCE_DIR}/nodes/chains_test.cpp
                                            ${CMAKE_CURRENT_SOURCE_DIR}/nodes/fake_item_info.cpp
                                            ${PROJECT_SOURCE_DIR}/nodes/chains.cpp ${kv_windows_kernel})
target_compile_options(kv_math_tests_windows_kernel PRIVATE ${KV_MATH_FLAGS})
target_include_directories(kv_math_tests_windows_kernel PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kv_math_tests_windows_kernel PRIVATE kv_host ${KV_GTEST_LIBS})
# The object is not position-independent, and says nothing of its stack.
set_target_properties(kv_math_tests_windows_kernel PROPERTIES POSITION_INDEPENDENT_CODE OFF)
target_link_options(kv_math_tests_windows_kernel PRIVATE -no-pie -Wl,-z,noexecstack)
target_compile_definitions(kv_math_tests_windows_kernel PRIVATE KV_MODULE_PATH="$<TARGET_FILE:KV_Info_Node>")
add_test(NAME kv_math_tests_windows_kernel COMMAND kv_math_tests_windows_kernel --gtest_brief=1)
