# Checks that includes point downward in src/:
#   - src/shared includes nothing from another folder of src/;
#   - the windows' state headers that program/forms.h gathers include only src/shared and plain
#     data headers that themselves include nothing outside src/shared (the command catalogue);
#   - the core folders include from src/program only its state (context.h, forms.h), never the
#     assembly (Kestrix, start-up, shutdown); src/service, the monitor's program, sits on top of
#     the assembly as src/app does;
#   - no core folder (all of src/ but src/app and src/platform/qt) includes Qt or the Qt layer.
# Run as: cmake -DSOURCE_DIR=<checkout> -P check_includes.cmake

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
set(src ${SOURCE_DIR}/src)
set(failures "")

# The quoted includes of `file`, one "path" per item.
function(quoted_includes file out)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  set(result "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" path "${line}")
    list(APPEND result "${path}")
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE core_files RELATIVE ${src} ${src}/*.h ${src}/*.cpp)
list(FILTER core_files EXCLUDE REGEX "^(app|platform/qt)/")

foreach(relative IN LISTS core_files)
  set(file ${src}/${relative})
  string(REGEX REPLACE "/.*$" "" folder "${relative}")

  file(STRINGS ${file} qt_lines REGEX "^[ \t]*#[ \t]*include[ \t]*<(Q|qt)")
  foreach(line IN LISTS qt_lines)
    list(APPEND failures "src/${relative} includes Qt: ${line}")
  endforeach()

  quoted_includes(${file} includes)
  foreach(path IN LISTS includes)
    string(REGEX REPLACE "/.*$" "" target "${path}")
    if(path MATCHES "^(app|platform/qt)/")
      list(APPEND failures "src/${relative} includes the Qt layer: ${path}")
    endif()
    if(folder STREQUAL "shared" AND NOT target STREQUAL "shared")
      list(APPEND failures "src/${relative} includes from outside src/shared: ${path}")
    endif()
    if(NOT folder MATCHES "^(program|service)$" AND target STREQUAL "program"
       AND NOT path MATCHES "^program/(context|forms)\\.h$")
      list(APPEND failures "src/${relative} includes the program's assembly: ${path}")
    endif()
  endforeach()
endforeach()

# The windows' state lies below every part that works on it.
quoted_includes(${src}/program/forms.h window_headers)
foreach(header IN LISTS window_headers)
  quoted_includes(${src}/${header} includes)
  foreach(path IN LISTS includes)
    if(NOT path MATCHES "^shared/")
      quoted_includes(${src}/${path} data_includes)
      list(FILTER data_includes EXCLUDE REGEX "^shared/")
      if(data_includes OR NOT EXISTS ${src}/${path})
        list(APPEND failures "src/${header} (a window's state) includes from outside src/shared: ${path}")
      endif()
    endif()
  endforeach()
endforeach()

list(LENGTH core_files checked)
if(checked EQUAL 0)
  message(FATAL_ERROR "no source files found under ${src}")
endif()
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Includes that point the wrong way:\n  ${text}")
endif()
message(STATUS "Includes point downward in ${checked} files")
