# The race model and its vocabulary (QtCore only): the ground every folder stands on.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/Race.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConditionLists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Statistics.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LapEditing.cpp
)
