# The tray menu's catalogues: .ts sources compiled by lrelease at build time and
# compiled in as :/cn.qm and :/en.qm through a resource file made in the build
# tree, handed to every final link along with the rest of quillane_resources.
qt5_add_translation(QUILLANE_QM_FILES
    ${CMAKE_CURRENT_LIST_DIR}/translations/quillane_cn.ts
    ${CMAKE_CURRENT_LIST_DIR}/translations/quillane_en.ts)
configure_file(${CMAKE_CURRENT_LIST_DIR}/translations/translations.qrc.in
    ${CMAKE_CURRENT_BINARY_DIR}/translations.qrc @ONLY)
qt5_add_resources(QUILLANE_TRANSLATION_SOURCES ${CMAKE_CURRENT_BINARY_DIR}/translations.qrc)
add_library(quillane_translations OBJECT ${QUILLANE_TRANSLATION_SOURCES} ${QUILLANE_QM_FILES})
target_link_libraries(quillane_translations PRIVATE Qt5::Core)
target_link_libraries(quillane_resources INTERFACE
    quillane_translations $<TARGET_OBJECTS:quillane_translations>)
