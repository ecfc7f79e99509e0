# The tray icon with its language menu, shared by the application and its tests.
add_library(quillane_tray STATIC
    ${CMAKE_CURRENT_LIST_DIR}/systemtrayicon.cpp ${CMAKE_CURRENT_LIST_DIR}/systemtrayicon.h)
set_target_properties(quillane_tray PROPERTIES AUTOMOC ON)
target_include_directories(quillane_tray PUBLIC ${PROJECT_SOURCE_DIR})
# quillane_resources brings the catalogues :/cn.qm and :/en.qm.
target_link_libraries(quillane_tray PUBLIC Qt5::Widgets quillane_resources PRIVATE quillane_options)
