# Compiler settings shared by every target: a Unicode Windows build, warnings on,
# and fully static executables so a .exe needs nothing beside it.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wall -Wextra)
  add_link_options(-static -static-libgcc -static-libstdc++)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # Window and message data must stay pointer-sized: a cast that narrows a pointer or widens a narrowed
    # integer back into one only shows up on 64-bit.
    add_compile_options(-Werror=int-to-pointer-cast $<$<COMPILE_LANGUAGE:C>:-Werror=pointer-to-int-cast>)
  endif()
elseif(MSVC)
  add_compile_options(/W4 /utf-8)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_compile_options(/we4311 /we4312 /we4302)
  endif()
endif()

# Compiler output is cached across build folders and clones: paths below the source folder are hashed
# relative to it, so a fresh checkout reuses what an earlier one compiled.
find_program(PAVONEL_CCACHE ccache)
if(PAVONEL_CCACHE)
  foreach(_lang C CXX)
    set(CMAKE_${_lang}_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
        CCACHE_NOHASHDIR=1 ${PAVONEL_CCACHE})
  endforeach()
endif()
