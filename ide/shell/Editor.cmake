# The source editor. Its rules (loading and saving text, caret column, indent, the
# lexer behind colours, matching and completion) are Qt Core only and built in every
# configuration; the document and view need the widgets.
add_library(velmora_editor_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/SourceText.cpp ${CMAKE_CURRENT_LIST_DIR}/SourceText.h
    ${CMAKE_CURRENT_LIST_DIR}/SourceLexer.cpp ${CMAKE_CURRENT_LIST_DIR}/SourceLexer.h
    ${CMAKE_CURRENT_LIST_DIR}/SourceMatch.cpp ${CMAKE_CURRENT_LIST_DIR}/SourceMatch.h
    ${CMAKE_CURRENT_LIST_DIR}/CompletionWords.cpp ${CMAKE_CURRENT_LIST_DIR}/CompletionWords.h
    ${CMAKE_CURRENT_LIST_DIR}/EditorEntries.cpp ${CMAKE_CURRENT_LIST_DIR}/EditorEntries.h)
target_link_libraries(velmora_editor_core PUBLIC Qt6::Core PRIVATE entrytable)
target_include_directories(velmora_editor_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})

if(VELMORA_GUI)
    add_library(velmora_editor STATIC
        ${CMAKE_CURRENT_LIST_DIR}/EditorFont.cpp ${CMAKE_CURRENT_LIST_DIR}/EditorFont.h
        ${CMAKE_CURRENT_LIST_DIR}/SourceDocument.cpp ${CMAKE_CURRENT_LIST_DIR}/SourceDocument.h
        ${CMAKE_CURRENT_LIST_DIR}/SourceEditView.cpp ${CMAKE_CURRENT_LIST_DIR}/SourceEditView.h
        ${CMAKE_CURRENT_LIST_DIR}/SourceFindDialog.cpp
        ${CMAKE_CURRENT_LIST_DIR}/SourceFindDialog.h
        ${CMAKE_CURRENT_LIST_DIR}/SourceHighlighter.cpp
        ${CMAKE_CURRENT_LIST_DIR}/SourceHighlighter.h)
    target_link_libraries(velmora_editor PUBLIC velmora_editor_core velmora_project Qt6::Widgets)
endif()
