# Helpers of the scripts that compile files into the program as byte arrays
# (the lever pictures, the browser page). Included by those scripts in -P mode.

# embed_bytes(PATH TYPE NAME TRAILER OUT): OUT receives the C++ definition
# "constexpr TYPE NAME[] = {...TRAILER};" holding PATH's bytes. TRAILER is
# appended after the last byte: empty for binary data, "0" for a terminated text.
function(embed_bytes path type name trailer out)
  file(READ "${path}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
                       "\\1\n" hex "${hex}")
  set(${out} "constexpr ${type} ${name}[] = {\n${hex}${trailer}};\n" PARENT_SCOPE)
endfunction()

# write_if_changed(OUTPUT TEXT): rewrites OUTPUT only when TEXT differs, so
# that an unchanged file triggers no recompilation.
function(write_if_changed output text)
  file(WRITE "${output}.tmp" "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${output}.tmp" "${output}")
  file(REMOVE "${output}.tmp")
endfunction()
