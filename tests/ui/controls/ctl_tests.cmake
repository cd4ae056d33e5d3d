# Control base, containers and linear layouts.
set(_ctl_dir ${CMAKE_CURRENT_LIST_DIR})

pavonel_add_test(control_attributes_test SOURCES ${_ctl_dir}/control_attributes_test.cpp LIBS veneer)
# Without a window: painting into a canvas and layouts along both axes.
pavonel_add_test(control_layout_test SOURCES ${_ctl_dir}/control_paint_test.cpp ${_ctl_dir}/layout_linear_test.cpp
                 LIBS veneer)
# In a window: state, events, look-ups and containers.
pavonel_add_test(control_test SOURCES ${_ctl_dir}/control_state_test.cpp ${_ctl_dir}/control_events_test.cpp
                 ${_ctl_dir}/control_find_test.cpp ${_ctl_dir}/layout_container_test.cpp LIBS veneer GUI TIMEOUT 240)
