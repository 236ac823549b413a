# Printing on the system's printer (the report's pages, the picture of the window).
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PrintCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterTextMetrics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportPainter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemPrinterSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowPrinter.cpp
)
