# Warning, sanitizer and fuzzing flags shared by every target of the tree.
add_compile_options(-Wall -Wextra)
if(ORVO_WERROR)
    add_compile_options(-Werror)
endif()

if(ORVO_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(ORVO_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT ORVO_SANITIZE STREQUAL "")
    message(FATAL_ERROR "ORVO_SANITIZE must be empty, 'address' or 'thread'")
endif()

if(ORVO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "ORVO_FUZZ needs clang (CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Adds a GoogleTest executable made of the given sources and registers its tests.
include(GoogleTest OPTIONAL)
function(orvo_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main
                                          GTest::gmock)
    target_compile_definitions(${name} PRIVATE
        ORVO_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}/tests"
        ORVO_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}"
        ORVO_STAGED_ROOT="${ORVO_STAGED_ROOT}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS "${ARG_LABELS}")
endfunction()

# One test executable per *Test.cpp file of the calling directory, named after the
# file, linked with the given libraries. Files named *Support.cpp are linked into each.
function(orvo_add_tests_in_directory prefix)
    cmake_parse_arguments(ARG "" "" "LIBRARIES;LABELS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
    file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Support.cpp)
    foreach(source ${tests})
        get_filename_component(name ${source} NAME_WE)
        orvo_add_test(${prefix}-${name} SOURCES ${source} ${support} LIBRARIES ${ARG_LIBRARIES}
                      LABELS ${ARG_LABELS})
    endforeach()
endfunction()
