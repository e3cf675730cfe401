# velmora_add_library(NAME [DEPS lib...]): the static library velmora_NAME from every .cpp
# file of the calling folder. Headers are included as "subsystem/Header.h".
function(velmora_add_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_library(velmora_${name} STATIC ${srcs})
    target_include_directories(velmora_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(velmora_${name} PUBLIC ${ARG_DEPS})
endfunction()

# velmora_add_test_suite(NAME [DEPS lib...]): one GoogleTest executable from the .cpp files of
# the calling folder, registered test by test with CTest.
function(velmora_add_test_suite name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(velmora_${name}_tests ${srcs})
    target_link_libraries(velmora_${name}_tests PRIVATE ${ARG_DEPS} velmora_testsupport
                          GTest::gtest_main GTest::gmock)
    gtest_discover_tests(velmora_${name}_tests DISCOVERY_TIMEOUT 120
                         PROPERTIES ENVIRONMENT "VELMORA_TESTDATA=${PROJECT_SOURCE_DIR}/tests/data")
endfunction()
