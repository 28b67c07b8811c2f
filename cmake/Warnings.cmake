# Warnings in our own code; errors with VANTREL_WERROR (the test command and
# CI turn it on, packagers need not).
function(vantrel_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(VANTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(VANTREL_SANITIZE)
  # Every object of a sanitized program, ours or a test's, is built with the
  # runtime.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
