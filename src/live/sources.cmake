# The timing face: the timing keys and the condition displays.
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TimingKeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConditionPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClockPanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveFigurePanel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PitBoard.cpp
)
