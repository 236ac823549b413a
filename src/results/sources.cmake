# The editing face: the results table and its statistics, the Current Lap
# fields, the editing commands, the graph and the faces of the window.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ScreenModeRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultsTexts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultsTableModel.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ResultsPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenFace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CurrentLapPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GraphPanel.cpp
)
