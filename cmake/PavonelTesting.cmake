# Test executables are Windows programs: CTest runs them through the Wine runner.
find_package(GTest CONFIG REQUIRED)
set(PAVONEL_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix used by the tests")
set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/tools/wine-run;--prefix;${PAVONEL_WINEPREFIX}")
# A program the host cannot run (a 32-bit build where the kernel runs 64-bit code only) is not started: the Wine
# runner, or a Python test before it starts one, exits with this code, and every test that runs a Windows
# program carries it as SKIP_RETURN_CODE so CTest reports the test as skipped.
set(PAVONEL_SKIP_CODE 77)

# pavonel_add_test(<name> SOURCES <files...> [LIBS <targets...>] [GUI] [TIMEOUT <seconds>] [ARGS <args...>])
# GUI marks tests that open windows; the runner always provides a display, the label lets you pick them.
# Every test program gets an entry that ends the process as soon as the verdict is known.
function(pavonel_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest)
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(labels unit)
  if(T_GUI)
    set(labels gui)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${labels}"
                       SKIP_RETURN_CODE ${PAVONEL_SKIP_CODE})
endfunction()
