# Shared by both mingw-w64 toolchains. The -posix compilers give std::mutex,
# which GoogleTest needs; everything is linked statically so that binaries
# import Windows system DLLs only.
set(CMAKE_C_COMPILER ${ZEPHRIN_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEPHRIN_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEPHRIN_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${ZEPHRIN_TRIPLET}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${ZEPHRIN_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
