# Compiles every public header on its own, as a user's first include, with the warnings users
# turn on; any warning fails. Run by ctest with -P, once per compiler (-DCXX=...).
file(GLOB_RECURSE headers RELATIVE ${SOURCE_DIR}/include ${SOURCE_DIR}/include/xan/*.h)
set(flags -std=c++20 -fsyntax-only -x c++ -I${SOURCE_DIR}/include -Wall -Wextra -Wpedantic
    -Wconversion -Wsign-conversion -Wshadow)
if(CXX MATCHES "clang")
  list(APPEND flags -Wcomma)
endif()
set(failed "")
foreach(header IN LISTS headers)
  file(WRITE ${WORK_DIR}/one_header.cpp "#include <${header}>\n")
  execute_process(COMMAND ${CXX} ${flags} ${WORK_DIR}/one_header.cpp
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    string(APPEND failed "${header}:\n${out}\n")
  endif()
endforeach()
list(LENGTH headers count)
if(NOT failed STREQUAL "")
  message(FATAL_ERROR "headers that do not compile cleanly on their own with ${CXX}:\n${failed}")
endif()
message(STATUS "${count} headers compile cleanly on their own with ${CXX}")
