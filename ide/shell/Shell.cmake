# The application shell: frame, documents and views, commands, dialogs, start-up. All
# of it lives in the library velmora_shell, which the tests link; the program velmora
# is main.cpp over it.
find_package(X11 QUIET)

add_library(velmora_shell STATIC
    ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandManager.cpp ${CMAKE_CURRENT_LIST_DIR}/CommandManager.h
    ${CMAKE_CURRENT_LIST_DIR}/CommandMap.h
    ${CMAKE_CURRENT_LIST_DIR}/DiskChangeWatcher.cpp ${CMAKE_CURRENT_LIST_DIR}/DiskChangeWatcher.h
    ${CMAKE_CURRENT_LIST_DIR}/DocTemplate.cpp ${CMAKE_CURRENT_LIST_DIR}/DocTemplate.h
    ${CMAKE_CURRENT_LIST_DIR}/EditSettingDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/EditSettingDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.h
    ${CMAKE_CURRENT_LIST_DIR}/LockKeys.cpp ${CMAKE_CURRENT_LIST_DIR}/LockKeys.h
    ${CMAKE_CURRENT_LIST_DIR}/MachineInfo.cpp ${CMAKE_CURRENT_LIST_DIR}/MachineInfo.h
    ${CMAKE_CURRENT_LIST_DIR}/MainFrame.cpp ${CMAKE_CURRENT_LIST_DIR}/MainFrame.h
    ${CMAKE_CURRENT_LIST_DIR}/OptionChecks.cpp ${CMAKE_CURRENT_LIST_DIR}/OptionChecks.h
    ${CMAKE_CURRENT_LIST_DIR}/PrintFiles.cpp ${CMAKE_CURRENT_LIST_DIR}/PrintFiles.h
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
    ${CMAKE_CURRENT_LIST_DIR}/WindowState.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowState.h
    ${PROJECT_SOURCE_DIR}/ide/res/CommandIds.h
    ${PROJECT_SOURCE_DIR}/ide/res/CommandTable.cpp ${PROJECT_SOURCE_DIR}/ide/res/CommandTable.h
    ${PROJECT_SOURCE_DIR}/ide/res/velmora.qrc)
target_include_directories(velmora_shell PUBLIC ${CMAKE_CURRENT_LIST_DIR}
                           ${PROJECT_SOURCE_DIR}/ide/res)
target_link_libraries(velmora_shell PUBLIC velmora_options velmora_examples velmora_project velmora_res
                      velmora_editor velmora_messages velmora_build_gui velmora_link_gui
                      Qt6::Widgets Qt6::PrintSupport)
if(X11_FOUND)
    target_compile_definitions(velmora_shell PRIVATE VELMORA_HAVE_X11)
    target_link_libraries(velmora_shell PRIVATE X11::X11)
endif()

add_executable(velmora ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(velmora PRIVATE velmora_shell velmora_build velmora_cmdline)

# DefaultDir's default for a program run from the build tree.
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Projects)

# Installation. The program folder <prefix>/libexec/velmora holds velmora with the tool
# location HPTools/ and the Templates/ and Examples/ folders beside it (links to where
# they are installed, <prefix>/share/velmora), so that the defaults built from the program's
# folder work; <prefix>/bin/velmora links to the program. The desktop file and the MIME
# types let the desktop open .hpr projects and .s sources with Velmora.
set(VELMORA_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/velmora)
set(VELMORA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/velmora)
install(TARGETS velmora RUNTIME DESTINATION ${VELMORA_PROGRAM_DIR})
file(RELATIVE_PATH velmora_bin_link /p/${CMAKE_INSTALL_BINDIR} /p/${VELMORA_PROGRAM_DIR}/velmora)
file(RELATIVE_PATH velmora_data_link /p/${VELMORA_PROGRAM_DIR} /p/${VELMORA_DATA_DIR})
install(CODE "
    set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(MAKE_DIRECTORY \"\${root}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"${velmora_bin_link}\" \"\${root}/${CMAKE_INSTALL_BINDIR}/velmora\"
         SYMBOLIC)
    foreach(folder HPTools Templates Examples)
        file(MAKE_DIRECTORY \"\${root}/${VELMORA_DATA_DIR}/\${folder}\")
        file(CREATE_LINK \"${velmora_data_link}/\${folder}\"
             \"\${root}/${VELMORA_PROGRAM_DIR}/\${folder}\" SYMBOLIC)
    endforeach()
")
install(FILES ${PROJECT_SOURCE_DIR}/ide/res/desktop/velmora.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/ide/res/desktop/velmora-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME velmora.xml)
foreach(size 16 32 48 64 128)
    install(FILES ${PROJECT_SOURCE_DIR}/ide/res/images/app/velmora-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME velmora.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/ide/res/images/app/project-48.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/mimetypes
        RENAME application-x-velmora-project.png)
install(FILES ${PROJECT_SOURCE_DIR}/ide/res/images/app/source-48.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/mimetypes
        RENAME text-x-velmora-source.png)
install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
