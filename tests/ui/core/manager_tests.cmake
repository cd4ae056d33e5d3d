# Paint manager tests: input routing, painting and shared resources, and the routing benchmark.
set(_pm_dir ${CMAKE_CURRENT_LIST_DIR})

pavonel_add_test(manager_input_test SOURCES ${_pm_dir}/manager_input_test.cpp LIBS veneer GUI TIMEOUT 180)
pavonel_add_test(manager_paint_test SOURCES ${_pm_dir}/manager_paint_test.cpp LIBS veneer GUI TIMEOUT 180)

# Benchmark (prints figures; not a test): allocations and time of per-message routing.
add_executable(bench_manager_routing ${_pm_dir}/bench_manager_routing.cpp)
target_link_libraries(bench_manager_routing PRIVATE veneer)
pavonel_add_test(manager_dragdrop_test SOURCES ${_pm_dir}/manager_dragdrop_test.cpp LIBS veneer GUI TIMEOUT 120)
