# The project's warnings, on every target. NUMAROK_WERROR (on in CI: the scripts pass it
# when CI=true) turns them into errors.
option(NUMAROK_WERROR "Treat compiler warnings as errors" OFF)
add_compile_options(-Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wformat=2
                    -Wundef)
if(NUMAROK_WERROR)
  add_compile_options(-Werror)
endif()
