# Our own targets build warning-free at -Wall -Wextra; the SDK is included as a SYSTEM directory.
function(grundmoor_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
