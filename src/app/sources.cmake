# Files of this folder: SW_CORE_SOURCES links QtCore only; SW_UI_SOURCES the windows.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/SpeedCheck.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileCheck.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Recovery.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpeedCheckWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SplashWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrintHelpMenus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TestDriver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShareDialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowZoom.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FileDrop.cpp
)
