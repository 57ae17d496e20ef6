# Warning flags shared by every target of the project.
add_library(orlo_warnings INTERFACE)
target_compile_options(orlo_warnings INTERFACE -Wall -Wextra -Wno-unused-parameter)
if(ORLO_WERROR)
    target_compile_options(orlo_warnings INTERFACE -Werror)
endif()
