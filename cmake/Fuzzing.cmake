# Fuzz build: every library of the project carries libFuzzer's coverage
# instrumentation, and tests/fuzz adds the fuzz targets, which link the
# libFuzzer driver. Needs clang; meant together with VYRTAL_SANITIZE=address.
if(VYRTAL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VYRTAL_FUZZ needs clang (CXX=clang++-14)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
