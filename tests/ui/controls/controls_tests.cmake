# Label, text, button, option, check box, progress, rich edit, tab layout and scroll bar tests.
set(_controls_dir ${CMAKE_CURRENT_LIST_DIR})

foreach(_t button_input text_link option_select progress_paint tablayout_select tablayout_markup
           scrollbar_scroll richedit_edit lifetime)
  if(EXISTS ${_controls_dir}/${_t}_test.cpp)
    pavonel_add_test(controls_${_t}_test SOURCES ${_controls_dir}/${_t}_test.cpp LIBS veneer GUI TIMEOUT 180)
  endif()
endforeach()
