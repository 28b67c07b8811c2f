# Warnings are errors in our own code; sanitizers on request.
function(vantrel_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(VANTREL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

if(VANTREL_SANITIZE)
  # Libraries linked into a sanitized executable must be built with the runtime too.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
