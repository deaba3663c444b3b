# The source templates. The three shipped template files go into the build's
# Templates/ folder beside the program (the default template location) and are
# installed with the tool files; the template commands and their dialog belong to the
# shell.
foreach(file SysRPL.s POL.s CodeBlock.s)
    configure_file(${PROJECT_SOURCE_DIR}/ide/res/templates/${file} ${VELMORA_TEMPLATE_DIR}/${file}
                   COPYONLY)
    install(FILES ${PROJECT_SOURCE_DIR}/ide/res/templates/${file}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora/Templates)
endforeach()

if(TARGET velmora_shell)
    target_sources(velmora_shell PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/TemplateCommands.cpp ${CMAKE_CURRENT_LIST_DIR}/TemplateCommands.h
        ${CMAKE_CURRENT_LIST_DIR}/TemplateEditDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/TemplateEditDlg.h)
endif()
