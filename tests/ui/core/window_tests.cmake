# Window base, application object and notification pump tests.
set(_win_dir ${CMAKE_CURRENT_LIST_DIR})

pavonel_add_test(window_pump_test SOURCES ${_win_dir}/window_pump_test.cpp LIBS veneer)
pavonel_add_test(window_test SOURCES ${_win_dir}/window_base_test.cpp ${_win_dir}/window_frame_test.cpp
                 ${_win_dir}/window_test.rc LIBS veneer GUI TIMEOUT 300)
pavonel_add_test(window_app_test SOURCES ${_win_dir}/window_app_test.cpp ${_win_dir}/window_app_test.rc LIBS veneer GUI TIMEOUT 240)

# Second process of the single-instance tests; found next to the test .exe.
add_executable(window_single_helper ${_win_dir}/window_single_helper.cpp)
target_link_libraries(window_single_helper PRIVATE veneer)
set_target_properties(window_single_helper PROPERTIES WIN32_EXECUTABLE OFF)
add_dependencies(window_app_test window_single_helper)
