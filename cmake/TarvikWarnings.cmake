# Warning flags for every target of the project; errors in CI and by default.
function(tarvik_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                         -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
                         -Wimplicit-fallthrough)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 at -O2/-O3 reports "overlapping memcpy" inside libstdc++'s
    # literal + std::string operator (a known false positive of that release).
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(TARVIK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
