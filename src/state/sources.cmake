# Files of this folder: the program state every subsystem stands on (QtCore only).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AppState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RaceRecord.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResultsGrid.cpp
)
