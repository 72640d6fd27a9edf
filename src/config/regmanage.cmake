# The registry helper: per-user window-layout values on QSettings (QtCore only).
add_library(tarvik_reg STATIC ${CMAKE_CURRENT_LIST_DIR}/regmanage.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/regmanage.h)
target_include_directories(tarvik_reg PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(tarvik_reg PUBLIC Qt6::Core)
tarvik_warnings(tarvik_reg)
