# The application shell's widget tests: offscreen, settings in a temporary folder, every
# message box answered by the prompt recorder.
foreach(name shell_commands shell_startup shell_app shell_dialogs)
    velmora_add_test(NAME ${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp
                     LIBS velmora_shell Qt6::Test LABELS gui)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_LIST_DIR}
                               ${CMAKE_CURRENT_LIST_DIR}/..)
endforeach()
