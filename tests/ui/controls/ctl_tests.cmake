# Control base, containers and linear layouts.
set(_ctl_dir ${CMAKE_CURRENT_LIST_DIR})

pavonel_add_test(control_attributes_test SOURCES ${_ctl_dir}/control_attributes_test.cpp LIBS veneer)
pavonel_add_test(control_state_test SOURCES ${_ctl_dir}/control_state_test.cpp LIBS veneer GUI TIMEOUT 120)
pavonel_add_test(control_events_test SOURCES ${_ctl_dir}/control_events_test.cpp LIBS veneer GUI TIMEOUT 120)
pavonel_add_test(control_paint_test SOURCES ${_ctl_dir}/control_paint_test.cpp LIBS veneer)
pavonel_add_test(control_find_test SOURCES ${_ctl_dir}/control_find_test.cpp LIBS veneer GUI TIMEOUT 120)
pavonel_add_test(layout_vertical_test SOURCES ${_ctl_dir}/layout_vertical_test.cpp LIBS veneer)
pavonel_add_test(layout_horizontal_test SOURCES ${_ctl_dir}/layout_horizontal_test.cpp LIBS veneer)
pavonel_add_test(layout_container_test SOURCES ${_ctl_dir}/layout_container_test.cpp LIBS veneer GUI TIMEOUT 120)

# Benchmark (prints figures; not part of the test run):
#   tools/wine-run --prefix <build>/wineprefix <build>/tests/ui/controls/bench_layout.exe
add_executable(bench_layout ${_ctl_dir}/bench_layout.cpp)
target_link_libraries(bench_layout PRIVATE veneer)
