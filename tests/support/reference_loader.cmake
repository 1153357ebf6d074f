# Defines pelorin_reference_loader, the word-for-word stream loop, for every
# build that holds the fast loader to it (the tests, the fuzz targets and the
# benchmarks). Needs the pelorin_data target.
add_library(pelorin_reference_loader STATIC ${CMAKE_CURRENT_LIST_DIR}/reference_loader.cpp)
target_include_directories(pelorin_reference_loader PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(pelorin_reference_loader PUBLIC pelorin_data PRIVATE pelorin_warnings)
