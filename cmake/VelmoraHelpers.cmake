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
