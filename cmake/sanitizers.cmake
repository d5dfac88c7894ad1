# ASan + UBSan for the whole build; the test command turns it on.
if(SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# libFuzzer targets need clang; they are skipped with other compilers.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(FUZZING_AVAILABLE ON)
else()
  set(FUZZING_AVAILABLE OFF)
endif()
