# Resource access, markup and language packages.
# Without a window: archives, resource locations, the resource manager, XML and language files.
pavonel_add_test(resource_test SOURCES resource_zip_test.cpp resource_location_test.cpp resource_manager_test.cpp
                 markup_xml_test.cpp lang_package_test.cpp LIBS veneer ZLIB::ZLIB)
# Markup built into controls: the builder, languages applied to controls, the installer's own skin.
pavonel_add_test(markup_test SOURCES markup_builder_test.cpp markup_builder_test.rc lang_controls_test.cpp
                 markup_skin_test.cpp LIBS veneer ZLIB::ZLIB GUI)
target_compile_definitions(markup_test PRIVATE "SKIN_SOURCE_DIR=L\"${PROJECT_SOURCE_DIR}/installer/skin\"")
pavonel_add_test(resource_robustness_test SOURCES resource_robustness_test.cpp LIBS veneer pavonel_core psapi GUI
                 TIMEOUT 300)
# The fuzz targets seed from the real skin and replay the inputs tools/fuzz.sh saved.
target_compile_definitions(resource_robustness_test PRIVATE
  "SKIN_SOURCE_DIR=L\"${PROJECT_SOURCE_DIR}/installer/skin\""
  "FUZZ_REGRESSIONS_DIR=L\"${CMAKE_CURRENT_SOURCE_DIR}/fuzz_regressions\"")
