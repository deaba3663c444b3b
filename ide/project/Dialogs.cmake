# The project dialogs. What they decide (working copies, renaming, the sorted lists,
# the ROMID check) is Qt Core only and built everywhere; the dialogs need the widgets.
add_library(velmora_project_dialogs_model STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ProjectDialogsModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProjectDialogsModel.h)
target_link_libraries(velmora_project_dialogs_model PUBLIC velmora_project)

if(VELMORA_GUI)
    add_library(velmora_project_dialogs STATIC
        ${CMAKE_CURRENT_LIST_DIR}/ConfigListDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/ConfigListDlg.h
        ${CMAKE_CURRENT_LIST_DIR}/FilePropertiesDlg.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FilePropertiesDlg.h
        ${CMAKE_CURRENT_LIST_DIR}/ProjectSettingsDlg.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ProjectSettingsDlg.h)
    target_link_libraries(velmora_project_dialogs PUBLIC velmora_project_dialogs_model
                          Qt6::Widgets)
endif()
