# The build the program ships with, unless another is asked for. The warnings
# come with the pelorin_warnings target (warnings.cmake).
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()
