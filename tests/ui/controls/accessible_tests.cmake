# The accessible tree, WinEvents and the keyboard focus indicator.
pavonel_add_test(accessible_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/accessible_test.cpp LIBS veneer oleacc GUI TIMEOUT 120)
