# Installs the build into a scratch prefix, then uses it as people do: the
# installed tool, a project that finds the library with find_package (C++ and
# C), programs built with the flags pkg-config gives, and the Python module.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})

function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(rc)
        message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(file lib/libcv_units.so bin/cvunits toolbox/corvane/cv_units/ud include/units/cv_units.hpp
        include/units/cv_units.h include/units/expr/ParseUnitExpr.hpp
        lib/cmake/cv_units/cv_unitsConfig.cmake lib/pkgconfig/cv_units.pc
        share/man/man1/cvunits.1 share/bash-completion/completions/cvunits
        share/zsh/site-functions/_cvunits)
    if(NOT EXISTS ${prefix}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

# A Release library without debug information stays small.
file(REAL_PATH ${prefix}/lib/libcv_units.so library)
file(SIZE ${library} size)
if(size GREATER 5000000)
    message(FATAL_ERROR "the installed library has ${size} bytes")
endif()

# The installed tool finds its library and the built-in database by itself.
run("the installed tool" ${CMAKE_COMMAND} -E env --unset=LD_LIBRARY_PATH --unset=CV_UNITS_ROOT
    ${prefix}/bin/cvunits convert ft m 3)
if(NOT output MATCHES "3 ft = 0.9144 m")
    message(FATAL_ERROR "the installed tool said: ${output}")
endif()

set(ENV{CV_UNITS_ROOT})
run("configuring the consumer" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/build
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run("building the consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run("the CMake consumer" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/lib
    ${WORK_DIR}/build/consumer)
run("the CMake C consumer" ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/lib
    ${WORK_DIR}/build/consumer_c)

set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
run("pkg-config" pkg-config --cflags --libs cv_units)
separate_arguments(flags UNIX_COMMAND "${output}")
run("compiling with pkg-config" ${CXX} -std=c++20 ${SOURCE_DIR}/main.cpp ${flags}
    -o ${WORK_DIR}/pkgconfig_consumer)
run("compiling C with pkg-config" ${CC} ${SOURCE_DIR}/consumer.c ${flags}
    -o ${WORK_DIR}/pkgconfig_consumer_c)
foreach(program pkgconfig_consumer pkgconfig_consumer_c)
    run(${program} ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/lib ${WORK_DIR}/${program})
endforeach()

# The installed Python module, when there is one, loads its library and the
# built-in database from the prefix.
if(PYTHON_DIR)
    run("the installed Python module" ${CMAKE_COMMAND} -E env PYTHONPATH=${prefix}/${PYTHON_DIR}
        ${PYTHON} -c "import cv_units; assert cv_units.convert(3, 'ft', 'm') == 0.9144")
endif()
