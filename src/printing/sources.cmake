# Files of this folder: SW_CORE_SOURCES links QtCore only; SW_UI_SOURCES the windows.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ReportLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportTexts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScreenPrintGeometry.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/PrintCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PrinterTextMetrics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReportPainter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemPrinterSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowPrinter.cpp
)
