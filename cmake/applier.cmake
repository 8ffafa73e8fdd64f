# The applier scripts\brightness.exe and its test builds. Included by windows.cmake.
# Its shell stands on bc_core alone: nothing of the utility's window code comes along.

file(GLOB BC_APPLIER_SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/applier/win32/*.cpp)
# The entry point and the real back ends' factory: the test builds bring their own factory.
list(FILTER BC_APPLIER_SHELL_SOURCES EXCLUDE REGEX "/(main|back_ends)\\.cpp$")
add_library(bc_applier_shell STATIC ${BC_APPLIER_SHELL_SOURCES})
target_link_libraries(bc_applier_shell PUBLIC bc_core ole32 oleaut32 wbemuuid dxva2 user32 kernel32)
target_compile_options(bc_applier_shell PRIVATE ${BC_WARNINGS})

# Console subsystem: started through the hidden command interpreter, so no window shows.
add_executable(brightness
    ${CMAKE_SOURCE_DIR}/src/applier/win32/main.cpp
    ${CMAKE_SOURCE_DIR}/src/applier/win32/back_ends.cpp
    ${CMAKE_SOURCE_DIR}/src/applier/win32/brightness.rc)
target_include_directories(brightness PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(brightness PRIVATE bc_applier_shell)
target_compile_options(brightness PRIVATE ${BC_WARNINGS})
target_link_options(brightness PRIVATE ${BC_STATIC_LINK} -municode -Wl,--gc-sections -s)

# The same program against recorded fake displays, for the cross-process tests.
add_executable(applier_recording_fake
    ${CMAKE_SOURCE_DIR}/src/applier/win32/main.cpp
    ${CMAKE_SOURCE_DIR}/tests/applier/recording_displays.cpp)
target_link_libraries(applier_recording_fake PRIVATE bc_applier_shell)
target_compile_options(applier_recording_fake PRIVATE ${BC_WARNINGS})
target_link_options(applier_recording_fake PRIVATE ${BC_STATIC_LINK} -municode)

# Starts scripts\brightness.exe below a folder the way the utility does, and waits for it.
add_executable(applier_launcher ${CMAKE_SOURCE_DIR}/tests/applier/applier_launcher.cpp)
target_link_libraries(applier_launcher PRIVATE bc_shell)
target_compile_options(applier_launcher PRIVATE ${BC_WARNINGS})
target_link_options(applier_launcher PRIVATE ${BC_STATIC_LINK} -municode)

# The applier's Win32 pieces under Wine (its own exe: wine_tests links the utility's shell).
file(GLOB BC_APPLIER_WINE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/applier/wine/*.cpp)
if(BC_APPLIER_WINE_TESTS)
    add_executable(applier_wine_tests ${BC_APPLIER_WINE_TESTS})
    target_link_libraries(applier_wine_tests PRIVATE bc_applier_shell gtest gtest_main)
    target_compile_options(applier_wine_tests PRIVATE ${BC_WARNINGS})
    target_link_options(applier_wine_tests PRIVATE ${BC_STATIC_LINK})
endif()
