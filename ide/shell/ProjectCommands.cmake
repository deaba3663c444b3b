# The project commands of the frame and of the project window belong to the shell.
if(TARGET velmora_shell)
    target_sources(velmora_shell PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/ProjectCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/ProjectCommands.h)
    target_link_libraries(velmora_shell PUBLIC velmora_project_dialogs)
endif()
