# Flags for the code that goes into Zephrin.dll. The module uses neither C++
# exceptions nor run-time type information, and is built for size: a plug-in
# is loaded into every project that uses it. The mapping, which runs for
# every MIDI event, is built for speed (zephrin/filter/CMakeLists.txt).
function(zephrin_module_code target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>
      -Os -ffunction-sections -fdata-sections)
  elseif(MSVC)
    target_compile_options(${target} PRIVATE /EHs-c- /GR- /O1 /Gy)
  endif()
endfunction()
