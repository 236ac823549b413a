# Files of this folder: SW_CORE_SOURCES links QtCore only; SW_UI_SOURCES the windows.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Prompts.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ClickPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClockDisplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtPrompts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowBase.h
  ${CMAKE_CURRENT_LIST_DIR}/TextFit.cpp
)
