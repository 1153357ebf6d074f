# The language settings every Pelorin build shares: the program's own build,
# and the benchmark and fuzz projects that compile its libraries again.
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
