# Windows builds (mingw-w64): the shipped SetupVTR.exe, then what the Wine tests need beside it.
include(${CMAKE_SOURCE_DIR}/src/app/setupvtr.cmake)
add_subdirectory(${CMAKE_SOURCE_DIR}/packaging ${CMAKE_BINARY_DIR}/packaging)
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/wine ${CMAKE_BINARY_DIR}/tests/wine)
add_subdirectory(${CMAKE_SOURCE_DIR}/bench ${CMAKE_BINARY_DIR}/bench)
