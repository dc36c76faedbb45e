# Runs quillon-cli once and checks what it did.
#   -DCLI=program  [-DEMULATOR=runner]  -DARGS=arg|arg|...  -DWORKDIR=dir
#   -DOUT=scratch file prefix  -DEXIT=expected exit code
#   [-DSTDOUT=file whose bytes stdout must equal, or -DANY_STDOUT=1: not empty; without either stdout must be empty]
#   [-DSTDERR=regular expression stderr must match; without it stderr must be empty]
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${EMULATOR} ${CLI} ${args}
  WORKING_DIRECTORY ${WORKDIR}
  OUTPUT_FILE ${OUT}.stdout ERROR_FILE ${OUT}.stderr
  RESULT_VARIABLE rc)
file(READ ${OUT}.stderr err)
set(failures "")
if(NOT "${rc}" STREQUAL "${EXIT}")
  string(APPEND failures "exit code ${rc}, expected ${EXIT}\n")
endif()
if(ANY_STDOUT)
  file(SIZE ${OUT}.stdout size)
  if(size EQUAL 0)
    string(APPEND failures "stdout is empty\n")
  endif()
elseif(DEFINED STDOUT)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}.stdout ${STDOUT} RESULT_VARIABLE differ)
  if(differ)
    string(APPEND failures "stdout differs from ${STDOUT}\n")
  endif()
else()
  file(SIZE ${OUT}.stdout size)
  if(size GREATER 0)
    string(APPEND failures "stdout is not empty\n")
  endif()
endif()
if(DEFINED STDERR)
  if(NOT err MATCHES "${STDERR}")
    string(APPEND failures "stderr does not match '${STDERR}'\n")
  endif()
elseif(NOT err STREQUAL "")
  string(APPEND failures "stderr is not empty\n")
endif()
if(failures)
  file(READ ${OUT}.stdout out)
  message(FATAL_ERROR "quillon-cli ${args}:\n${failures}--- stdout:\n${out}--- stderr:\n${err}")
endif()
