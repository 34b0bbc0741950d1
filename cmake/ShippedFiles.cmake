# SPDX-License-Identifier: MIT
# The Windows files that the release zip ships, KV_Info_Node.p and
# scenehost.exe: the same bytes from the same sources in any build folder, no
# debug sections, and a linker map that names what the link took in (the
# release's third-party notices are made from it).

# No source or build folder reaches a file's strings or debug information.
# The build folder's map comes last and so wins for the files inside it.
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=.>")
# Zero for the link time in the PE header and the export directory. objcopy
# writes the header's anew, from SOURCE_DATE_EPOCH when set, else the clock:
# given 0, it writes zero too.
add_link_options(-Wl,--no-insert-timestamp)

# The target's symbols go into FILE.debug beside it, which FILE names in its
# debug link, so that a crash address can be read with the build's symbols;
# FILE itself keeps no debug section and no symbol table. FILE.map is the
# linker's map.
function(kv_ship_without_symbols target)
  target_link_options(${target} PRIVATE -Wl,-Map=$<TARGET_FILE:${target}>.map)
  set(file $<TARGET_FILE:${target}>)
  # The debug link holds the symbol file's checksum: it too must repeat.
  set(objcopy ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0 ${CMAKE_OBJCOPY})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${objcopy} --only-keep-debug ${file} ${file}.debug
    COMMAND ${objcopy} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    VERBATIM)
endfunction()
