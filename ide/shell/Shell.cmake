# The application shell: frame, documents and views, commands, dialogs, start-up. All
# of it lives in the library velmora_shell, which the tests link; the program velmora
# is main.cpp over it.
find_package(X11 QUIET)

add_library(velmora_shell STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandManager.cpp ${CMAKE_CURRENT_LIST_DIR}/CommandManager.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandMap.h
    ${CMAKE_CURRENT_LIST_DIR}/DocTemplate.cpp ${CMAKE_CURRENT_LIST_DIR}/DocTemplate.h
    ${CMAKE_CURRENT_LIST_DIR}/EditSettingDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/EditSettingDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.h
    ${CMAKE_CURRENT_LIST_DIR}/LockKeys.cpp ${CMAKE_CURRENT_LIST_DIR}/LockKeys.h
    ${CMAKE_CURRENT_LIST_DIR}/MachineInfo.cpp ${CMAKE_CURRENT_LIST_DIR}/MachineInfo.h
    ${CMAKE_CURRENT_LIST_DIR}/MainFrame.cpp ${CMAKE_CURRENT_LIST_DIR}/MainFrame.h
    ${CMAKE_CURRENT_LIST_DIR}/ProgramSettingsDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgramSettingsDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/ProjectEditView.cpp ${CMAKE_CURRENT_LIST_DIR}/ProjectEditView.h
    ${CMAKE_CURRENT_LIST_DIR}/QtPrompt.cpp ${CMAKE_CURRENT_LIST_DIR}/QtPrompt.h
    ${CMAKE_CURRENT_LIST_DIR}/RecentFileList.cpp ${CMAKE_CURRENT_LIST_DIR}/RecentFileList.h
    ${CMAKE_CURRENT_LIST_DIR}/SplashDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/SplashDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/StartupChecks.cpp ${CMAKE_CURRENT_LIST_DIR}/StartupChecks.h
    ${CMAKE_CURRENT_LIST_DIR}/TipDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/TipDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/Tips.cpp ${CMAKE_CURRENT_LIST_DIR}/Tips.h
    ${CMAKE_CURRENT_LIST_DIR}/TitleMarker.h
    ${CMAKE_CURRENT_LIST_DIR}/VelmoraApp.cpp ${CMAKE_CURRENT_LIST_DIR}/VelmoraApp.h
    ${CMAKE_CURRENT_LIST_DIR}/ViewAdapter.h
    ${PROJECT_SOURCE_DIR}/ide/res/CommandIds.h
    ${PROJECT_SOURCE_DIR}/ide/res/CommandTable.cpp ${PROJECT_SOURCE_DIR}/ide/res/CommandTable.h
    ${PROJECT_SOURCE_DIR}/ide/res/velmora.qrc)
target_include_directories(velmora_shell PUBLIC ${CMAKE_CURRENT_LIST_DIR}
                           ${PROJECT_SOURCE_DIR}/ide/res)
target_link_libraries(velmora_shell PUBLIC velmora_options velmora_project velmora_res
                      velmora_editor velmora_messages velmora_build_gui
                      Qt6::Widgets Qt6::PrintSupport)
if(X11_FOUND)
    target_compile_definitions(velmora_shell PRIVATE VELMORA_HAVE_X11)
    target_link_libraries(velmora_shell PRIVATE X11::X11)
endif()

add_executable(velmora ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(velmora PRIVATE velmora_shell velmora_build)

# DefaultDir's default for a program run from the build tree.
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Projects)
