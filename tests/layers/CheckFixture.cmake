# Runs the layer check on the fixture tree: it must fail and name exactly the planted upward
# include and the sideways one, and nothing that the table allows.
#   cmake -DCHECKER=<CheckLayers.cmake> -DFIXTURE=<fixture folder> -P CheckFixture.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} -DROOT=${FIXTURE} -DARCHITECTURE=${FIXTURE}/ARCHITECTURE.md -P ${CHECKER}
  RESULT_VARIABLE status ERROR_VARIABLE report OUTPUT_VARIABLE output)
if(status EQUAL 0)
  message(FATAL_ERROR "the layer check passed a tree with an upward include:\n${output}${report}")
endif()
string(REGEX MATCHALL "[^ \n]+ includes [^ \n]+" found "${report}")
set(expected "low/Planted.cpp includes top/Top.h" "side/Side.h includes low/Low.h")
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "found: ${found}\nexpected: ${expected}\n${report}")
endif()
