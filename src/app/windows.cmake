# The help and comments windows with the program's resources (help document,
# application icon), and what a screen reader learns of every window. Included from src/app/CMakeLists.txt.
add_library(zv_windows STATIC
  ${CMAKE_CURRENT_LIST_DIR}/help.cpp ${CMAKE_CURRENT_LIST_DIR}/help.h
  ${CMAKE_CURRENT_LIST_DIR}/comments.cpp ${CMAKE_CURRENT_LIST_DIR}/comments.h
  ${CMAKE_CURRENT_LIST_DIR}/accessiblevalues.cpp ${CMAKE_CURRENT_LIST_DIR}/accessiblevalues.h
  ${PROJECT_SOURCE_DIR}/resources/resources.qrc)
target_include_directories(zv_windows PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(zv_windows PUBLIC zv_universe Qt6::Widgets)
