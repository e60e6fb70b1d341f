# Installs the build into a scratch prefix, then configures, builds and runs a
# project that finds the library with find_package.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
    message(FATAL_ERROR "install failed")
endif()
foreach(file lib/libcv_units.so bin/cvunits toolbox/corvane/cv_units/ud
        include/units/expr/ParseUnitExpr.hpp lib/cmake/cv_units/cv_unitsConfig.cmake)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build
                        -DCMAKE_PREFIX_PATH=${prefix} RESULT_VARIABLE rc)
if(NOT rc)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
endif()
if(NOT rc)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/lib
                            ${WORK_DIR}/build/consumer RESULT_VARIABLE rc)
endif()
if(rc)
    message(FATAL_ERROR "the consumer project failed: ${rc}")
endif()
