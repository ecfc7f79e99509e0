# The tray icon with its language menu, shared by the application and its tests.
add_library(quillane_tray STATIC
    ${CMAKE_CURRENT_LIST_DIR}/systemtrayicon.cpp ${CMAKE_CURRENT_LIST_DIR}/systemtrayicon.h)
set_target_properties(quillane_tray PROPERTIES AUTOMOC ON)
target_include_directories(quillane_tray PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# The catalogues register at static initialisation, so their objects go into
# every executable that uses the tray rather than into an archive.
target_link_libraries(quillane_tray
    PUBLIC Qt5::Widgets
    INTERFACE $<TARGET_OBJECTS:quillane_translations>
    PRIVATE quillane_options)
add_dependencies(quillane_tray quillane_translations)
