add_library(turfwing_warnings INTERFACE)
target_compile_options(turfwing_warnings INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough>
  $<$<CXX_COMPILER_ID:MSVC>:/W4 /utf-8 /permissive->)
