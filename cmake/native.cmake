# Host build: the core and its unit tests, under AddressSanitizer and UndefinedBehaviorSanitizer.
option(BC_SANITIZE "Build with ASan and UBSan" ON)
if(BC_SANITIZE)
    set(BC_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(bc_core PUBLIC ${BC_SAN_FLAGS})
    target_link_options(bc_core PUBLIC ${BC_SAN_FLAGS})
endif()

find_package(GTest REQUIRED)
file(GLOB BC_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${BC_UNIT_TESTS})
target_link_libraries(unit_tests PRIVATE bc_core GTest::gtest GTest::gtest_main)
target_compile_options(unit_tests PRIVATE ${BC_WARNINGS})
