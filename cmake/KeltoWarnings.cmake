# Every target of ours calls kelto_target_defaults() so that warning and
# sanitizer flags are the same everywhere without leaking into third-party code.
function(kelto_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(KELTO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(KELTO_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
