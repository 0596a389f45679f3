# Builds the .deb from the finished build tree into a folder of its own, emptied first so that
# the package test finds exactly one. Run as: cmake -DBUILD=<build dir> -DOUT=<folder> -P ...
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CPACK} --config ${BUILD}/CPackConfig.cmake -G DEB -B ${OUT}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed (${result})")
endif()
