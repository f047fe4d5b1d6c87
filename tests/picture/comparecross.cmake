# Runs the native and the cross-built fit and zoom check and compares what they print: both
# must pass and give the same digest of results. Called by CTest with NATIVE, CROSS, EMULATOR
# and SYSROOT (the target's libraries, for the emulator's -L).
execute_process(COMMAND ${NATIVE} RESULT_VARIABLE NativeStatus OUTPUT_VARIABLE NativeOut
                OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${EMULATOR} -L ${SYSROOT} ${CROSS}
                RESULT_VARIABLE CrossStatus OUTPUT_VARIABLE CrossOut
                OUTPUT_STRIP_TRAILING_WHITESPACE)
message(STATUS "native: ${NativeOut}")
message(STATUS "cross:  ${CrossOut}")
if(NOT NativeStatus EQUAL 0)
  message(FATAL_ERROR "the native check failed (${NativeStatus})")
endif()
if(NOT CrossStatus EQUAL 0)
  message(FATAL_ERROR "the cross-built check failed under ${EMULATOR} (${CrossStatus})")
endif()
if(NativeOut STREQUAL "" OR NOT NativeOut STREQUAL CrossOut)
  message(FATAL_ERROR "the cross-built results differ from the native ones")
endif()
