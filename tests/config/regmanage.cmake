# The registry helper's test: QtCore only, settings in a private folder.
add_executable(tst_regmanage ${CMAKE_CURRENT_LIST_DIR}/tst_regmanage.cpp)
set_target_properties(tst_regmanage PROPERTIES AUTOMOC ON)
target_link_libraries(tst_regmanage PRIVATE tarvik_reg Qt6::Test)
tarvik_warnings(tst_regmanage)
add_test(NAME tst_regmanage COMMAND tst_regmanage)
set_tests_properties(tst_regmanage PROPERTIES LABELS config)
