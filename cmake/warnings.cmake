# Project-wide warning set; WERROR turns them into errors (CI does).
add_compile_options(-Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wformat=2 -Wno-unused-parameter)
if(WERROR)
  add_compile_options(-Werror)
endif()
