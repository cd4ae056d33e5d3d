# Compiler settings shared by every target: a Unicode Windows build, warnings on,
# and fully static executables so a .exe needs nothing beside it.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wall -Wextra)
  add_link_options(-static -static-libgcc -static-libstdc++)
elseif(MSVC)
  add_compile_options(/W4 /utf-8)
endif()
