# Writes OUTPUT, a C++ source that holds every installed declaration of an upper-case routine
# against the lists of upper-case routines: the number of parameters and whether a value is
# returned must be as listed, else the source does not compile and the compiler names the
# routine. It also tables the listed names for the test that compares them with the exports.
#
#   cmake -DOUTPUT=<file.cpp> -DINCLUDE_DIR=<include> "-DROUTINE_LISTS=<list;list...>" -P upper_case_routines.cmake
#
# List lines ('#' starts a comment line; blank lines are allowed):
#   NAME <count> value|none   count = C-level parameters (a character argument counts 2)
#   NAME <count> value|none char <k>[,<k>...]
#                             as above; parameters k and k + 1 are a character argument
#   NAME open                 no settled argument list: only declared and exported is checked

foreach(required OUTPUT INCLUDE_DIR ROUTINE_LISTS)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "upper_case_routines.cmake: ${required} is not given")
  endif()
endforeach()

file(GLOB_RECURSE headers RELATIVE ${INCLUDE_DIR} ${INCLUDE_DIR}/zmx/*.h)
list(SORT headers)
set(includes "")
foreach(header IN LISTS headers)
  string(APPEND includes "#include \"${header}\"\n")
endforeach()

set(checks "")
set(table "")
set(errors "")
foreach(list_file IN LISTS ROUTINE_LISTS)
  get_filename_component(list_name ${list_file} NAME)
  # Only the lines that name a routine: comments may hold brackets, which a CMake list does not
  # split at.
  file(STRINGS ${list_file} lines REGEX "^[ \t]*[^# \t]")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^([A-Z][A-Z0-9_]*)[ \t]+open$")
      set(name ${CMAKE_MATCH_1})
      string(APPEND checks
        "static_assert(abi_testing::RoutineShape<decltype(${name})>::isRoutine, \"${name} is not declared as a routine\");\n")
    elseif(line MATCHES "^([A-Z][A-Z0-9_]*)[ \t]+([0-9]+)[ \t]+(value|none)([ \t]+char[ \t]+([0-9]+(,[0-9]+)*))?$")
      set(name ${CMAKE_MATCH_1})
      set(count ${CMAKE_MATCH_2})
      set(result ${CMAKE_MATCH_3})
      string(REPLACE "," ";" character_positions "${CMAKE_MATCH_5}")
      foreach(position IN LISTS character_positions)
        math(EXPR length_position "${position} + 1")
        string(APPEND checks
          "static_assert(abi_testing::characterArgumentAt<decltype(${name}), ${position}>(), \"${name}: parameters ${position} and ${length_position} are a character argument (address, then length)\");\n")
      endforeach()
      if(result STREQUAL "value")
        set(returns true)
        set(wording "returns a value")
      else()
        set(returns false)
        set(wording "returns nothing")
      endif()
      string(APPEND checks
        "static_assert(abi_testing::RoutineShape<decltype(${name})>::parameters == ${count}, \"${name} takes ${count} parameters (a character argument counts 2)\");\n"
        "static_assert(abi_testing::RoutineShape<decltype(${name})>::returnsValue == ${returns}, \"${name} ${wording}\");\n")
    else()
      string(APPEND errors "  ${list_name}: ${line}\n")
      continue()
    endif()
    string(APPEND table "    {\"${name}\", \"${list_name}\"},\n")
  endforeach()
endforeach()
if(errors)
  message(FATAL_ERROR "Lines of the upper-case routine lists that are neither 'NAME <count> value|none' nor 'NAME open':\n${errors}")
endif()

file(WRITE ${OUTPUT}.new
  "// Generated from the lists of upper-case routines by tests/abi/upper_case_routines.cmake.\n"
  "#include \"tests/abi/routine_shape.h\"\n\n"
  "${includes}\n"
  "${checks}\n"
  "namespace abi_testing {\n\n"
  "const ListedRoutine kListedRoutines[] = {\n${table}};\n"
  "const std::size_t kListedRoutineCount = sizeof kListedRoutines / sizeof kListedRoutines[0];\n\n"
  "}  // namespace abi_testing\n")
# Leave the source untouched when nothing changed, so that it is not compiled again.
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
