# Compiles data files of the repository into a target, so that programs need no files beside them.
#
#   movra_embed_file(<target> <file> <namespace> <name>)
#
# makes the bytes of <file> (relative to the calling folder) available to <target>'s sources as
#   inline constexpr std::string_view <namespace>::<name>
# from the generated header "embedded/<file's name>.h", which is rebuilt whenever <file> changes.
# The same file, run with `cmake -P`, is the build step that writes the header.

if(CMAKE_SCRIPT_MODE_FILE)
  # Build step: INPUT -> OUTPUT, the constant called NAME in NAMESPACE.
  file(READ "${INPUT}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  # Every byte as a hexadecimal escape, so any content (quotes, NULs, non-ASCII) survives; 32 bytes a line.
  string(REPEAT "[0-9a-f]" 64 line)
  string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" hex "${hex}")
  string(REPLACE "\n" "\"\n    \"" literal "${hex}")
  file(WRITE "${OUTPUT}"
       "// Generated from ${INPUT} by EmbedFile.cmake; edit that file instead.\n"
       "#pragma once\n\n#include <string_view>\n\nnamespace ${NAMESPACE} {\n\n"
       "inline constexpr std::string_view ${NAME}{\n    \"${literal}\",\n    ${size}};\n\n"
       "}  // namespace ${NAMESPACE}\n")
  return()
endif()

function(movra_embed_file target file namespace name)
  get_filename_component(input "${file}" ABSOLUTE)
  get_filename_component(fileName "${file}" NAME)
  set(output "${CMAKE_CURRENT_BINARY_DIR}/embedded/${fileName}.h")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DNAMESPACE=${namespace} -DNAME=${name} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    DEPENDS "${input}" "${CMAKE_CURRENT_FUNCTION_LIST_FILE}"
    COMMENT "Embedding ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE "${output}")
  target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}")
endfunction()
