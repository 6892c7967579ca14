# Run with cmake -P by the include probes: builds one target that must not compile and passes only when the build
# fails with a message matching EXPECT. A probe that builds, or fails for another reason (a typo in the probe, a
# missing tool), fails the test and shows the build's output.
#
#   cmake -DBUILD_DIR=<build tree> -DTARGET=<target> -DEXPECT=<regular expression> -P ExpectBuildFailure.cmake
foreach(variable BUILD_DIR TARGET EXPECT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "ExpectBuildFailure: ${variable} is not set")
    endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${TARGET}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
    message(FATAL_ERROR "${TARGET} was built, but it must not compile:\n${output}")
endif()
if(NOT output MATCHES "${EXPECT}")
    message(FATAL_ERROR "${TARGET} failed to build, but without a message matching '${EXPECT}':\n${output}")
endif()
message(STATUS "${TARGET} does not compile, as expected: ${CMAKE_MATCH_0}")
