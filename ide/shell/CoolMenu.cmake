# Menus with toolbar images and key names. The rules and the event hook are Qt Core only
# and built in every configuration; the manager and its menu style belong to the shell.
add_library(velmora_coolmenu_rules STATIC
    ${CMAKE_CURRENT_LIST_DIR}/CoolMenuRules.cpp ${CMAKE_CURRENT_LIST_DIR}/CoolMenuRules.h
    ${CMAKE_CURRENT_LIST_DIR}/SubclassWnd.cpp ${CMAKE_CURRENT_LIST_DIR}/SubclassWnd.h)
target_link_libraries(velmora_coolmenu_rules PUBLIC Qt6::Core)
target_include_directories(velmora_coolmenu_rules PUBLIC ${CMAKE_CURRENT_LIST_DIR})

if(TARGET velmora_shell)
    target_sources(velmora_shell PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/CoolMenu.cpp ${CMAKE_CURRENT_LIST_DIR}/CoolMenu.h
        ${CMAKE_CURRENT_LIST_DIR}/MenuStyle.cpp ${CMAKE_CURRENT_LIST_DIR}/MenuStyle.h)
    target_link_libraries(velmora_shell PUBLIC velmora_coolmenu_rules)
endif()
