# Rendering: fills, text, markup text, images, window shadow; and the repaint benchmark.
set(_render_dir ${CMAKE_CURRENT_LIST_DIR})

pavonel_add_test(render_fill_test SOURCES ${_render_dir}/render_fill_test.cpp LIBS veneer ZLIB::ZLIB)
pavonel_add_test(render_text_test SOURCES ${_render_dir}/render_text_test.cpp LIBS veneer ZLIB::ZLIB GUI)
pavonel_add_test(render_html_test SOURCES ${_render_dir}/render_html_test.cpp LIBS veneer ZLIB::ZLIB GUI)
pavonel_add_test(render_image_test SOURCES ${_render_dir}/render_image_test.cpp LIBS veneer ZLIB::ZLIB GUI)
pavonel_add_test(shadow_test SOURCES ${_render_dir}/shadow_test.cpp LIBS veneer ZLIB::ZLIB GUI TIMEOUT 120)
pavonel_add_test(render_bitmap_test SOURCES ${_render_dir}/render_bitmap_test.cpp LIBS veneer ZLIB::ZLIB GUI)

# Prints repaint figures; not a test.
add_executable(bench_render ${_render_dir}/bench_render.cpp)
target_link_libraries(bench_render PRIVATE veneer ZLIB::ZLIB)
