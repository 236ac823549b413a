# Window pieces shared by the panels: geometry in twips, the prompts, the
# clock label, text fitting and the main window's controls.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Prompts.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ClickPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClockDisplay.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QtPrompts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowControls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PanelColours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextFit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SpokenFigure.cpp
)
