# Paint manager tests: input routing, painting and shared resources, drag and drop.
set(_pm_dir ${CMAKE_CURRENT_LIST_DIR})

pavonel_add_test(manager_test SOURCES ${_pm_dir}/manager_input_test.cpp ${_pm_dir}/manager_paint_test.cpp
                 ${_pm_dir}/manager_dragdrop_test.cpp LIBS veneer GUI TIMEOUT 600)
# Run alone, as the control tests are: focus and capture are the display's, not the program's.
set_tests_properties(manager_test PROPERTIES RUN_SERIAL TRUE)
