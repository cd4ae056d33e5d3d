# Paint manager tests: input routing, painting and shared resources, and the routing benchmark.
set(_pm_dir ${CMAKE_CURRENT_LIST_DIR})

pavonel_add_test(manager_input_test SOURCES ${_pm_dir}/manager_input_test.cpp LIBS veneer GUI TIMEOUT 180)
pavonel_add_test(manager_paint_test SOURCES ${_pm_dir}/manager_paint_test.cpp LIBS veneer GUI TIMEOUT 180)
