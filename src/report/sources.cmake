# The report's page layout and texts, the screen print's geometry (QtCore only).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ReportLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportTexts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenPrintGeometry.cpp
)
