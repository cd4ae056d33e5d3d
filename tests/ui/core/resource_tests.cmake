# Resource access, markup and language packages.
pavonel_add_test(resource_zip_test SOURCES resource_zip_test.cpp LIBS veneer ZLIB::ZLIB)
pavonel_add_test(resource_location_test SOURCES resource_location_test.cpp LIBS veneer ZLIB::ZLIB)
