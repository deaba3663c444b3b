# The application shell's widget tests: offscreen, settings in a temporary folder, every
# message box answered by the prompt recorder.
foreach(name shell_commands shell_startup shell_app shell_dialogs shell_documents)
    velmora_add_test(NAME ${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp
                     LIBS velmora_shell Qt6::Test LABELS gui)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR}
                               ${CMAKE_CURRENT_LIST_DIR}/..)
endforeach()

# The real program on a virtual X display.
find_package(X11 QUIET)
find_program(XVFB_RUN xvfb-run)
if(X11_FOUND AND XVFB_RUN)
    velmora_add_test(NAME shell_xvfb_start
                     SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_xvfb_start.cpp
                     LIBS Qt6::Core X11::X11 LABELS gui xvfb)
    target_compile_definitions(shell_xvfb_start PRIVATE
                               VELMORA_BINARY="$<TARGET_FILE:velmora>")
    add_dependencies(shell_xvfb_start velmora)
endif()

# An install into a temporary prefix (after the whole tree is built).
velmora_add_test(NAME shell_install SOURCES ${CMAKE_CURRENT_LIST_DIR}/shell_install.cpp
                 LIBS Qt6::Core LABELS gui install)
target_compile_definitions(shell_install PRIVATE VELMORA_BUILD_DIR="${PROJECT_BINARY_DIR}"
                           CMAKE_COMMAND="${CMAKE_COMMAND}")
