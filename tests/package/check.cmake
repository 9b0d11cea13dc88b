# Installs the built library into a scratch prefix, then builds and runs a consumer against it,
# once through find_package and once through pkg-config. Run by ctest with -P.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/package -B ${WORK_DIR}/consumer -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
# CMake gives the consumer a run path to the installed library.
run(${WORK_DIR}/consumer/consumer)

# pkg-config: compile and link the same program with the flags it gives, in C++23, and run it
# through the run path the README shows (no LD_LIBRARY_PATH).
file(GLOB pcdir ${prefix}/lib*/pkgconfig ${prefix}/lib/*/pkgconfig)
function(pkg_config out)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pcdir} pkg-config ${ARGN} xan
                  OUTPUT_VARIABLE value RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config ${ARGN} xan failed")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()
pkg_config(flags --cflags --libs)
pkg_config(libdir --variable=libdir)
if(flags MATCHES "-std=")
  message(FATAL_ERROR "xan.pc sets the language standard: ${flags}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CXX} -std=c++23 -DXAN_EXPECT_CXX23 ${SOURCE_DIR}/tests/package/main.cpp ${flags}
    -Wl,-rpath,${libdir} -o ${WORK_DIR}/pc_consumer)
run(${WORK_DIR}/pc_consumer)
file(REMOVE_RECURSE ${WORK_DIR})
