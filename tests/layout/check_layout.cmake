# Checks the layering of the source tree, as the README's Layout gives it: each folder includes
# only the folders below it, only ui/ includes Qt, and ui/ writes no file itself (whole files go
# through core's replaceFileWhole).
#   cmake -DSOURCE_DIR=<checkout> -P check_layout.cmake
# Prints every offending line and fails when there is one.
cmake_minimum_required(VERSION 3.25)

# The project folders each folder may include, besides itself.
set(allowed_core "")
set(allowed_import core)
set(allowed_expr core)
set(allowed_table core)
set(allowed_stats core expr table)
set(allowed_db core import expr stats)
set(allowed_session core expr table stats)
set(allowed_batch core import expr table stats db session)
set(allowed_ui core import expr table stats db session)
set(allowed_bench core import expr table stats db session)
set(allowed_fuzz core import expr table stats)
set(allowed_python core import expr table stats db session batch)
set(folders core import expr table stats db session batch ui bench fuzz python)

set(faults "")
foreach(folder ${folders})
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h"
       "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source ${sources})
    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^#include")
    foreach(line ${lines})
      if(line MATCHES "^#include \"([a-z]+)/")
        set(included ${CMAKE_MATCH_1})
        if(NOT included STREQUAL folder AND NOT included IN_LIST allowed_${folder})
          list(JOIN allowed_${folder} ", " below)
          list(APPEND faults "${source}: ${line} (${folder}/ may include: ${below})")
        endif()
      elseif(line MATCHES "^#include <Q" AND NOT folder STREQUAL "ui")
        list(APPEND faults "${source}: ${line} (only ui/ includes Qt)")
      endif()
    endforeach()
    if(folder STREQUAL "ui")
      file(STRINGS "${SOURCE_DIR}/${source}" writes
           REGEX "std::ofstream|fopen\\(|QFile::WriteOnly|QSaveFile|[^r]\\.save\\(")
      foreach(line ${writes})
        list(APPEND faults "${source}: ${line} (ui/ writes files through replaceFileWhole)")
      endforeach()
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" text)
  message(FATAL_ERROR "Layout faults:\n${text}")
endif()
message(STATUS "Layout holds")
