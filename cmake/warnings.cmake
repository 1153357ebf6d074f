# pelorin_warnings: the warnings every target of ours is built with. Link it
# to each new target, privately, so that the flags reach only our own code:
#   target_link_libraries(my_target PRIVATE pelorin_warnings)
# The program, the benchmark and the fuzz projects all include this file.
if(NOT TARGET pelorin_warnings)
  add_library(pelorin_warnings INTERFACE)
  target_compile_options(pelorin_warnings INTERFACE -Wall -Wextra -Wshadow)
endif()
