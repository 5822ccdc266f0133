# Checks that includes point downward in src/. Each core folder has a rank; a file includes only
# its own folder and folders of a lower rank, so an include sideways (between two parts of the
# same rank) or upward fails:
#   0 shared                               the controls as plain state, the link state, small helpers
#   1 platform                             the outside world's interfaces, implementations, doubles
#   2 state                                each window's state and the context the parts work on;
#                                          it includes only src/shared
#   3 common                               what several parts use: the log, help, printing, fitting,
#                                          the main window's layout and views
#   4 config console download trend windows   the parts, none of which includes another
#   5 link                                 the link engine drives the download's preparation and
#                                          the trend's sampling, so it ranks above both
#   6 monitor                              the headless monitor's rules: they read the link's alarm
#                                          decoding and the trend's records, so they rank above both
#   7 program                              the assembly, which includes every other (the monitor's
#                                          per-receiver assembly too)
#   8 service                              kestrix-monitor's program: it sits on the assembly as
#                                          src/app does, and nothing in the core includes it
# No core folder (all of src/ but src/app and src/platform/qt) includes Qt or the Qt layer.
# Run as: cmake -DSOURCE_DIR=<checkout> -P check_includes.cmake

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
set(src ${SOURCE_DIR}/src)
set(failures "")

set(rank_shared 0)
set(rank_platform 1)
set(rank_state 2)
set(rank_common 3)
set(rank_config 4)
set(rank_console 4)
set(rank_download 4)
set(rank_trend 4)
set(rank_windows 4)
set(rank_link 5)
set(rank_monitor 6)
set(rank_program 7)
set(rank_service 8)

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

  if(NOT DEFINED rank_${folder})
    list(APPEND failures "src/${relative} is in a folder without a rank: src/${folder}")
    continue()
  endif()
  quoted_includes(${file} includes)
  foreach(path IN LISTS includes)
    string(REGEX REPLACE "/.*$" "" target "${path}")
    if(path MATCHES "^(app|platform/qt)/")
      list(APPEND failures "src/${relative} includes the Qt layer: ${path}")
    elseif(target STREQUAL folder OR NOT EXISTS ${src}/${path})
      # Its own folder, or a header from outside src/ (the generated version header).
    elseif(NOT DEFINED rank_${target})
      list(APPEND failures "src/${relative} includes from a folder without a rank: ${path}")
    elseif(NOT rank_${target} LESS rank_${folder})
      list(APPEND failures "src/${relative} (rank ${rank_${folder}}) includes sideways or upward: ${path} (rank ${rank_${target}})")
    elseif(folder STREQUAL "state" AND NOT target STREQUAL "shared")
      list(APPEND failures "src/${relative} (a window's state) includes from outside src/shared: ${path}")
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
