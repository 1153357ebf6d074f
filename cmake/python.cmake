# Whether the pelorin Python module can be built: Python's headers and
# pybind11 (Debian's python3-dev and pybind11-dev). Sets PELORIN_PYTHON_FOUND
# and Python_EXECUTABLE, the interpreter the module is built for and its
# tests run with.
set(PELORIN_PYTHON_FOUND OFF)
# Where the package is put together: pip's build gives its own folder.
set(PELORIN_PYTHON_PACKAGE_DIR ${CMAKE_BINARY_DIR}/python/pelorin CACHE PATH "Where the pelorin package is built")
# numpy and pytest come from Debian's packages, for Debian's interpreter:
# another python3 first on the PATH (a version manager's) may have neither.
if(NOT Python_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python_EXECUTABLE /usr/bin/python3)
endif()
find_package(Python 3 COMPONENTS Interpreter Development.Module QUIET)
if(Python_FOUND)
  set(PYBIND11_FINDPYTHON ON)
  find_package(pybind11 CONFIG QUIET)
endif()
if(Python_FOUND AND pybind11_FOUND)
  set(PELORIN_PYTHON_FOUND ON)
  message(STATUS "Python module: built for ${Python_EXECUTABLE} (pybind11 ${pybind11_VERSION})")
elseif(NOT Python_FOUND)
  message(STATUS "Python module: not built, no Python with its headers found (python3-dev)")
else()
  message(STATUS "Python module: not built, pybind11 not found (pybind11-dev)")
endif()
