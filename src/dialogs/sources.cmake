# The dialogs' sources, for src/CMakeLists.txt: the owner window search, the two dialogs, and the
# engine's two operations that show them (SelectPort.cpp, SettingDlg.cpp).
set(MOKACOMM_DIALOGS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ComboText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommSettingsDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FailureMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileStem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LibraryModule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModalDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OwnerWindowFinder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortSelectDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RegistryText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SelectPort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingChoices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingDlg.cpp)
