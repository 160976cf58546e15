# Runs one golden case of tav-batch: copies the case's input files into a fresh folder, runs the
# program there with the case's arguments and compares standard output, standard error, the exit
# status and the files the case expects byte for byte.
#   -DTAV_BATCH=<program> -DCASE_DIR=<tests/batch/case> -DWORK_DIR=<scratch folder>
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
if(EXISTS "${CASE_DIR}/input")
  file(COPY "${CASE_DIR}/input/" DESTINATION "${WORK_DIR}")
endif()

set(args "")
if(EXISTS "${CASE_DIR}/args")
  file(STRINGS "${CASE_DIR}/args" args ENCODING UTF-8)
endif()

# The C locale, so that the numbers of the evaluation run do not depend on the machine.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C "${TAV_BATCH}" ${args}
                WORKING_DIRECTORY "${WORK_DIR}"
                OUTPUT_FILE "${WORK_DIR}/.stdout"
                ERROR_FILE "${WORK_DIR}/.stderr"
                RESULT_VARIABLE status)

set(failed FALSE)
function(expect_same expected actual what)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${expected}" "${actual}"
                  RESULT_VARIABLE different)
  if(different)
    file(READ "${actual}" got)
    file(READ "${expected}" want)
    message(SEND_ERROR "${what} differs.\n--- expected:\n${want}\n--- got:\n${got}")
  endif()
endfunction()

file(READ "${CASE_DIR}/expected/status" expected_status)
string(STRIP "${expected_status}" expected_status)
if(NOT status STREQUAL expected_status)
  file(READ "${WORK_DIR}/.stderr" err)
  message(SEND_ERROR "exit status ${status}, expected ${expected_status}\n${err}")
endif()
expect_same("${CASE_DIR}/expected/stdout" "${WORK_DIR}/.stdout" "standard output")
if(EXISTS "${CASE_DIR}/expected/stderr")
  expect_same("${CASE_DIR}/expected/stderr" "${WORK_DIR}/.stderr" "standard error")
endif()
file(GLOB expected_files RELATIVE "${CASE_DIR}/expected/files" "${CASE_DIR}/expected/files/*")
foreach(name ${expected_files})
  expect_same("${CASE_DIR}/expected/files/${name}" "${WORK_DIR}/${name}" "file ${name}")
endforeach()
if(EXISTS "${CASE_DIR}/expected/absent")
  file(STRINGS "${CASE_DIR}/expected/absent" absent)
  foreach(name ${absent})
    if(EXISTS "${WORK_DIR}/${name}")
      message(SEND_ERROR "file ${name} should not have been written")
    endif()
  endforeach()
endif()
