velmora_add_test(NAME editor_text SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_text.cpp
                 LIBS velmora_editor_core)
if(VELMORA_GUI)
    velmora_add_test(NAME source_document
                     SOURCES ${CMAKE_CURRENT_LIST_DIR}/source_document.cpp
                     LIBS velmora_editor Qt6::Test LABELS gui)
    velmora_add_test(NAME source_edit_view
                     SOURCES ${CMAKE_CURRENT_LIST_DIR}/source_edit_view.cpp
                     LIBS velmora_editor Qt6::Test LABELS gui)
    # The prompt recorder is shared by all the IDE's tests.
    target_include_directories(source_document PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
    target_include_directories(source_edit_view PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
endif()
velmora_add_fuzzer(NAME editor_text_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/editor_text_fuzz.cpp
                   CORPUS ${CMAKE_CURRENT_LIST_DIR}/editor_corpus LIBS velmora_editor_core)
# The editor and the messages inside the running program.
if(VELMORA_GUI AND TARGET velmora_shell)
    velmora_add_test(NAME source_in_frame SOURCES ${CMAKE_CURRENT_LIST_DIR}/source_in_frame.cpp
                     LIBS velmora_shell Qt6::Test LABELS gui)
    target_include_directories(source_in_frame PRIVATE ${CMAKE_CURRENT_LIST_DIR}
                               ${CMAKE_CURRENT_LIST_DIR}/..)
endif()
# The lexer, matching and completion words of the editor.
velmora_add_test(NAME source_syntax SOURCES ${CMAKE_CURRENT_LIST_DIR}/source_syntax.cpp
                 LIBS velmora_editor_core)
velmora_add_fuzzer(NAME source_syntax_fuzz SOURCES ${CMAKE_CURRENT_LIST_DIR}/source_syntax_fuzz.cpp
                   CORPUS ${CMAKE_CURRENT_LIST_DIR}/syntax_corpus LIBS velmora_editor_core)
