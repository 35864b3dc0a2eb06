# Warnings are errors on our own targets only; third-party code keeps its own flags.
function(quill_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wimplicit-fallthrough -Werror)
  endif()
endfunction()
