# Files of this folder: SW_CORE_SOURCES links QtCore only; SW_UI_SOURCES the windows.
# Post-race editing arithmetic lives in its own list.
include(${CMAKE_CURRENT_LIST_DIR}/editing.cmake OPTIONAL)
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ScreenModeRules.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/GridController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenModes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EntryFields.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LapEditor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LapCountController.cpp
)
