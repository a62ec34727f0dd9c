# Native Linux build: the simulated Windows, vtrsim, and the native tests.
find_package(nlohmann_json 3 REQUIRED)
find_package(GTest REQUIRED)

file(GLOB VTR_SIM_SOURCES CONFIGURE_DEPENDS src/sim/*.cpp)
add_library(vtrsimplatform STATIC ${VTR_SIM_SOURCES})
target_link_libraries(vtrsimplatform PUBLIC vtrcore nlohmann_json::nlohmann_json)
target_compile_definitions(vtrsimplatform PUBLIC ${VTR_EDITION_DEFINITION})

add_executable(vtrsim src/app/vtrsim_main.cpp)
target_link_libraries(vtrsim PRIVATE vtrsimplatform)

enable_testing()
file(GLOB VTR_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${VTR_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE vtrsimplatform GTest::gtest GTest::gtest_main)
# The guide's tables that a test compares with the program's own.
target_compile_definitions(unit_tests PRIVATE VTR_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(unit_tests)

# Each scenario file runs through vtrsim and its transcript is compared with the expected one.
add_test(NAME scenarios
  COMMAND ${CMAKE_SOURCE_DIR}/tests/scenarios/run.sh $<TARGET_FILE:vtrsim> ${CMAKE_SOURCE_DIR}/tests/scenarios)

# vtrsim as a command: its refusals of bad scenarios and the shape of what it writes.
add_test(NAME vtrsim_cli
  COMMAND ${CMAKE_SOURCE_DIR}/tests/scenarios/vtrsim_cli_test.sh $<TARGET_FILE:vtrsim>)

# The fuzz targets (preset fuzz, clang): the command line, the path and text rules, and the
# scenario reader with a whole run. tests/fuzz/run.sh runs them; see tests/README.md.
if(VTR_FUZZ)
  foreach(name command_line paths scenario)
    add_executable(fuzz_${name} tests/fuzz/${name}_fuzz.cpp)
    target_link_libraries(fuzz_${name} PRIVATE vtrsimplatform)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  endforeach()
endif()
