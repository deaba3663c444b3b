# The program options table: no window, settings in a temporary folder.
velmora_add_test(NAME ide_options_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/options_tests.cpp
    LIBS velmora_options)
