# Files of this folder: lap filters, lap-time figures and the CSV/JSON export
# (QtCore only).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LapFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LapAnalysis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveFigures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RaceExport.cpp
)
