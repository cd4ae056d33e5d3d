# Label, text, button, option, check box, progress, rich edit, tab layout and scroll bar tests.
set(_controls_dir ${CMAKE_CURRENT_LIST_DIR})

foreach(_t button_input text_link option_select progress_paint tablayout_select tablayout_markup
           scrollbar_scroll richedit_edit lifetime)
  if(EXISTS ${_controls_dir}/${_t}_test.cpp)
    pavonel_add_test(controls_${_t}_test SOURCES ${_controls_dir}/${_t}_test.cpp LIBS veneer GUI TIMEOUT 180)
  endif()
endforeach()
target_link_libraries(controls_richedit_edit_test PRIVATE imm32)
# The rich edit on a system without the text services: Wine is told to refuse their libraries. Run alone: a
# window it opens beside another test's would take that test's mouse capture (as any newly active window does).
add_test(NAME controls_richedit_engineless_test COMMAND controls_richedit_edit_test
         --gtest_filter=RichEditEngineless.*)
set_tests_properties(controls_richedit_engineless_test PROPERTIES ENVIRONMENT "WINEDLLOVERRIDES=riched20,msftedit=d"
                     LABELS gui TIMEOUT 120 RUN_SERIAL TRUE SKIP_RETURN_CODE ${PAVONEL_SKIP_CODE})
