# Resources compiled into the library that owns them, registered by name when it loads.
#
#   xq_add_resources(<target>
#       DESCRIPTION <file.dfm>            # a form description; its name is the file's base name,
#       ...                               # it is found by the class of its top object
#       BITMAP <NAME> <file>              # a named bitmap (BMP or PNG bytes as they are)
#       DATA <NAME> <file>)               # any other named bytes
#
# Each file becomes a generated C++ source (regenerated when the file changes) that registers
# its bytes with plat::RegisterResource under the target's name; see src/platform/forms/Resources.h.

if(CMAKE_SCRIPT_MODE_FILE)
  # Script mode: generate one source. -DIN=<file> -DOUT=<cpp> -DMODULE=<target> -DNAME=<name> -DKIND=<kind>
  file(READ "${IN}" hex HEX)
  string(LENGTH "${hex}" hexlen)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
  math(EXPR size "${hexlen} / 2")
  if(size EQUAL 0)
    set(bytes "0x00")
  endif()
  string(MAKE_C_IDENTIFIER "${NAME}" ident)
  file(WRITE "${OUT}.tmp"
"// Generated from ${IN}; do not edit.
#include \"platform/forms/Resources.h\"

namespace {
const unsigned char kData_${ident}[] = {
    ${bytes}};
const plat::TResourceRegistration kReg_${ident}(\"${MODULE}\", \"${NAME}\", plat::TResourceKind::${KIND}, kData_${ident}, ${size});
}  // namespace
")
  file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${OUT}.tmp")
  return()
endif()

set(XQ_RESOURCES_SCRIPT "${CMAKE_CURRENT_LIST_FILE}" CACHE INTERNAL "")

function(xq_add_resources target)
  set(kind "")
  set(pending_name "")
  set(outdir "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources")
  foreach(arg ${ARGN})
    if(arg STREQUAL "DESCRIPTION" OR arg STREQUAL "BITMAP" OR arg STREQUAL "DATA")
      set(kind "${arg}")
      set(pending_name "")
      continue()
    endif()
    if(kind STREQUAL "")
      message(FATAL_ERROR "xq_add_resources(${target}): DESCRIPTION, BITMAP or DATA expected before ${arg}")
    endif()
    if(kind STREQUAL "DESCRIPTION")
      get_filename_component(name "${arg}" NAME_WE)
      set(file "${arg}")
      set(cppkind "Description")
    elseif(pending_name STREQUAL "")
      set(pending_name "${arg}")
      continue()
    else()
      set(name "${pending_name}")
      set(pending_name "")
      set(file "${arg}")
      if(kind STREQUAL "BITMAP")
        set(cppkind "Bitmap")
      else()
        set(cppkind "Data")
      endif()
    endif()
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    string(MAKE_C_IDENTIFIER "${cppkind}_${name}" stem)
    set(out "${outdir}/${stem}.cpp")
    add_custom_command(
      OUTPUT "${out}"
      COMMAND ${CMAKE_COMMAND} -DIN=${file} -DOUT=${out} -DMODULE=${target} -DNAME=${name} -DKIND=${cppkind}
              -P "${XQ_RESOURCES_SCRIPT}"
      DEPENDS "${file}" "${XQ_RESOURCES_SCRIPT}"
      COMMENT "Embedding ${name} into ${target}"
      VERBATIM)
    target_sources(${target} PRIVATE "${out}")
  endforeach()
  if(NOT pending_name STREQUAL "")
    message(FATAL_ERROR "xq_add_resources(${target}): no file given for ${pending_name}")
  endif()
endfunction()
