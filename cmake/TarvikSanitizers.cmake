# Applies TARVIK_SANITIZE to everything built after this point.
if(TARVIK_SANITIZE)
  set(_san "-fsanitize=${TARVIK_SANITIZE}" -fno-omit-frame-pointer)
  if(TARVIK_SANITIZE MATCHES "undefined")
    list(APPEND _san -fno-sanitize-recover=undefined)
  endif()
  add_compile_options(${_san})
  add_link_options(${_san})
endif()
