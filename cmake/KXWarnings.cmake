# Warnings for the project's own code only; dependencies' headers come in as system includes.
function(kx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
