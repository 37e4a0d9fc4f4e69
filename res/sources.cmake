# The library's resources, for src/CMakeLists.txt: the script of the dialog templates and the
# version resource, and the texts the library shows, in UTF-8, from which LibraryTexts.h is made.
set(MOKACOMM_RESOURCE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/Mokacomm.rc)
set(MOKACOMM_TEXTS_SOURCE ${CMAKE_CURRENT_LIST_DIR}/LibraryTexts.utf8)
