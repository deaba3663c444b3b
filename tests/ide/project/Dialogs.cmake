# The project dialogs: their rules in every build, the dialogs and the project window's
# commands offscreen with the widgets.
velmora_add_test(NAME dialogs_model SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs_model.cpp
                 LIBS velmora_project_dialogs_model)
target_include_directories(dialogs_model PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)

if(VELMORA_GUI)
    velmora_add_test(NAME dialogs_widgets SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs_widgets.cpp
                     LIBS velmora_project_dialogs Qt6::Test LABELS gui)
    target_include_directories(dialogs_widgets PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
endif()

# The project window and its commands in the running program.
if(VELMORA_GUI AND TARGET velmora_shell)
    velmora_add_test(NAME dialogs_project_window
                     SOURCES ${CMAKE_CURRENT_LIST_DIR}/dialogs_project_window.cpp
                     LIBS velmora_shell Qt6::Test LABELS gui)
    target_include_directories(dialogs_project_window PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..
                               ${CMAKE_CURRENT_LIST_DIR}/../shell)
endif()
