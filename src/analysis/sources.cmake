# Files of this folder: lap filters, lap-time figures, the CSV/JSON export,
# and the pit stops and stints of the analysis chart
# (QtCore only).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LapFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LapAnalysis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveFigures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RaceExport.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordSeries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Stints.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StintTable.cpp
)
