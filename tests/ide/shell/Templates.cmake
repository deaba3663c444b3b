# The source templates: commands, the Edit Templates dialog and the shipped files.
velmora_add_test(NAME templates_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/templates_commands.cpp
                 LIBS velmora_shell Qt6::Test LABELS gui
                 ENV VELMORA_TEMPLATE_DIR=${VELMORA_TEMPLATE_DIR})
target_include_directories(templates_commands PRIVATE ${CMAKE_CURRENT_LIST_DIR}
                           ${CMAKE_CURRENT_LIST_DIR}/..)
