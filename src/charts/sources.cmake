# Files of this folder: the race analysis window (Qt Charts, Qt SVG).
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/AnalysisChartView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LapFileSeries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RaceAnalysisWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RaceAnalysisLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SummaryLine.cpp
)
