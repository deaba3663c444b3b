# Menus with toolbar images: the rules and the event hook in every build, the menus
# themselves (measured, drawn and rendered offscreen) with the widgets.
velmora_add_test(NAME coolmenu_rules SOURCES ${CMAKE_CURRENT_LIST_DIR}/coolmenu_rules.cpp
                 LIBS velmora_coolmenu_rules)
if(TARGET velmora_shell)
    velmora_add_test(NAME coolmenu_menus SOURCES ${CMAKE_CURRENT_LIST_DIR}/coolmenu_menus.cpp
                     LIBS velmora_shell Qt6::Test LABELS gui)
    target_include_directories(coolmenu_menus PRIVATE ${CMAKE_CURRENT_LIST_DIR}
                               ${CMAKE_CURRENT_LIST_DIR}/..)
endif()
