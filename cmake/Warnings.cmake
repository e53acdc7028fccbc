# Warnings for every target of the project, and float results that do not
# depend on the compiler contracting multiplies and adds.
add_compile_options(-Wall -Wextra -ffp-contract=off)
if(VYRTAL_WERROR)
  add_compile_options(-Werror)
endif()
