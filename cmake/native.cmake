# Native (Linux) build: the core and its unit tests.
find_package(GTest REQUIRED)
enable_testing()
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit)
target_link_libraries(unit_tests PRIVATE vantrel_core GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(unit_tests)
