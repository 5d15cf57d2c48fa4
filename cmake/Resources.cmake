# Resource scripts, compiled by windres through a .res file so that the
# control class names in dialog templates keep their case. A module's
# resources go in an object library: in a static library they would be
# dropped by the linker, since nothing refers to them by symbol.
enable_language(RC)
if(CMAKE_RC_COMPILER MATCHES "windres")
  find_program(PERL_EXECUTABLE perl REQUIRED)
  set(CMAKE_RC_COMPILE_OBJECT
      "<CMAKE_RC_COMPILER> -O res <DEFINES> <INCLUDES> <FLAGS> <SOURCE> <OBJECT>.res"
      "${PERL_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/windres-class-case.pl <OBJECT>.res"
      "<CMAKE_RC_COMPILER> -J res -O coff <OBJECT>.res <OBJECT>")
endif()
