# The dialogs' sources and the library's resources, for src/CMakeLists.txt.
set(MOKACOMM_DIALOG_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ComboText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommSettingsDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FailureMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModalDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OwnerWindowFinder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortSelectDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RegKeyHolder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RegistryText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SelectPort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingChoices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LibraryModule.cpp)
set(MOKACOMM_RESOURCE_FILES ${CMAKE_CURRENT_LIST_DIR}/../../res/Mokacomm.rc)
