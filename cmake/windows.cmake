# Windows build: the utility, its Win32 shell, the Wine-run tests and their helper programs.
enable_language(RC)

set(BC_WIN_DEFS UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# One self-contained exe: the C and C++ runtimes are linked in, no MinGW DLLs travel with it.
set(BC_STATIC_LINK -static -static-libgcc -static-libstdc++)
target_compile_definitions(bc_core PUBLIC ${BC_WIN_DEFS})
target_compile_options(bc_core PUBLIC -ffunction-sections -fdata-sections)

configure_file(${CMAKE_SOURCE_DIR}/res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

# The utility's Win32 shell without its entry point, so the Wine tests can drive it.
file(GLOB BC_SHELL_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/src/win32/*.cpp
    ${CMAKE_SOURCE_DIR}/src/app/win32/*.cpp
    ${CMAKE_SOURCE_DIR}/src/brightness/win32/*.cpp
    ${CMAKE_SOURCE_DIR}/src/hotkeys/win32/*.cpp)
list(FILTER BC_SHELL_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(bc_shell STATIC ${BC_SHELL_SOURCES})
target_link_libraries(bc_shell PUBLIC bc_core comctl32 gdi32 user32 kernel32 msimg32)
target_include_directories(bc_shell PUBLIC ${CMAKE_SOURCE_DIR}/res)
target_compile_options(bc_shell PRIVATE ${BC_WARNINGS})

add_executable(brightness-control WIN32
    ${CMAKE_SOURCE_DIR}/src/app/win32/main.cpp
    ${CMAKE_SOURCE_DIR}/res/brightness-control.rc)
# windres does not report what the script pulls in, so name it for the rebuild.
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/brightness-control.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/hamster.ico;${CMAKE_SOURCE_DIR}/res/brightness-control.manifest;${CMAKE_SOURCE_DIR}/res/resource_ids.h")
target_include_directories(brightness-control PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(brightness-control PRIVATE bc_shell)
target_compile_options(brightness-control PRIVATE ${BC_WARNINGS})
target_link_options(brightness-control PRIVATE ${BC_STATIC_LINK} -municode -Wl,--gc-sections -s)

if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/applier.cmake)
    include(${CMAKE_SOURCE_DIR}/cmake/applier.cmake)
endif()

# GoogleTest from Debian's source package, cross-compiled for the Wine tier.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)



file(GLOB BC_WINE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/wine/*.cpp)
if(BC_WINE_TESTS)
    add_executable(wine_tests ${BC_WINE_TESTS})
    target_link_libraries(wine_tests PRIVATE bc_shell gtest gtest_main)
    target_compile_options(wine_tests PRIVATE ${BC_WARNINGS})
    target_link_options(wine_tests PRIVATE ${BC_STATIC_LINK})
endif()

# Small programs the end-to-end tests and benchmarks use: one .cpp, one exe.
file(GLOB BC_TEST_PROGRAMS CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/tests/e2e/programs/*.cpp ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(source ${BC_TEST_PROGRAMS})
    get_filename_component(name ${source} NAME_WE)
    if(name MATCHES "^gui_")
        add_executable(${name} WIN32 ${source})
    else()
        add_executable(${name} ${source})
    endif()
    target_link_libraries(${name} PRIVATE bc_shell psapi)
    target_compile_options(${name} PRIVATE ${BC_WARNINGS})
    target_link_options(${name} PRIVATE ${BC_STATIC_LINK} -municode)
endforeach()
