# One line turns a test source into a GoogleTest executable and a CTest entry:
#   velmora_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS gui])
# Tests labelled "gui" need Qt Widgets and are left out of the sanitizer build.
include_guard(GLOBAL)
find_package(GTest REQUIRED)

function(velmora_add_test)
    cmake_parse_arguments(T "" "NAME;WORKING_DIRECTORY" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    if(NOT T_WORKING_DIRECTORY)
        set(T_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
    set(env "QT_QPA_PLATFORM=offscreen" ${T_ENV})
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()

# A libFuzzer target, built only with clang (VELMORA_FUZZ). CTest runs it once over
# its seed corpus, so every committed seed is checked on every test run.
#   velmora_add_fuzzer(NAME name SOURCES f.cpp CORPUS dir LIBS lib)
function(velmora_add_fuzzer)
    cmake_parse_arguments(F "" "NAME;CORPUS" "SOURCES;LIBS" ${ARGN})
    if(NOT VELMORA_FUZZ)
        return()
    endif()
    add_executable(${F_NAME} ${F_SOURCES})
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    add_test(NAME ${F_NAME}
             COMMAND ${F_NAME} -runs=0 -rss_limit_mb=2048 -timeout=10 ${F_CORPUS})
    set_tests_properties(${F_NAME} PROPERTIES LABELS fuzz TIMEOUT 600)
endfunction()

# The static library that holds a console tool's logic (the tests, the fuzz targets and
# the thin main link it): its folder is on the include path, and in the fuzzing build it
# is compiled for coverage feedback.
#   velmora_add_tool_library(NAME sasm_core SOURCES a.cpp a.h LIBS PUBLIC saturn_object)
function(velmora_add_tool_library)
    cmake_parse_arguments(L "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_library(${L_NAME} STATIC ${L_SOURCES})
    target_include_directories(${L_NAME} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    if(L_LIBS)
        target_link_libraries(${L_NAME} ${L_LIBS})
    endif()
    if(VELMORA_FUZZ)
        target_compile_options(${L_NAME} PRIVATE -fsanitize=fuzzer-no-link)
    endif()
endfunction()

# A console tool: an executable linked against Quorvex statically (through the libraries
# it names, which link quorvex_static, never the shared quorvex), so that a copy of it
# runs alone in any folder. With HPTOOLS it is also copied, at build and at install, into
# the tool location under that name, where Velmora runs it; INSTALL_BIN installs it as a
# program too. The tool is registered in the test console_tools_alone, which copies it
# alone into an empty folder and runs it there with an empty environment and CHECK_ARGS
# (none if not given), expecting the exit code CHECK_EXIT and CHECK_OUTPUT in its output.
#   velmora_add_console_tool(NAME sasm SOURCES main.cpp LIBS sasm_core HPTOOLS SASM.EXE
#                            CHECK_EXIT 1 CHECK_OUTPUT "Usage")
function(velmora_add_console_tool)
    cmake_parse_arguments(T "INSTALL_BIN" "NAME;HPTOOLS;CHECK_EXIT;CHECK_OUTPUT"
                          "SOURCES;LIBS;CHECK_ARGS" ${ARGN})
    if(NOT T_NAME OR NOT T_SOURCES OR "${T_CHECK_EXIT}" STREQUAL "" OR NOT T_CHECK_OUTPUT)
        message(FATAL_ERROR "velmora_add_console_tool needs NAME, SOURCES, CHECK_EXIT and "
                            "CHECK_OUTPUT")
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
    set(copy_name $<TARGET_FILE_NAME:${T_NAME}>)
    if(T_HPTOOLS)
        set(copy_name ${T_HPTOOLS})
        add_custom_command(TARGET ${T_NAME} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${T_NAME}>
                    ${VELMORA_TOOL_DIR}/${T_HPTOOLS}
            VERBATIM)
        install(PROGRAMS $<TARGET_FILE:${T_NAME}>
                DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora/HPTools RENAME ${T_HPTOOLS})
    endif()
    if(T_INSTALL_BIN)
        install(TARGETS ${T_NAME} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
    # One entry of the tools-alone check, as CMake code that the check includes.
    string(JOIN ";" args ${T_CHECK_ARGS})
    string(CONCAT entry
        "list(APPEND tools [==[${T_NAME}]==])\n"
        "set(${T_NAME}_file [==[$<TARGET_FILE:${T_NAME}>]==])\n"
        "set(${T_NAME}_copy [==[${copy_name}]==])\n"
        "set(${T_NAME}_args [==[${args}]==])\n"
        "set(${T_NAME}_exit [==[${T_CHECK_EXIT}]==])\n"
        "set(${T_NAME}_output [==[${T_CHECK_OUTPUT}]==])\n")
    set_property(GLOBAL APPEND_STRING PROPERTY VELMORA_CONSOLE_TOOLS "${entry}")
    set_property(GLOBAL APPEND PROPERTY VELMORA_CONSOLE_TOOL_TARGETS ${T_NAME})
endfunction()

# The test of every registered tool, written once all folders have added theirs.
function(velmora_write_console_tools_check)
    get_property(entries GLOBAL PROPERTY VELMORA_CONSOLE_TOOLS)
    if(NOT entries)
        return()
    endif()
    set(list_file ${PROJECT_BINARY_DIR}/console-tools-alone.cmake)
    file(GENERATE OUTPUT ${list_file} CONTENT "${entries}")
    add_test(NAME console_tools_alone
             COMMAND ${CMAKE_COMMAND} -DTOOL_LIST=${list_file}
                     -P ${PROJECT_SOURCE_DIR}/cmake/CheckToolsAlone.cmake)
    set_tests_properties(console_tools_alone PROPERTIES TIMEOUT 120)
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL velmora_write_console_tools_check)
