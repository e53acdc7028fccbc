# Sanitizer builds: 'address' brings AddressSanitizer with UndefinedBehaviorSanitizer,
# 'thread' brings ThreadSanitizer.
if(VYRTAL_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(VYRTAL_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT VYRTAL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "VYRTAL_SANITIZE must be empty, 'address' or 'thread'")
endif()
