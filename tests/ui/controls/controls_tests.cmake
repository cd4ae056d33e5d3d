# Label, text, button, option, check box, progress, rich edit, tab layout and scroll bar tests: one program.
set(_controls_dir ${CMAKE_CURRENT_LIST_DIR})

set(_controls_sources)
foreach(_t button_input text_link option_select progress_paint tablayout_select tablayout_markup scrollbar_scroll
           richedit_edit lifetime)
  list(APPEND _controls_sources ${_controls_dir}/${_t}_test.cpp)
endforeach()
pavonel_add_test(controls_test SOURCES ${_controls_sources} LIBS veneer imm32 GUI TIMEOUT 900)
# Run alone: its windows take the focus and the mouse capture, which another program's windows on the same display
# would take from them mid-test.
set_tests_properties(controls_test PROPERTIES RUN_SERIAL TRUE)
# The rich edit on a system without the text services: Wine is told to refuse their libraries. Run alone: a
# window it opens beside another test's would take that test's mouse capture (as any newly active window does).
add_test(NAME controls_richedit_engineless_test COMMAND controls_test --gtest_filter=RichEditEngineless.*)
set_tests_properties(controls_richedit_engineless_test PROPERTIES ENVIRONMENT "WINEDLLOVERRIDES=riched20,msftedit=d"
                     LABELS gui TIMEOUT 120 RUN_SERIAL TRUE SKIP_RETURN_CODE ${PAVONEL_SKIP_CODE})
