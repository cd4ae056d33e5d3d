# Third-party libraries: built by tools/setup.sh into PAVONEL_DEPS_PREFIX (or provided by vcpkg on MSVC).
find_package(CURL CONFIG REQUIRED)
find_package(jsoncpp CONFIG REQUIRED)
find_package(pugixml CONFIG REQUIRED)
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

if(NOT TARGET JsonCpp::JsonCpp)
  add_library(JsonCpp::JsonCpp INTERFACE IMPORTED)
  target_link_libraries(JsonCpp::JsonCpp INTERFACE jsoncpp_static)
endif()
# The installer reads the address reply through the classic Reader interface, which newer
# jsoncpp marks deprecated; keep it quiet rather than drown real warnings.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set_property(TARGET JsonCpp::JsonCpp APPEND PROPERTY INTERFACE_COMPILE_OPTIONS -Wno-deprecated-declarations)
endif()

# curl is linked statically.
set_property(TARGET CURL::libcurl APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS CURL_STATICLIB)

# Single-header libraries: stb_image and nanosvg.
find_path(PAVONEL_STB_INCLUDE stb_image.h REQUIRED)
find_path(PAVONEL_NANOSVG_INCLUDE nanosvgrast.h REQUIRED)
add_library(pavonel_headers INTERFACE)
add_library(pavonel::headers ALIAS pavonel_headers)
target_include_directories(pavonel_headers SYSTEM INTERFACE ${PAVONEL_STB_INCLUDE} ${PAVONEL_NANOSVG_INCLUDE})
