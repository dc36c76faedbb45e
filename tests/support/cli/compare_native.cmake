# Runs the native quillon-cli and the Windows quillon-cli.exe (through the
# emulator) with the same arguments and requires the same exit code and
# byte-for-byte the same stdout.
#   -DNATIVE=program -DEMULATOR=runner -DEXE=program.exe -DARGS=arg|arg|...
#   -DWORKDIR=dir -DOUT=scratch file prefix
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${NATIVE} ${args} WORKING_DIRECTORY ${WORKDIR}
  OUTPUT_FILE ${OUT}.native ERROR_QUIET RESULT_VARIABLE nativeCode)
execute_process(COMMAND ${EMULATOR} ${EXE} ${args} WORKING_DIRECTORY ${WORKDIR}
  OUTPUT_FILE ${OUT}.windows ERROR_FILE ${OUT}.windows-stderr RESULT_VARIABLE windowsCode)
file(SIZE ${OUT}.native size)
if(size EQUAL 0 AND nativeCode EQUAL 0)
  message(FATAL_ERROR "the native quillon-cli printed nothing for ${args}")
endif()
if(NOT "${nativeCode}" STREQUAL "${windowsCode}")
  file(READ ${OUT}.windows-stderr err)
  message(FATAL_ERROR "exit codes differ for ${args}: native ${nativeCode}, Windows ${windowsCode}\n${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}.native ${OUT}.windows RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "stdout differs for ${args}: see ${OUT}.native and ${OUT}.windows")
endif()
