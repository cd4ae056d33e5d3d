# Rendering: fills (no window), then text, markup text, images, bitmaps and the window shadow in one program.
set(_render_dir ${CMAKE_CURRENT_LIST_DIR})

pavonel_add_test(render_fill_test SOURCES ${_render_dir}/render_fill_test.cpp LIBS veneer ZLIB::ZLIB)
pavonel_add_test(render_test SOURCES ${_render_dir}/render_text_test.cpp ${_render_dir}/render_html_test.cpp
                 ${_render_dir}/render_image_test.cpp ${_render_dir}/render_bitmap_test.cpp ${_render_dir}/shadow_test.cpp
                 LIBS veneer ZLIB::ZLIB GUI TIMEOUT 300)
