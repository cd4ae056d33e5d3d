# Resource access, markup and language packages.
pavonel_add_test(resource_zip_test SOURCES resource_zip_test.cpp LIBS veneer ZLIB::ZLIB)
pavonel_add_test(resource_location_test SOURCES resource_location_test.cpp LIBS veneer ZLIB::ZLIB)
pavonel_add_test(resource_manager_test SOURCES resource_manager_test.cpp LIBS veneer)
pavonel_add_test(markup_xml_test SOURCES markup_xml_test.cpp LIBS veneer)
pavonel_add_test(lang_package_test SOURCES lang_package_test.cpp LIBS veneer)
pavonel_add_test(markup_builder_test SOURCES markup_builder_test.cpp markup_builder_test.rc LIBS veneer GUI)
pavonel_add_test(lang_controls_test SOURCES lang_controls_test.cpp LIBS veneer GUI)
pavonel_add_test(resource_robustness_test SOURCES resource_robustness_test.cpp LIBS veneer pavonel_core psapi GUI
                 TIMEOUT 300)
# The fuzz targets seed from the real skin and replay the inputs tools/fuzz.sh saved.
target_compile_definitions(resource_robustness_test PRIVATE
  "SKIN_SOURCE_DIR=L\"${PROJECT_SOURCE_DIR}/installer/skin\""
  "FUZZ_REGRESSIONS_DIR=L\"${CMAKE_CURRENT_SOURCE_DIR}/fuzz_regressions\"")
# Figures, not pass/fail: run by hand.
add_executable(bench_resource bench_resource.cpp)
target_link_libraries(bench_resource PRIVATE veneer ZLIB::ZLIB)
pavonel_add_test(markup_skin_test SOURCES markup_skin_test.cpp LIBS veneer GUI)
target_compile_definitions(markup_skin_test PRIVATE "SKIN_SOURCE_DIR=L\"${PROJECT_SOURCE_DIR}/installer/skin\"")
