# Files of this folder: SW_CORE_SOURCES links QtCore only; SW_UI_SOURCES the windows.
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HiTime.cpp
)
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/FinishSummary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConditionLists.cpp
)
list(APPEND SW_UI_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/TimingController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SelectorController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalLink.cpp
)
